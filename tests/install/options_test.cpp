#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "shell/options.h"

namespace {

// Owns the words so parseOptions can hand pointers into them to GLUT.
struct CommandLine {
    std::vector<std::string> words;
    std::vector<char*> argv;

    CommandLine(std::initializer_list<const char*> given) : words{"zandrel"}
    {
        words.insert(words.end(), given.begin(), given.end());
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
    }
    ParsedOptions parse() { return parseOptions(static_cast<int>(words.size()), argv.data()); }
};

std::vector<std::string> glutWords(const Options& options)
{
    return {options.glutArguments.begin(), options.glutArguments.end()};
}

TEST(Options, NoWordsMeanTheGamesOwnWindow)
{
    CommandLine line({});
    ParsedOptions parsed = line.parse();
    EXPECT_EQ(parsed.error, "");
    EXPECT_FALSE(parsed.options.help || parsed.options.version || parsed.options.fullscreen);
    EXPECT_EQ(parsed.options.windowWidth, 0);
    EXPECT_FALSE(parsed.options.glutGeometry);
    EXPECT_EQ(glutWords(parsed.options), std::vector<std::string>{"zandrel"});
}

TEST(Options, GlutsOwnOptionsReachGlutInOrderAndUntouched)
{
    CommandLine line(
        {"-display", ":7", "-geometry", "640x480+0+0", "-iconic", "-direct", "-indirect", "-gldebug", "-sync"});
    ParsedOptions parsed = line.parse();
    ASSERT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.options.glutArguments.size(), line.words.size());
    for (std::size_t i = 0; i < line.words.size(); ++i)
        EXPECT_EQ(parsed.options.glutArguments[i], line.argv[i]) << "word " << i;
    EXPECT_TRUE(parsed.options.glutGeometry);
}

TEST(Options, OursAreTakenOutAndGlutsKeptAroundThem)
{
    CommandLine line({"--fullscreen", "-iconic", "--window", "1024x768", "-display", "--odd:0", "-sync"});
    ParsedOptions parsed = line.parse();
    ASSERT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.fullscreen);
    EXPECT_EQ(parsed.options.windowWidth, 1024);
    EXPECT_EQ(parsed.options.windowHeight, 768);
    // A GLUT option's value is GLUT's even when it looks like one of ours.
    EXPECT_EQ(
        glutWords(parsed.options), (std::vector<std::string>{"zandrel", "-iconic", "-display", "--odd:0", "-sync"}));
    EXPECT_FALSE(parsed.options.glutGeometry);
}

TEST(Options, FlagsAndTheValueAfterAnEqualsSign)
{
    CommandLine line({"--help", "--version", "--window=1x16384"});
    ParsedOptions parsed = line.parse();
    ASSERT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.help);
    EXPECT_TRUE(parsed.options.version);
    EXPECT_EQ(parsed.options.windowWidth, 1);
    EXPECT_EQ(parsed.options.windowHeight, 16384);
}

TEST(Options, DemoIsOursAndTakesNoValue)
{
    CommandLine line({"--demo", "-iconic"});
    ParsedOptions parsed = line.parse();
    ASSERT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.demo);
    EXPECT_EQ(glutWords(parsed.options), (std::vector<std::string>{"zandrel", "-iconic"}));
    EXPECT_EQ(CommandLine({"--demo=1"}).parse().error, "--demo takes no value");
    EXPECT_NE(usageText().find("--demo"), std::string::npos);
}

TEST(Options, BadWindowSizesAreRefused)
{
    for (const char* bad : {"", "x", "800", "800x", "x600", "0x600", "800x0", "-800x600", "+800x600", "800x600x",
             "800 x600", "800x 600", "16385x600", "800x99999999999", "800X600", "1e3x600", "0x800x600", " 800x600"}) {
        CommandLine line({"--window", bad});
        ParsedOptions parsed = line.parse();
        EXPECT_EQ(parsed.error, "bad value '" + std::string(bad) + "' for --window (expected WIDTHxHEIGHT)")
            << "'" << bad << "'";
    }
}

TEST(Options, MistakesGetOneMessageNamingTheOption)
{
    struct Case {
        std::initializer_list<const char*> words;
        const char* error;
    };
    const Case cases[] = {
        {{"--nope"}, "unknown option --nope"},
        {{"--nope=3"}, "unknown option --nope"},
        {{"--"}, "unknown option --"},
        {{"--Help"}, "unknown option --Help"},
        {{"--full"}, "unknown option --full"},
        {{"--fullscreen=yes"}, "--fullscreen takes no value"},
        {{"--help="}, "--help takes no value"},
        {{"--window"}, "--window needs WIDTHxHEIGHT"},
        {{"--fullscreen", "--window"}, "--window needs WIDTHxHEIGHT"},
        {{"--host=0"}, "bad value '0' for --host (expected [PORT], 1 to 65535)"},
        {{"--host", "70000"}, "bad value '70000' for --host (expected [PORT], 1 to 65535)"},
        {{"--host", "abc"}, "bad value 'abc' for --host (expected [PORT], 1 to 65535)"},
        {{"--join"}, "--join needs HOST[:PORT]"},
        {{"--join", ":7000"}, "bad value ':7000' for --join (expected HOST[:PORT])"},
        {{"--join", "a:b"}, "bad value 'a:b' for --join (expected HOST[:PORT])"},
        {{"--delay", "7"}, "bad value '7' for --delay (expected N, 0 to 6)"},
        {{"--delay", "x"}, "bad value 'x' for --delay (expected N, 0 to 6)"},
        {{"--host", "--join", "a"}, "--host and --join cannot go together"},
        {{"--demo", "--join", "127.0.0.1"}, "--demo and --join cannot go together"},
        {{"--replay", "f.zrp", "--demo"}, "--replay and --demo cannot go together"},
        {{"--replay", "f.zrp", "--host"}, "--replay and --host cannot go together"},
        {{"--join", "a", "--verify", "--replay", "f.zrp"}, "--join and --replay cannot go together"},
        {{"--online", "s", "--host"}, "--online and --host cannot go together"},
        {{"--online", ":7446"}, "bad value ':7446' for --online (expected SERVER[:PORT])"},
        {{"--online", "s", "--room", "KFMTAB"},
            "bad value 'KFMTAB' for --room (expected CODE, six of the letters ACDEFHJKMNPRTUVWXY)"},
        {{"--room", "KFMTAX"}, "--room needs --online SERVER[:PORT]"},
        {{"--watch", "KFMTAX"}, "--watch needs --online SERVER[:PORT]"},
        {{"--online", "s", "--room", "KFMTAX", "--watch", "KFMTAX"}, "--room and --watch cannot go together"},
        // A word that is no option, nor the value of one.
        {{"foo"}, "'foo' is not an option"},
        {{"bout.zrp"}, "'bout.zrp' is not an option (to watch a replay: --replay bout.zrp)"},
        {{"-iconic", "foo"}, "'foo' is not an option"},
        {{"--host", "9000", "foo"}, "'foo' is not an option"},
        // The first mistake is the one reported.
        {{"--bad", "--window", "x"}, "unknown option --bad"},
    };
    for (const Case& c : cases) {
        CommandLine line(c.words);
        EXPECT_EQ(line.parse().error, c.error) << line.words[1];
    }
}

TEST(Options, SingleDashWordsAreGlutsWhateverTheyAre)
{
    // GLUT ignores what it does not know, as it always has.
    CommandLine line({"-fullscreen", "-", "word"});
    ParsedOptions parsed = line.parse();
    EXPECT_EQ(parsed.error, "");
    EXPECT_FALSE(parsed.options.fullscreen);
    EXPECT_EQ(glutWords(parsed.options), (std::vector<std::string>{"zandrel", "-fullscreen", "-", "word"}));
}

TEST(Options, UsageListsEveryOptionWithItsValue)
{
    std::string usage = usageText();
    for (const char* entry : {"--help", "--version", "--fullscreen", "--window WIDTHxHEIGHT", "-geometry"})
        EXPECT_NE(usage.find(entry), std::string::npos) << entry;
}

TEST(Options, NetworkPlayHostsOrJoinsWithADelay)
{
    CommandLine none({});
    EXPECT_FALSE(none.parse().options.host);
    EXPECT_EQ(none.parse().options.join, "");
    EXPECT_EQ(none.parse().options.delay, 2);

    CommandLine host({"--host"});
    ParsedOptions parsed = host.parse();
    EXPECT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.host);
    EXPECT_EQ(parsed.options.port, 0);

    CommandLine hostOnPort({"--host", "9000", "--delay", "0", "-iconic"});
    parsed = hostOnPort.parse();
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.port, 9000);
    EXPECT_EQ(parsed.options.delay, 0);
    EXPECT_EQ(glutWords(parsed.options), (std::vector<std::string>{"zandrel", "-iconic"}));

    CommandLine join({"--join", "example.org:7000"});
    parsed = join.parse();
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.join, "example.org");
    EXPECT_EQ(parsed.options.port, 7000);
    CommandLine joinDefault({"--join=10.0.0.2"});
    EXPECT_EQ(joinDefault.parse().options.join, "10.0.0.2");
    EXPECT_EQ(joinDefault.parse().options.port, 0);

    CommandLine online({"--online", "example.org:7500", "--room", "kfm-tax"});
    parsed = online.parse();
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.online, "example.org");
    EXPECT_EQ(parsed.options.onlinePort, 7500);
    EXPECT_EQ(parsed.options.room, "KFMTAX");
    CommandLine watch({"--online=10.0.0.2", "--watch", "KFMTAX"});
    parsed = watch.parse();
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.onlinePort, 0);
    EXPECT_EQ(parsed.options.watch, "KFMTAX");
}

TEST(Options, AReplayToWatchOrVerify)
{
    CommandLine line({"--replay", "bout.zrp", "-iconic", "--verify"});
    ParsedOptions parsed = line.parse();
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.replayFile, "bout.zrp");
    EXPECT_TRUE(parsed.options.verify);
    EXPECT_EQ(glutWords(parsed.options), (std::vector<std::string>{"zandrel", "-iconic"}));
    CommandLine empty({"--replay="});
    EXPECT_NE(empty.parse().error, "");
    CommandLine missing({"--replay"});
    EXPECT_EQ(missing.parse().error, "--replay needs FILE");
}

}  // namespace
