#include "players/controls.h"

#include <fcntl.h>
#include <ini.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "players/special_keys.h"

namespace {

// The text in double quotes, as the messages name a key.
std::string quoted(const std::string& text)
{
    std::string q = "\"";
    q += text;
    q += '"';
    return q;
}

struct Name {
    const char* name;
    int code;
};

// Characters that cannot stand for themselves in the file.
constexpr Name CHARACTER_NAMES[] = {
    {"space", ' '},
    {"comma", ','},
    {"semicolon", ';'},
    {"tab", '\t'},
    {"enter", '\r'},
    {"backspace", '\b'},
    {"escape", 27},
    {"delete", 127},
};

constexpr Name SPECIAL_NAMES[] = {
    {"arrow_left", SPECIAL_LEFT},
    {"arrow_up", SPECIAL_UP},
    {"arrow_right", SPECIAL_RIGHT},
    {"arrow_down", SPECIAL_DOWN},
    {"f1", SPECIAL_F1},
    {"f2", SPECIAL_F2},
    {"f3", SPECIAL_F3},
    {"f4", SPECIAL_F4},
    {"f5", SPECIAL_F5},
    {"f6", SPECIAL_F6},
    {"f7", SPECIAL_F7},
    {"f8", SPECIAL_F8},
    {"f9", SPECIAL_F9},
    {"f10", SPECIAL_F10},
    {"f11", SPECIAL_F11},
    {"f12", SPECIAL_F12},
    {"page_up", SPECIAL_PAGE_UP},
    {"page_down", SPECIAL_PAGE_DOWN},
    {"home", SPECIAL_HOME},
    {"end", SPECIAL_END},
    {"insert", SPECIAL_INSERT},
    {"num_lock", SPECIAL_NUM_LOCK},
    {"begin", SPECIAL_BEGIN},
    {"shift_left", SPECIAL_SHIFT_L},
    {"shift_right", SPECIAL_SHIFT_R},
    {"ctrl_left", SPECIAL_CTRL_L},
    {"ctrl_right", SPECIAL_CTRL_R},
    {"alt_left", SPECIAL_ALT_L},
    {"alt_right", SPECIAL_ALT_R},
    {"super_left", SPECIAL_SUPER_L},
    {"super_right", SPECIAL_SUPER_R},
};

constexpr const char* PAD_NAMES[PAD_INPUT_COUNT] = {
    "south",
    "east",
    "west",
    "north",
    "back",
    "guide",
    "start",
    "left_stick_click",
    "right_stick_click",
    "left_shoulder",
    "right_shoulder",
    "dpad_up",
    "dpad_down",
    "dpad_left",
    "dpad_right",
    "misc",
    "paddle1",
    "paddle2",
    "paddle3",
    "paddle4",
    "touchpad",
    "left_stick_left",
    "left_stick_right",
    "left_stick_up",
    "left_stick_down",
    "right_stick_left",
    "right_stick_right",
    "right_stick_up",
    "right_stick_down",
    "left_trigger",
    "right_trigger",
};

constexpr const char* CONTROL_NAMES[ACTION_COUNT] = {
    "left",
    "up",
    "right",
    "down",
    "attack_h",
    "attack_v",
    "block",
};
constexpr const char* PAD_PREFIX = "pad_";

// What each control does, for the comments of the printed file; player 1
// stands on the left of the screen, player 2 on the right.
constexpr const char* CONTROL_MEANINGS[PLAYER_COUNT][ACTION_COUNT] = {
    {"walk away from the opponent", "circle round the opponent one way", "walk towards the opponent",
        "circle round the opponent the other way", "horizontal attack", "vertical attack", "block"},
    {"walk towards the opponent", "circle round the opponent one way", "walk away from the opponent",
        "circle round the opponent the other way", "horizontal attack", "vertical attack", "block"},
};

struct DefaultKey {
    bool special;
    int code;
};
constexpr DefaultKey DEFAULT_KEYS[PLAYER_COUNT][ACTION_COUNT] = {
    {{false, 'a'}, {false, 'w'}, {false, 'd'}, {false, 's'}, {false, 't'}, {false, 'y'}, {false, 'u'}},
    {{true, SPECIAL_LEFT}, {true, SPECIAL_UP}, {true, SPECIAL_RIGHT}, {true, SPECIAL_DOWN}, {false, '1'},
        {false, '2'}, {false, '3'}},
};

struct DefaultPadInput {
    PadInput input;
    Action control;
};
constexpr DefaultPadInput DEFAULT_PAD[] = {
    {PAD_DPAD_LEFT, Action::Left},
    {PAD_LEFT_STICK_LEFT, Action::Left},
    {PAD_DPAD_UP, Action::Up},
    {PAD_LEFT_STICK_UP, Action::Up},
    {PAD_DPAD_RIGHT, Action::Right},
    {PAD_LEFT_STICK_RIGHT, Action::Right},
    {PAD_DPAD_DOWN, Action::Down},
    {PAD_LEFT_STICK_DOWN, Action::Down},
    {PAD_SOUTH, Action::AttackH},
    {PAD_EAST, Action::AttackV},
    {PAD_WEST, Action::Block},
    {PAD_LEFT_SHOULDER, Action::Block},
    {PAD_RIGHT_SHOULDER, Action::Block},
};

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

std::string trim(std::string_view s)
{
    const char* spaces = " \t\r\n\f\v";
    const std::size_t first = s.find_first_not_of(spaces);
    if (first == std::string_view::npos)
        return {};
    return std::string(s.substr(first, s.find_last_not_of(spaces) - first + 1));
}

// A bound key: a character, a GLUT special key, or a pad input.
struct Key {
    enum Kind { CHARACTER, SPECIAL, PAD } kind;
    int code;
};

// A token that is one character of the 8-bit codes GLUT reports (Latin-1,
// written in the file as UTF-8), or -1.
int literalCharacter(std::string_view token)
{
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(token[i]); };
    int code = -1;
    if (token.size() == 1 && b(0) < 0x80)
        code = b(0);
    if (token.size() == 2 && (b(0) == 0xC2 || b(0) == 0xC3) && (b(1) & 0xC0) == 0x80)
        code = ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    // Spaces and control codes are written by name or number.
    if ((code >= 0x21 && code <= 0x7E) || code >= 0xA1)
        return code;
    return -1;
}

int hexCharacter(std::string_view token)
{
    if (token.size() < 3 || token.size() > 4 || token[0] != '0' || (token[1] != 'x' && token[1] != 'X'))
        return -1;
    int code = 0;
    for (char c : token.substr(2)) {
        const char l = lower(std::string(1, c))[0];
        int digit = l >= '0' && l <= '9' ? l - '0' : l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
        if (digit < 0)
            return -1;
        code = code * 16 + digit;
    }
    return code > 0 ? code : -1;
}

bool keyboardKey(std::string_view token, Key& key)
{
    int code = literalCharacter(token);
    if (code < 0)
        code = hexCharacter(token);
    if (code >= 0) {
        key = {Key::CHARACTER, code};
        return true;
    }
    const std::string name = lower(token);
    for (const Name& n : CHARACTER_NAMES)
        if (name == n.name) {
            key = {Key::CHARACTER, n.code};
            return true;
        }
    for (const Name& n : SPECIAL_NAMES)
        if (name == n.name) {
            key = {Key::SPECIAL, n.code};
            return true;
        }
    return false;
}

bool padKey(std::string_view token, Key& key)
{
    const std::string name = lower(token);
    for (int i = 0; i < PAD_INPUT_COUNT; ++i)
        if (name == PAD_NAMES[i]) {
            key = {Key::PAD, i};
            return true;
        }
    return false;
}

std::string keyName(const Key& key)
{
    if (key.kind == Key::PAD)
        return PAD_NAMES[key.code];
    if (key.kind == Key::SPECIAL) {
        for (const Name& n : SPECIAL_NAMES)
            if (n.code == key.code)
                return n.name;
        return "special key " + std::to_string(key.code);
    }
    for (const Name& n : CHARACTER_NAMES)
        if (n.code == key.code)
            return n.name;
    const int c = key.code;
    if (c >= 0x21 && c <= 0x7E)
        return std::string(1, char(c));
    if (c >= 0xA1 && c <= 0xFF)
        return {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02x", c);
    return hex;
}

struct Note {
    int line;
    std::string text;
};

// One "control = keys" line, understood.
struct Setting {
    int line;
    int player;
    bool pad;
    int control;
    std::vector<Key> keys;
};

struct Reading {
    std::string_view text;
    std::size_t position = 0;
    int line = 0;
    std::string fileName;
    std::vector<Note> notes;
    std::vector<Setting> settings;
};

// Feeds inih one physical line at a time, so that the handler knows its line
// number; lines inih would cut, join or only count as errors are reported here.
char* readLine(char* out, int size, void* stream)
{
    Reading& r = *static_cast<Reading*>(stream);
    if (r.position >= r.text.size())
        return nullptr;
    std::size_t end = r.text.find('\n', r.position);
    if (end == std::string_view::npos)
        end = r.text.size();
    std::string line = trim(r.text.substr(r.position, end - r.position));
    r.position = end + 1;
    ++r.line;

    const auto reject = [&](std::string why) {
        r.notes.push_back({r.line, std::move(why)});
        line.clear();
    };
    const bool text = std::none_of(line.begin(), line.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return (c < 0x20 && c != '\t' && c != '\r') || c == 0x7F;
    });
    if (!text) {
        reject("not text");
    } else if (line.empty() || line[0] == ';' || line[0] == '#') {
        // A comment, of any length, or nothing: inih needs to see neither.
        line.clear();
    } else if (line.size() > CONTROLS_LINE_LIMIT || line.size() + 2 > std::size_t(size)) {
        reject("line longer than " + std::to_string(CONTROLS_LINE_LIMIT) + " characters");
    } else if (line[0] == '[') {
        if (line.find(']') == std::string::npos)
            reject("section name without a closing ]");
    } else {
        // inih splits at the first = or :, unless a comment starts first.
        bool split = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '=' || line[i] == ':') {
                split = true;
                break;
            }
            if (line[i] == ';' && i > 0 && (line[i - 1] == ' ' || line[i - 1] == '\t'))
                break;
        }
        if (!split)
            reject("not a setting; expected \"control = keys\"");
    }
    std::memcpy(out, line.data(), line.size());
    out[line.size()] = '\n';
    out[line.size() + 1] = '\0';
    return out;
}

int playerOfSection(const std::string& section)
{
    const std::string name = lower(trim(section));
    if (name == "player1")
        return 1;
    if (name == "player2")
        return 2;
    return 0;
}

int handleSetting(void* user, const char* section, const char* name, const char* value)
{
    Reading& r = *static_cast<Reading*>(user);
    const int line = r.line;
    Setting s{line, playerOfSection(section), false, -1, {}};
    if (s.player == 0) {
        if (*section == '\0')
            r.notes.push_back({line, "setting before any [player1] or [player2] section"});
        else
            r.notes.push_back({line, "unknown section [" + std::string(section) + "]"});
        return 1;
    }

    std::string control = lower(name);
    if (control.rfind(PAD_PREFIX, 0) == 0) {
        s.pad = true;
        control = control.substr(std::strlen(PAD_PREFIX));
    }
    for (int c = 0; c < ACTION_COUNT; ++c)
        if (control == CONTROL_NAMES[c])
            s.control = c;
    if (s.control < 0) {
        r.notes.push_back({line, "unknown control \"" + std::string(name) + "\""});
        return 1;
    }

    std::string_view rest(value);
    while (!rest.empty()) {
        const std::size_t start = rest.find_first_not_of(" \t,");
        if (start == std::string_view::npos)
            break;
        rest.remove_prefix(start);
        const std::size_t length = std::min(rest.find_first_of(" \t,"), rest.size());
        const std::string_view token = rest.substr(0, length);
        rest.remove_prefix(length);
        Key key{};
        if (!(s.pad ? padKey(token, key) : keyboardKey(token, key))) {
            r.notes.push_back({line,
                std::string(s.pad ? "unknown pad input \"" : "unknown key \"") + std::string(token) + "\" for " +
                    name});
            return 1;
        }
        s.keys.push_back(key);
    }
    r.settings.push_back(std::move(s));
    return 1;
}

// Where a binding lives in Controls, and what it holds there: a key-table
// index for the keyboard, an Action for a pad.
int& slot(Controls& c, int player, const Key& key)
{
    if (key.kind == Key::CHARACTER)
        return c.characters[key.code];
    if (key.kind == Key::SPECIAL)
        return c.specials[key.code];
    return c.pads[player - 1][key.code];
}

int valueFor(int player, const Key& key, int control)
{
    return key.kind == Key::PAD ? control : keyIndex(player, Action(control));
}

std::string describeHolder(int player, const Key& key, int held)
{
    if (key.kind != Key::PAD) {
        player = held / ACTION_COUNT + 1;
        held %= ACTION_COUNT;
    }
    return "player " + std::to_string(player) + " " + (key.kind == Key::PAD ? PAD_PREFIX : "") + CONTROL_NAMES[held];
}

void bindDefault(Controls& c, int player, int control)
{
    const DefaultKey d = DEFAULT_KEYS[player - 1][control];
    int& s = d.special ? c.specials[d.code] : c.characters[d.code];
    if (s == UNBOUND)
        s = keyIndex(player, Action(control));
}

void bindDefaultPad(Controls& c, int player, int control)
{
    for (const DefaultPadInput& d : DEFAULT_PAD)
        if (int(d.control) == control && c.pads[player - 1][d.input] == UNBOUND)
            c.pads[player - 1][d.input] = control;
}

}  // namespace

Controls defaultControls()
{
    Controls c;
    c.characters.fill(UNBOUND);
    c.specials.fill(UNBOUND);
    for (auto& pad : c.pads)
        pad.fill(UNBOUND);
    for (int player = 1; player <= PLAYER_COUNT; ++player)
        for (int control = 0; control < ACTION_COUNT; ++control) {
            bindDefault(c, player, control);
            bindDefaultPad(c, player, control);
        }
    return c;
}

ControlsReading parseControls(std::string_view text, const std::string& fileName)
{
    ControlsReading result{defaultControls(), {}};
    const std::string defaults = "; using the default controls";
    if (text.size() > CONTROLS_FILE_LIMIT) {
        result.messages.push_back(fileName + ": larger than " + std::to_string(CONTROLS_FILE_LIMIT) +
            " bytes, so not a controls file" + defaults);
        return result;
    }
    // No text holds a NUL: the file is something else. Any other stray byte
    // spoils only its own line.
    if (text.find('\0') != std::string_view::npos) {
        result.messages.push_back(fileName + ": not a text file" + defaults);
        return result;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    Reading r;
    r.text = text;
    r.fileName = fileName;
    ini_parse_stream(readLine, &r, handleSetting, &r);

    // Each control the file names gives up its defaults, so that keys can swap.
    Controls& c = result.controls;
    bool named[PLAYER_COUNT][2][ACTION_COUNT] = {};
    bool bound[PLAYER_COUNT][2][ACTION_COUNT] = {};
    for (const Setting& s : r.settings)
        named[s.player - 1][s.pad][s.control] = true;
    for (int& held : c.characters)
        if (held != UNBOUND && named[held / ACTION_COUNT][0][held % ACTION_COUNT])
            held = UNBOUND;
    for (int& held : c.specials)
        if (held != UNBOUND && named[held / ACTION_COUNT][0][held % ACTION_COUNT])
            held = UNBOUND;
    for (int p = 0; p < PLAYER_COUNT; ++p)
        for (int& held : c.pads[p])
            if (held != UNBOUND && named[p][1][held])
                held = UNBOUND;

    // Which line bound each key, for the message when another line wants it too.
    Controls lines;
    lines.characters.fill(0);
    lines.specials.fill(0);
    for (auto& pad : lines.pads)
        pad.fill(0);

    for (const Setting& s : r.settings) {
        std::string clash;
        for (std::size_t i = 0; i < s.keys.size() && clash.empty(); ++i) {
            const Key& key = s.keys[i];
            for (std::size_t j = 0; j < i; ++j)
                if (s.keys[j].kind == key.kind && s.keys[j].code == key.code)
                    clash = quoted(keyName(key)) + " is given twice on this line";
            const int held = slot(c, s.player, key);
            if (clash.empty() && held != UNBOUND) {
                const int where = slot(lines, s.player, key);
                clash = quoted(keyName(key)) + " is already bound to " + describeHolder(s.player, key, held) +
                    (where > 0 ? " on line " + std::to_string(where) : " by default");
            }
        }
        if (!clash.empty()) {
            r.notes.push_back({s.line, clash});
            continue;
        }
        for (const Key& key : s.keys) {
            slot(c, s.player, key) = valueFor(s.player, key, s.control);
            slot(lines, s.player, key) = s.line;
        }
        bound[s.player - 1][s.pad][s.control] = true;
    }

    // A control whose every line was refused keeps what it had.
    for (int p = 0; p < PLAYER_COUNT; ++p)
        for (int control = 0; control < ACTION_COUNT; ++control) {
            if (named[p][0][control] && !bound[p][0][control])
                bindDefault(c, p + 1, control);
            if (named[p][1][control] && !bound[p][1][control])
                bindDefaultPad(c, p + 1, control);
        }

    std::stable_sort(r.notes.begin(), r.notes.end(), [](const Note& a, const Note& b) { return a.line < b.line; });
    for (const Note& n : r.notes)
        result.messages.push_back(fileName + ":" + std::to_string(n.line) + ": " + n.text + "; line ignored");
    return result;
}

ControlsReading readControlsFile(const std::string& path)
{
    const std::string defaults = "; using the default controls";
    if (path.empty())
        return {defaultControls(), {}};
    const auto refused = [&](const std::string& why) {
        return ControlsReading{defaultControls(), {path + why + defaults}};
    };
    // Opened without blocking, so that a pipe in its place cannot hang the game.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        struct stat link;
        // No file is the usual case; a link to nothing is a mistake to name.
        if ((error == ENOENT || error == ENOTDIR) && lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            return refused(": a link to a file that is not there");
        if (error == ENOENT || error == ENOTDIR)
            return {defaultControls(), {}};
        return refused(std::string(": ") + std::strerror(error));
    }
    struct stat info;
    std::string fault;
    if (fstat(fd, &info) != 0)
        fault = std::string(": ") + std::strerror(errno);
    else if (S_ISDIR(info.st_mode))
        fault = ": is a folder, not a controls file";
    else if (!S_ISREG(info.st_mode))
        fault = ": not a regular file";
    // One byte more than a controls file may have tells a huge file without reading it all.
    std::string text(fault.empty() ? CONTROLS_FILE_LIMIT + 1 : 0, '\0');
    std::size_t got = 0;
    while (fault.empty() && got < text.size()) {
        const ssize_t n = read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fault = ": cannot be read";
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    close(fd);
    if (!fault.empty())
        return refused(fault);
    text.resize(got);
    return parseControls(text, path);
}

std::string controlsFilePath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return std::string(config) + "/zandrel/controls.conf";
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0')
        return std::string(home) + "/.config/zandrel/controls.conf";
    return {};
}

std::string formatControls(const Controls& c)
{
    std::string out = "# Zandrel controls. Save as ~/.config/zandrel/controls.conf (or under\n"
                      "# $XDG_CONFIG_HOME) and change what you like: each line gives a control one\n"
                      "# or more keys or pad inputs, separated by spaces, or none. A control left\n"
                      "# out keeps its default; a bad line is reported and ignored.\n"
                      "# Keys: a character (a, 1, \xC3\xA9), space, comma, semicolon, tab, enter,\n"
                      "# backspace, escape, delete, 0x.. for any character code, arrow_left,\n"
                      "# arrow_up, arrow_right, arrow_down, f1 to f12, page_up, page_down, home,\n"
                      "# end, insert, num_lock, begin, shift_left, shift_right, ctrl_left,\n"
                      "# ctrl_right, alt_left, alt_right, super_left, super_right.\n"
                      "# Pad inputs:";
    for (int i = 0; i < PAD_INPUT_COUNT; ++i) {
        const std::string name = PAD_NAMES[i];
        const std::size_t lastLine = out.size() - out.rfind('\n');
        out += lastLine + name.size() + 2 > 80 ? "\n# " : " ";
        out += name + (i + 1 < PAD_INPUT_COUNT ? "," : ".\n");
    }
    out += "# The first pad connected plays player 1, the second player 2. In the menu\n"
           "# a pad's up and down choose a row, left, right and its horizontal attack\n"
           "# switch the fighter, and start (or that attack, on the title) goes on.\n";

    for (int player = 1; player <= PLAYER_COUNT; ++player) {
        out += "\n[player" + std::to_string(player) + "]\n";
        for (int pad = 0; pad < 2; ++pad)
            for (int control = 0; control < ACTION_COUNT; ++control) {
                std::string line = std::string(pad ? PAD_PREFIX : "") + CONTROL_NAMES[control] + " =";
                if (pad) {
                    for (int i = 0; i < PAD_INPUT_COUNT; ++i)
                        if (c.pads[player - 1][i] == control)
                            (line += ' ') += keyName({Key::PAD, i});
                } else {
                    const int index = keyIndex(player, Action(control));
                    for (int code = 1; code < CHARACTER_CODES; ++code)
                        if (c.characters[code] == index)
                            (line += ' ') += keyName({Key::CHARACTER, code});
                    for (int code = 0; code < SPECIAL_KEY_CODES; ++code)
                        if (c.specials[code] == index)
                            (line += ' ') += keyName({Key::SPECIAL, code});
                }
                // The comments line up by characters: a UTF-8 key takes two bytes.
                const auto characters = std::size_t(std::count_if(
                    line.begin(), line.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
                line.append(characters < 46 ? 47 - characters : 1, ' ');
                out += line + "; " + (pad ? "pad: " : "") + CONTROL_MEANINGS[player - 1][control] + "\n";
            }
    }
    return out;
}
