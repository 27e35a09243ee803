// Speed of the game's hot paths. Run under an X server (the test command's
// Xvfb, or `xvfb-run -a build/bench/zandrel_bench`); not part of the tests.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "audio/sound_bank.h"
#include "characters/core/character.h"
#include "characters/core/framelist.h"
#include "characters/core/trace.h"
#include "match/match.h"
#include "scene/bmp.h"
#include "scene/match_drawing.h"
#include "scene/textures.h"
#include "shell/clock.h"
#include "shell/game.h"
#include "shell/shell.h"
#include "tests/support/random_bout.h"

extern "C" char** environ;

namespace {

// The bout clock stands still in these, so a benchmarked bout never runs out of time.
constexpr long FROZEN_SECOND = 1'000'000;

void quietStdout()
{
    // The trace lines would dominate the measurements.
    std::freopen("/dev/null", "w", stdout);
}

void startBenchBout(Match& match)
{
    match = Match{};
    match.playerOneChoice = DARTH;
    match.playerTwoChoice = JACK;
    TickEvents events;
    startBout(match, FROZEN_SECOND, events);
}

void BM_FramelistAdvance(benchmark::State& state)
{
    Frame pose{};
    Framelist list;
    list.add(Frame{}, 25, false, pose);
    Frame far{};
    for (int i = 0; i < Frame::FIELDS; ++i)
        far[i] = 1000.0f + i;
    for (auto _ : state) {
        if (list.advance(pose))
            list.add(pose.bodyAngleTiltForward > 0 ? Frame{} : far, 250, false, pose);
        benchmark::DoNotOptimize(pose);
    }
}
BENCHMARK(BM_FramelistAdvance);

void BM_BoutTickWithoutDrawing(benchmark::State& state)
{
    Match match;
    startBenchBout(match);
    TickInput input;
    input.calendarSecond = FROZEN_SECOND;
    int tick = 0;
    for (auto _ : state) {
        // Walk in and out and swing now and then, as players do.
        input.keyState[2] = (tick / 60) % 2;
        input.keyState[0] = 1 - input.keyState[2];
        input.keyState[4] = (tick % 90) < 5;
        TickEvents events;
        step(match, input, events);
        if (match.gameState != FIGHTING)
            startBenchBout(match);
        ++tick;
    }
}
BENCHMARK(BM_BoutTickWithoutDrawing);

// A whole 60-second bout, headless: 3,600 ticks of two players pressing keys
// at random (a bout that ends early is played again from its start).
void BM_HeadlessBout(benchmark::State& state)
{
    std::uint32_t seed = 1;
    for (auto _ : state) {
        int ticks = 0;
        while (ticks < 3600) {
            Match match;
            RandomPlayers players(seed++);
            startRandomBout(match, DARTH, JACK, players.startSecond);
            ticks += playOut(match, players, 3600 - ticks);
        }
    }
}
BENCHMARK(BM_HeadlessBout)->Unit(benchmark::kMillisecond);

void BM_StateHash(benchmark::State& state)
{
    Match match;
    startBenchBout(match);
    for (auto _ : state)
        benchmark::DoNotOptimize(stateHash(match));
}
BENCHMARK(BM_StateHash);

void BM_BoutFrame(benchmark::State& state)
{
    Match& match = liveMatch();
    startBenchBout(match);
    TickInput input;
    input.calendarSecond = FROZEN_SECOND;
    for (auto _ : state) {
        TickEvents events;
        step(match, input, events);
        shell().draw();
        glFinish();
        if (match.gameState != FIGHTING)
            startBenchBout(match);
    }
}
BENCHMARK(BM_BoutFrame)->Unit(benchmark::kMillisecond);

void BM_MenuFrame(benchmark::State& state)
{
    Match& match = liveMatch();
    match = Match{};
    match.titleShown = false;
    match.doorPhaseFlag = false;
    TickInput input;
    for (auto _ : state) {
        TickEvents events;
        step(match, input, events);
        shell().draw();
        glFinish();
    }
}
BENCHMARK(BM_MenuFrame)->Unit(benchmark::kMillisecond);

void BM_DecodeTextureTable(benchmark::State& state)
{
    std::vector<std::string> files = {"marble", "background", "ground2", "jackface", "darthface", "jack", "darthmaul",
        "player", "select", "start", "title", "door"};
    for (int digit = 0; digit <= 9; ++digit)
        files.push_back(std::to_string(digit));
    for (auto _ : state) {
        for (const std::string& name : files) {
            BitmapImage* image = decodeBmp(("graphics/" + name + ".bmp").c_str());
            benchmark::DoNotOptimize(image);
            freeBitmapImage(image);
        }
    }
}
BENCHMARK(BM_DecodeTextureTable)->Unit(benchmark::kMillisecond);

// What the first frame of each bout adds: the sky decoded and uploaded again
// after the menu let go of it.
void BM_SkyUploadAtBoutStart(benchmark::State& state)
{
    for (auto _ : state) {
        releaseSky();
        holdSky();
        glFinish();
    }
}
BENCHMARK(BM_SkyUploadAtBoutStart)->Unit(benchmark::kMillisecond);

void BM_LoadSoundBank(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        closeSoundBank();
        state.ResumeTiming();
        loadSoundBank();
    }
}
BENCHMARK(BM_LoadSoundBank)->Unit(benchmark::kMillisecond);

// From a new process's start to its first finished frame: this binary run
// again with --first-frame, which starts the game as main does, plays its
// first paced frame and exits.
void BM_StartupToFirstFrame(benchmark::State& state)
{
    char self[] = "/proc/self/exe";
    char flag[] = "--first-frame";
    char* args[] = {self, flag, nullptr};
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        pid_t child;
        if (posix_spawn(&child, self, nullptr, nullptr, args, environ) != 0) {
            state.SkipWithError("cannot start the game");
            break;
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the game did not reach its first frame");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_StartupToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
// Kilobytes of the heap and anonymous maps: what the game itself holds, not
// the pages of the libraries it maps.
long privateAnonymousKb()
{
    std::ifstream smaps("/proc/self/smaps");
    long kb = 0;
    bool anonymous = false;
    for (std::string line; std::getline(smaps, line);) {
        std::istringstream words(line);
        std::string first, perms, offset, device, inode, name;
        words >> first;
        if (first.find('-') != std::string::npos && (words >> perms >> offset >> device >> inode)) {
            words >> name;
            anonymous = name.empty() || name[0] == '[';
        } else if (anonymous && (first == "Private_Clean:" || first == "Private_Dirty:")) {
            long value = 0;
            words >> value;
            kb += value;
        }
    }
    return kb;
}

long residentKb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

long benchSecond = FROZEN_SECOND;

void frames(int count)
{
    for (int i = 0; i < count; ++i) {
        // The win and ring-out sounds would hold each ending for seconds.
        for (SoundId id : {SoundId::JACK_WIN, SoundId::DARTH_WIN, SoundId::JACK_RINGOUT, SoundId::DARTH_RINGOUT})
            stopSound(soundTable[id]);
        advanceFrame();
        glFinish();
    }
}

// Clicks at a point of the 800 by 600 menu, in the 800 by 600 window.
void click(const Region& region)
{
    onMouse(GLUT_LEFT_BUTTON, GLUT_UP, (region.left + region.right) / 2, (region.top + region.bottom) / 2);
}

// The game as main starts it: its private memory on the select screen, then
// after 200 bouts played through the same frames (keys, clicks, the clock run
// out) back on the select screen. Writes "menu rss after rss" in kilobytes.
int measurePrivateMemory(const char* folder)
{
    // The bouts' replays go into the scratch folder.
    setenv("XDG_DATA_HOME", folder, 1);
    quietStdout();
    TraceSilence quiet;
    char name[] = "zandrel";
    char* args[] = {name, nullptr};
    startGame(1, args);
    onReshape(800, 600);
    shell().calendar = [] { return benchSecond; };
    Match& m = liveMatch();
    auto toSelectScreen = [&] {
        for (int i = 0; i < 400 && (m.titleShown || m.doorPhaseFlag); ++i) {
            if (m.titleShown && m.doorPhaseFlag)
                onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 400, 300);
            frames(1);
        }
        frames(30);
    };
    toSelectScreen();
    const long menu = privateAnonymousKb();
    const long menuResident = residentKb();
    for (int bout = 0; bout < 200; ++bout) {
        click(START_LABEL);
        for (int f = 0; f < 40; ++f) {
            shell().keys.keyState[2] = f < 20;
            shell().keys.keyState[4] = f % 10 == 0;
            shell().keys.keyState[9] = f >= 20;
            shell().keys.keyState[11] = f % 12 == 0;
            frames(1);
        }
        std::fill(std::begin(shell().keys.keyState), std::end(shell().keys.keyState), 0);
        // The clock runs out, then the pause after the bout.
        benchSecond += 61;
        for (int f = 0; f < 50 && m.gameState != MENU; ++f) {
            frames(1);
            ++benchSecond;
        }
        if (m.gameState != MENU)
            return 1;
        toSelectScreen();
    }
    std::ofstream(std::filesystem::path(folder) / "memory")
        << menu << " " << menuResident << " " << privateAnonymousKb() << " " << residentKb() << "\n";
    return 0;
}

// The game's private memory in the menu and after 200 bouts, in a process of
// its own (this binary run again with --private-memory).
void BM_PrivateMemory(benchmark::State& state)
{
    char folder[] = "/tmp/zandrel-memory-XXXXXX";
    if (!mkdtemp(folder)) {
        state.SkipWithError("no scratch folder");
        return;
    }
    char self[] = "/proc/self/exe";
    char flag[] = "--private-memory";
    char* args[] = {self, flag, folder, nullptr};
    for (auto _ : state) {
        pid_t child;
        int status = 0;
        if (posix_spawn(&child, self, nullptr, nullptr, args, environ) != 0 || waitpid(child, &status, 0) != child ||
            !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the game did not play its bouts");
            break;
        }
    }
    long menu = 0, menuResident = 0, after = 0, afterResident = 0;
    std::ifstream(std::filesystem::path(folder) / "memory") >> menu >> menuResident >> after >> afterResident;
    std::filesystem::remove_all(folder);
    state.counters["menu_private_MB"] = double(menu) / 1024;
    state.counters["menu_rss_MB"] = double(menuResident) / 1024;
    state.counters["200_bouts_private_MB"] = double(after) / 1024;
    state.counters["200_bouts_rss_MB"] = double(afterResident) / 1024;
}
BENCHMARK(BM_PrivateMemory)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    Shell shell;
    useShell(&shell);
    if (argc > 2 && std::strcmp(argv[1], "--private-memory") == 0)
        return measurePrivateMemory(argv[2]);
    if (argc > 1 && std::strcmp(argv[1], "--first-frame") == 0) {
        quietStdout();
        startGame(1, argv);
        onReshape(800, 600);
        advanceFrame();
        glFinish();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    quietStdout();
    // The trace lines would dominate the measurements.
    TraceSilence quiet;
    startGame(1, argv);
    onReshape(800, 600);
    // Standard output carries the game's trace, silenced above; report on standard error.
    benchmark::ConsoleReporter reporter;
    reporter.SetOutputStream(&std::cerr);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
