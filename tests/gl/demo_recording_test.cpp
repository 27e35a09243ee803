// The demo's bouts are nobody's: the window's game records only the bouts a
// person starts. Run in a process of its own (a death test), since recording,
// once on, stays on for the process.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "characters/core/trace.h"
#include "shell/game.h"
#include "shell/shell.h"
#include "tests/gl/scene_test_helpers.h"

namespace fs = std::filesystem;

namespace {

void click(const Region& r)
{
    onMouse(GLUT_LEFT_BUTTON, GLUT_UP, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// Frames until the bout under way is over and the menu is back: the bout
// knocked out at once, the calendar run through the pause after it.
bool finishBout(Match& m)
{
    for (int f = 0; f < 300 && m.gameState == MENU; ++f)
        advanceFrame();
    if (m.gameState == MENU)
        return false;
    for (int f = 0; f < 30; ++f)
        advanceFrame();
    m.playerTwo->health = 0.0f;
    for (int f = 0; f < 30 && m.gameState != MENU; ++f) {
        advanceFrame();
        ++LiveMatchScope::calendar;
    }
    return m.gameState == MENU;
}

long replaysIn(const fs::path& folder)
{
    std::error_code ec;
    long count = 0;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        ++count;
    return count;
}

// A demo bout, then the demo ended by a click and a bout a person starts:
// exits with 0 when only the person's bout left a replay.
[[noreturn]] void demoThenPersonsBout()
{
    const fs::path data = fs::temp_directory_path() / ("zandrel-demo-" + std::to_string(getpid()));
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    const fs::path replays = data / "zandrel" / "replays";
    LiveMatchScope live(50'000);
    TraceSilence quiet;
    shell().recording.start();
    Match& m = liveMatch();
    shell().computer.startDemo();
    const bool demoPlayed = finishBout(m);
    const long afterDemo = replaysIn(replays);
    click(START_LABEL);  // ends the demo
    click(START_LABEL);  // opens the doors
    for (int f = 0; f < 200 && (m.titleShown || m.doorPhaseFlag); ++f)
        advanceFrame();
    click(START_LABEL);
    const bool personPlayed = !shell().computer.demoRunning() && finishBout(m);
    const long afterPerson = replaysIn(replays);
    std::fprintf(stderr, "demo bout %d: %ld replays; person's bout %d: %ld replays\n", demoPlayed, afterDemo,
        personPlayed, afterPerson);
    fs::remove_all(data);
    std::_Exit(demoPlayed && personPlayed && afterDemo == 0 && afterPerson == 1 ? 0 : 1);
}

TEST(DemoRecording, OnlyAPersonsBoutLeavesAReplay)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(demoThenPersonsBout(), testing::ExitedWithCode(0), "");
}

}  // namespace
