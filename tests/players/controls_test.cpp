#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "players/controls.h"

namespace {

bool sameControls(const Controls& a, const Controls& b)
{
    return a.characters == b.characters && a.specials == b.specials && a.pads == b.pads;
}

constexpr int P1_LEFT = 0, P1_UP = 1, P1_RIGHT = 2, P1_DOWN = 3, P1_H = 4, P1_V = 5, P1_BLOCK = 6;
constexpr int P2_H = 11;

TEST(ControlsDefaults, AreTodaysKeysAndThePadLayout)
{
    const Controls c = defaultControls();
    const std::pair<unsigned char, int> characters[] = {
        {'a', 0}, {'w', 1}, {'d', 2}, {'s', 3}, {'t', 4}, {'y', 5}, {'u', 6}, {'1', 11}, {'2', 12}, {'3', 13}};
    int bound = 0;
    for (int code = 0; code < CHARACTER_CODES; ++code)
        bound += c.characters[code] != UNBOUND;
    EXPECT_EQ(bound, 10);
    for (auto [key, index] : characters)
        EXPECT_EQ(c.characters[key], index) << key;
    bound = 0;
    for (int code = 0; code < SPECIAL_KEY_CODES; ++code)
        bound += c.specials[code] != UNBOUND;
    EXPECT_EQ(bound, 4);
    EXPECT_EQ(c.specials[GLUT_KEY_LEFT], 7);
    EXPECT_EQ(c.specials[GLUT_KEY_UP], 8);
    EXPECT_EQ(c.specials[GLUT_KEY_RIGHT], 9);
    EXPECT_EQ(c.specials[GLUT_KEY_DOWN], 10);

    for (const auto& pad : c.pads) {
        std::array<int, PAD_INPUT_COUNT> expected;
        expected.fill(UNBOUND);
        expected[PAD_DPAD_LEFT] = expected[PAD_LEFT_STICK_LEFT] = int(Action::Left);
        expected[PAD_DPAD_UP] = expected[PAD_LEFT_STICK_UP] = int(Action::Up);
        expected[PAD_DPAD_RIGHT] = expected[PAD_LEFT_STICK_RIGHT] = int(Action::Right);
        expected[PAD_DPAD_DOWN] = expected[PAD_LEFT_STICK_DOWN] = int(Action::Down);
        expected[PAD_SOUTH] = int(Action::AttackH);
        expected[PAD_EAST] = int(Action::AttackV);
        expected[PAD_WEST] = expected[PAD_LEFT_SHOULDER] = expected[PAD_RIGHT_SHOULDER] = int(Action::Block);
        EXPECT_EQ(pad, expected);
    }
}

TEST(ControlsFile, PrintedBindingsReadBackTheSame)
{
    const Controls defaults = defaultControls();
    const ControlsReading again = parseControls(formatControls(defaults), "printed");
    EXPECT_TRUE(again.messages.empty()) << again.messages.front();
    EXPECT_TRUE(sameControls(again.controls, defaults));

    // Every kind of name: literal, accented, named, numbered, special, pad, none.
    const std::string text = "[player1]\n"
                             "left = space comma semicolon\n"
                             "up = \xC3\xA9 0x80 tab\n"
                             "right = f5 shift_left\n"
                             "attack_h = =\n"
                             "block =\n"
                             "pad_block = left_trigger right_stick_up\n"
                             "[player2]\n"
                             "left = # [ escape\n"
                             "pad_attack_h = start\n";
    const ControlsReading custom = parseControls(text, "custom");
    ASSERT_TRUE(custom.messages.empty()) << custom.messages.front();
    const Controls& c = custom.controls;
    EXPECT_EQ(c.characters[' '], P1_LEFT);
    EXPECT_EQ(c.characters[','], P1_LEFT);
    EXPECT_EQ(c.characters[';'], P1_LEFT);
    EXPECT_EQ(c.characters[0xE9], P1_UP);
    EXPECT_EQ(c.characters[0x80], P1_UP);
    EXPECT_EQ(c.characters['\t'], P1_UP);
    EXPECT_EQ(c.specials[GLUT_KEY_F5], P1_RIGHT);
    EXPECT_EQ(c.specials[GLUT_KEY_SHIFT_L], P1_RIGHT);
    EXPECT_EQ(c.characters['='], P1_H);
    EXPECT_EQ(c.characters['u'], UNBOUND);
    EXPECT_EQ(c.characters['#'], 7);
    EXPECT_EQ(c.characters['['], 7);
    EXPECT_EQ(c.characters[27], 7);
    EXPECT_EQ(c.specials[GLUT_KEY_LEFT], UNBOUND);
    EXPECT_EQ(c.pads[0][PAD_LEFT_TRIGGER], int(Action::Block));
    EXPECT_EQ(c.pads[0][PAD_WEST], UNBOUND);
    EXPECT_EQ(c.pads[1][PAD_START], int(Action::AttackH));
    EXPECT_EQ(c.pads[1][PAD_SOUTH], UNBOUND);
    // Controls the file leaves out keep their keys.
    EXPECT_EQ(c.characters['s'], P1_DOWN);
    EXPECT_EQ(c.characters['y'], P1_V);
    EXPECT_EQ(c.characters['1'], P2_H);
    EXPECT_EQ(c.pads[0][PAD_SOUTH], int(Action::AttackH));

    // Each binding's comment starts in the same column, counted in characters.
    std::istringstream printed(formatControls(c));
    for (std::string line; std::getline(printed, line);) {
        if (line.empty() || line[0] == '#' || line[0] == '[')
            continue;
        const std::string before = line.substr(0, line.find("; "));
        EXPECT_EQ(std::count_if(before.begin(), before.end(), [](char b) { return (b & 0xC0) != 0x80; }), 47) << line;
    }

    const ControlsReading again2 = parseControls(formatControls(c), "printed");
    EXPECT_TRUE(again2.messages.empty()) << again2.messages.front();
    EXPECT_TRUE(sameControls(again2.controls, c));
}

TEST(ControlsFile, KeysCanSwapAndTheFileIsForgiving)
{
    // A byte order mark, CRLF ends, indents, comments of any length, upper-case names.
    const ControlsReading r = parseControls("\xEF\xBB\xBF# mine\r\n; " + std::string(5000, 'x') +
            "\r\n[Player1]\r\n  LEFT = w   ; was up\r\n\tup = a\r\n"
            "PAD_Attack_H = EAST\r\npad_attack_v = south\r\n",
        "swap");
    ASSERT_TRUE(r.messages.empty()) << r.messages.front();
    EXPECT_EQ(r.controls.characters['w'], P1_LEFT);
    EXPECT_EQ(r.controls.characters['a'], P1_UP);
    EXPECT_EQ(r.controls.pads[0][PAD_EAST], int(Action::AttackH));
    EXPECT_EQ(r.controls.pads[0][PAD_SOUTH], int(Action::AttackV));
    EXPECT_EQ(r.controls.pads[1][PAD_SOUTH], int(Action::AttackH));
}

TEST(ControlsFile, EachBadLineIsNamedAndIgnoredAndTheRestApplies)
{
    const std::string text = "[player1]\n"           // 1
                             "left = q\n"            // 2
                             "right = foo\n"         // 3 unknown key
                             "jump = j\n"            // 4 unknown control
                             "block = q\n"           // 5 bound twice, in the file
                             "attack_h = w\n"        // 6 bound twice, by default
                             "attack_v = k k\n"      // 7 twice on one line
                             "pad_block = south\n"   // 8 pad input bound twice
                             "pad_left = trigger\n"  // 9 unknown pad input
                             "down s\n"              // 10 not a setting
                             "[player1\n"            // 11 unclosed section
                             "up = " +
        std::string(200, 'x') + "\n" +  // 12 too long
        "[player3]\n"                   // 13
        "left = z\n"                    // 14 unknown section
        "[player2]\n"                   // 15
        "right = o\n" +                 // 16 still applies
        "down = p ;" +
        std::string(CONTROLS_LINE_LIMIT - 10, 'c') + "\n" +  // 17 at the limit: applies
        "left = \xC2\xA0\n"                                  // 18 a no-break space is no key
        "\x01\x02\x9b = \x1b\x7f\n"                          // 19 binary bytes
        "attack_v = 8\n";                                    // 20 still applies
    const ControlsReading r = parseControls(text, "/home/p/controls.conf");
    const std::vector<std::string> expected = {
        "/home/p/controls.conf:3: unknown key \"foo\" for right; line ignored",
        "/home/p/controls.conf:4: unknown control \"jump\"; line ignored",
        "/home/p/controls.conf:5: \"q\" is already bound to player 1 left on line 2; line ignored",
        "/home/p/controls.conf:6: \"w\" is already bound to player 1 up by default; line ignored",
        "/home/p/controls.conf:7: \"k\" is given twice on this line; line ignored",
        "/home/p/controls.conf:8: \"south\" is already bound to player 1 pad_attack_h by default; line ignored",
        "/home/p/controls.conf:9: unknown pad input \"trigger\" for pad_left; line ignored",
        "/home/p/controls.conf:10: not a setting; expected \"control = keys\"; line ignored",
        "/home/p/controls.conf:11: section name without a closing ]; line ignored",
        "/home/p/controls.conf:12: line longer than 160 characters; line ignored",
        "/home/p/controls.conf:14: unknown section [player3]; line ignored",
        "/home/p/controls.conf:18: unknown key \"\xC2\xA0\" for left; line ignored",
        "/home/p/controls.conf:19: not text; line ignored",
    };
    EXPECT_EQ(r.messages, expected);

    const Controls& c = r.controls;
    EXPECT_EQ(c.characters['q'], P1_LEFT);
    EXPECT_EQ(c.characters['a'], UNBOUND);
    // Each refused line leaves its control as it was.
    EXPECT_EQ(c.characters['d'], P1_RIGHT);
    EXPECT_EQ(c.characters['u'], P1_BLOCK);
    EXPECT_EQ(c.characters['t'], P1_H);
    EXPECT_EQ(c.characters['y'], P1_V);
    EXPECT_EQ(c.characters['k'], UNBOUND);
    EXPECT_EQ(c.characters['w'], P1_UP);
    EXPECT_EQ(c.pads[0][PAD_WEST], int(Action::Block));
    EXPECT_EQ(c.pads[0][PAD_DPAD_LEFT], int(Action::Left));
    EXPECT_EQ(c.characters['z'], UNBOUND);
    // The line after all of them still applies.
    EXPECT_EQ(c.characters['o'], 9);
    EXPECT_EQ(c.specials[GLUT_KEY_RIGHT], UNBOUND);
    EXPECT_EQ(c.characters['p'], 10);
    EXPECT_EQ(c.characters['8'], 12);
}

TEST(ControlsFile, ASettingBeforeAnySectionIsRefused)
{
    const ControlsReading r = parseControls("left = q\n", "f");
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0], "f:1: setting before any [player1] or [player2] section; line ignored");
    EXPECT_TRUE(sameControls(r.controls, defaultControls()));
}

TEST(ControlsFile, ABinaryOrHugeFileLeavesTheDefaults)
{
    std::string binary = "[player1]\nleft = q\n";
    binary += std::string("\x7f"
                          "ELF\0\x01\x02",
        7);
    ControlsReading r = parseControls(binary, "f");
    EXPECT_EQ(r.messages, std::vector<std::string>{"f: not a text file; using the default controls"});
    EXPECT_TRUE(sameControls(r.controls, defaultControls()));

    std::string huge = "[player1]\nleft = q\n";
    while (huge.size() <= CONTROLS_FILE_LIMIT)
        huge += "# a comment that goes on and on\n";
    r = parseControls(huge, "f");
    EXPECT_EQ(r.messages,
        std::vector<std::string>{"f: larger than 65536 bytes, so not a controls file; using the default controls"});
    EXPECT_TRUE(sameControls(r.controls, defaultControls()));

    // At the limit it is read.
    huge.resize(CONTROLS_FILE_LIMIT);
    huge.back() = '\n';
    r = parseControls(huge, "f");
    EXPECT_TRUE(r.messages.empty()) << r.messages.front();
    EXPECT_EQ(r.controls.characters['q'], P1_LEFT);
}

class ControlsFileOnDisk : public testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
            ("zandrel-controls-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder / "zandrel");
        path = (folder / "zandrel" / "controls.conf").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    void write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

    std::filesystem::path folder;
    std::string path;
};

TEST_F(ControlsFileOnDisk, AMissingFileGivesTheDefaultsSilentlyAndAnythingElseInItsPlaceIsNamed)
{
    ControlsReading r = readControlsFile(path);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_TRUE(sameControls(r.controls, defaultControls()));
    r = readControlsFile("");
    EXPECT_TRUE(r.messages.empty());

    // A pipe would block a plain open until something writes to it.
    const std::pair<void (*)(const std::string&), const char*> places[] = {
        {[](const std::string& p) { std::filesystem::create_directory(p); }, ": is a folder, not a controls file"},
        {[](const std::string& p) { mkfifo(p.c_str(), 0600); }, ": not a regular file"},
        {[](const std::string& p) { std::filesystem::create_symlink(p + ".gone", p); },
            ": a link to a file that is not there"},
    };
    for (auto [make, why] : places) {
        std::filesystem::remove_all(path);
        make(path);
        r = readControlsFile(path);
        EXPECT_EQ(r.messages, std::vector<std::string>{path + why + "; using the default controls"});
        EXPECT_TRUE(sameControls(r.controls, defaultControls()));
    }
}

TEST_F(ControlsFileOnDisk, MessagesNameTheFile)
{
    write("[player2]\nblock = nothing\nattack_v = 9\n");
    const ControlsReading r = readControlsFile(path);
    EXPECT_EQ(r.messages, std::vector<std::string>{path + ":2: unknown key \"nothing\" for block; line ignored"});
    EXPECT_EQ(r.controls.characters['9'], 12);
}

TEST_F(ControlsFileOnDisk, AHugeFileIsNotReadWhole)
{
    // Ten megabytes of a file that is not a controls file.
    {
        std::ofstream out(path, std::ios::binary);
        const std::string block(1 << 20, '\0');
        for (int i = 0; i < 10; ++i)
            out << block;
    }
    const ControlsReading r = readControlsFile(path);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_NE(r.messages[0].find("larger than 65536 bytes"), std::string::npos) << r.messages[0];
}

TEST_F(ControlsFileOnDisk, FoundUnderTheConfigHome)
{
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string savedConfig = oldConfig ? oldConfig : "";
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";

    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    EXPECT_EQ(controlsFilePath(), path);
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(controlsFilePath(), "/home/someone/.config/zandrel/controls.conf");
    // A relative config home is not one, by the XDG rules.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(controlsFilePath(), "/home/someone/.config/zandrel/controls.conf");

    setenv("HOME", savedHome.c_str(), 1);
    if (oldConfig)
        setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST_F(ControlsFileOnDisk, TheGamePrintsItsControlsFromTheFile)
{
    write("[player1]\nleft = q\nright = what\n");
    const std::string command = "XDG_CONFIG_HOME='" + folder.string() + "' " ZANDREL_BINARY + " --print-controls 2>'" +
        (folder / "errors").string() + "'";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string printed;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        printed.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0);

    std::ifstream errors(folder / "errors");
    std::string error;
    std::getline(errors, error);
    EXPECT_EQ(error, path + ":3: unknown key \"what\" for right; line ignored");
    EXPECT_NE(printed.find("\nleft = q "), std::string::npos) << printed;

    // What it prints is a controls file that gives the same bindings.
    const ControlsReading fromFile = readControlsFile(path);
    const ControlsReading fromPrint = parseControls(printed, "printed");
    EXPECT_TRUE(fromPrint.messages.empty());
    EXPECT_TRUE(sameControls(fromPrint.controls, fromFile.controls));
}

}  // namespace
