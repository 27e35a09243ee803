#include "shell/options.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>

#include "net/meeting_protocol.h"
#include "net/rollback.h"

namespace {

// What a room code may be, for the message about a bad one.
constexpr const char* ROOM_CODE_RANGE = "six of the letters ACDEFHJKMNPRTUVWXY";

// A window larger than this is a typo, not a screen.
constexpr int MAX_WINDOW_SIDE = 16384;

// Digits only, making a whole number from `low` to `high`.
bool parseWhole(std::string_view digits, int low, int high, int& out)
{
    if (digits.empty() || digits.front() < '0' || digits.front() > '9')
        return false;
    auto [end, fault] = std::from_chars(digits.data(), digits.data() + digits.size(), out);
    return fault == std::errc() && end == digits.data() + digits.size() && out >= low && out <= high;
}

// Reads "WIDTHxHEIGHT": two whole numbers from 1 to MAX_WINDOW_SIDE.
bool parseWindowSize(std::string_view text, int& width, int& height)
{
    std::size_t cross = text.find('x');
    return cross != std::string_view::npos && parseWhole(text.substr(0, cross), 1, MAX_WINDOW_SIDE, width) &&
        parseWhole(text.substr(cross + 1), 1, MAX_WINDOW_SIDE, height);
}

// A port from 1 to 65535.
bool parsePort(std::string_view digits, int& port)
{
    return parseWhole(digits, 1, 65535, port);
}

// "HOST" or "HOST:PORT".
bool parseAddress(std::string_view text, std::string& host, int& port)
{
    std::size_t colon = text.rfind(':');
    if (colon != std::string_view::npos && !parsePort(text.substr(colon + 1), port))
        return false;
    host = std::string(text.substr(0, colon));
    return !host.empty();
}

// Six letters of the room codes' alphabet, in either case, spaces and dashes aside.
bool parseRoomCode(std::string_view text, std::string& code)
{
    std::optional<std::string> normal = normalizeRoomCode(std::string(text));
    if (normal)
        code = *normal;
    return normal.has_value();
}

bool parseDelay(std::string_view text, int& delay)
{
    return parseWhole(text, 0, MAX_INPUT_DELAY, delay);
}

struct OptionRule {
    const char* name;
    const char* valueName;  // nullptr: the option takes no value
    const char* help;
    // Applies the option; false when the value is bad.
    bool (*apply)(Options& options, std::string_view value);
    // The value may be left out (then the next word is taken unless it is an option).
    bool optionalValue = false;
    // The values a number may take, for the message about a bad one.
    const char* range = nullptr;
    // A mode of play: no two go together.
    bool mode = false;
};

// Every option of the game, in the order the usage lists them.
const OptionRule OPTION_RULES[] = {
    {"--help", nullptr, "show this help and quit", [](Options& o, std::string_view) { return o.help = true; }},
    {"--version", nullptr, "show the version and quit", [](Options& o, std::string_view) { return o.version = true; }},
    {"--fullscreen", nullptr, "start in fullscreen (F11 toggles it while playing)",
        [](Options& o, std::string_view) { return o.fullscreen = true; }},
    {"--print-controls", nullptr, "print the controls in the controls file's format and quit",
        [](Options& o, std::string_view) { return o.printControls = true; }},
    {"--demo", nullptr, "let the computer play both sides, bout after bout, until a key or click",
        [](Options& o, std::string_view) { return o.demo = true; }, false, nullptr, true},
    {"--window", "WIDTHxHEIGHT", "open the window at this size, e.g. 1280x960 (default 800x600)",
        [](Options& o, std::string_view v) { return parseWindowSize(v, o.windowWidth, o.windowHeight); }},
    {"--host", "[PORT]", "wait for a network player to join (port 7445 unless given)",
        [](Options& o, std::string_view v) { return (o.host = true) && (v.empty() || parsePort(v, o.port)); }, true,
        "1 to 65535", true},
    {"--join", "HOST[:PORT]", "join a network game (port 7445 unless given)",
        [](Options& o, std::string_view v) { return parseAddress(v, o.join, o.port); }, false, nullptr, true},
    {"--online", "SERVER[:PORT]", "open a room on a meeting server and wait for a player (port 7446 unless given)",
        [](Options& o, std::string_view v) { return parseAddress(v, o.online, o.onlinePort); }, false, nullptr, true},
    {"--room", "CODE", "with --online: join the room of this code",
        [](Options& o, std::string_view v) { return parseRoomCode(v, o.room); }, false, ROOM_CODE_RANGE},
    {"--watch", "CODE", "with --online: watch the room of this code play, 2 seconds behind",
        [](Options& o, std::string_view v) { return parseRoomCode(v, o.watch); }, false, ROOM_CODE_RANGE},
    {"--delay", "N", "network input delay in ticks, 0 to 6 (default 2)",
        [](Options& o, std::string_view v) { return parseDelay(v, o.delay); }, false, "0 to 6"},
    {"--replay", "FILE", "watch a recorded bout (Space pauses, Right steps, + and - change the speed)",
        [](Options& o, std::string_view v) { return !(o.replayFile = v).empty(); }, false, nullptr, true},
    {"--verify", nullptr, "with --replay: check the bout headless, print its trace and outcome, and quit",
        [](Options& o, std::string_view) { return o.verify = true; }},
};

const OptionRule* findRule(std::string_view name)
{
    for (const OptionRule& rule : OPTION_RULES)
        if (name == rule.name)
            return &rule;
    return nullptr;
}

// GLUT's options that take the next word as their value.
bool isGlutOptionWithValue(std::string_view word)
{
    return word == "-display" || word == "-geometry";
}

// GLUT's options that take none; a word of one dash that is none of GLUT's
// may take the next word as its value, as far as we can tell.
bool isGlutFlag(std::string_view word)
{
    return word == "-iconic" || word == "-direct" || word == "-indirect" || word == "-gldebug" || word == "-sync";
}

// A word that is neither an option nor an option's value.
std::string strayWord(std::string_view word)
{
    std::string error = "'" + std::string(word) + "' is not an option";
    if (word.ends_with(".zrp"))
        error += " (to watch a replay: --replay " + std::string(word) + ")";
    return error;
}

}  // namespace

ParsedOptions parseOptions(int argc, char** argv)
{
    ParsedOptions parsed;
    Options& options = parsed.options;
    if (argc > 0)
        options.glutArguments.push_back(argv[0]);
    // The modes asked for, in the order given.
    std::vector<std::string_view> modes;
    bool mayBeAValue = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (!word.starts_with("-")) {
            if (!mayBeAValue) {
                parsed.error = strayWord(word);
                return parsed;
            }
            options.glutArguments.push_back(argv[i]);
            mayBeAValue = false;
            continue;
        }
        if (!word.starts_with("--")) {
            options.glutArguments.push_back(argv[i]);
            if (word == "-geometry")
                options.glutGeometry = true;
            if (isGlutOptionWithValue(word) && i + 1 < argc)
                options.glutArguments.push_back(argv[++i]);
            mayBeAValue = !isGlutOptionWithValue(word) && !isGlutFlag(word);
            continue;
        }
        mayBeAValue = false;
        std::size_t equals = word.find('=');
        std::string_view name = word.substr(0, equals);
        const OptionRule* rule = findRule(name);
        if (rule == nullptr) {
            parsed.error = "unknown option " + std::string(name);
            return parsed;
        }
        std::string_view value;
        if (rule->valueName == nullptr) {
            if (equals != std::string_view::npos) {
                parsed.error = std::string(name) + " takes no value";
                return parsed;
            }
        } else if (equals != std::string_view::npos) {
            value = word.substr(equals + 1);
        } else if (rule->optionalValue) {
            if (i + 1 < argc && argv[i + 1][0] != '-')
                value = argv[++i];
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            parsed.error = std::string(name) + " needs " + rule->valueName;
            return parsed;
        }
        if (!rule->apply(options, value)) {
            parsed.error = "bad value '" + std::string(value) + "' for " + std::string(name) + " (expected " +
                rule->valueName + (rule->range ? std::string(", ") + rule->range : "") + ")";
            return parsed;
        }
        if (rule->mode && std::find(modes.begin(), modes.end(), name) == modes.end())
            modes.push_back(name);
    }
    if (modes.size() > 1)
        parsed.error = std::string(modes[0]) + " and " + std::string(modes[1]) + " cannot go together";
    else if (!options.room.empty() && !options.watch.empty())
        parsed.error = "--room and --watch cannot go together";
    else if ((!options.room.empty() || !options.watch.empty()) && options.online.empty())
        parsed.error = std::string(options.room.empty() ? "--watch" : "--room") + " needs --online SERVER[:PORT]";
    return parsed;
}

std::string usageText()
{
    std::string text = "Usage: zandrel [OPTION]... [GLUT OPTION]...\n"
                       "Two players, one keyboard, one arena.\n\n";
    for (const OptionRule& rule : OPTION_RULES) {
        std::string left = std::string("  ") + rule.name;
        if (rule.valueName != nullptr)
            left += std::string(" ") + rule.valueName;
        if (left.size() < 26)
            left.resize(26, ' ');
        else
            left += "  ";
        text += left + rule.help + "\n";
    }
    text += "\nGLUT's own options (-display DISPLAY, -geometry WxH+X+Y, -iconic, -direct,\n"
            "-indirect, -gldebug, -sync) are passed on to it.\n"
            "The art and sounds are read from graphics/ and sounds/ in the working\n"
            "directory, else from $ZANDREL_DATA, else from the installed data folder,\n"
            "else (a build run from its build tree) from its source tree.\n";
    return text;
}
