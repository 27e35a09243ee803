// Speed of the game's hot paths. Run under an X server (the test command's
// Xvfb, or `xvfb-run -a build/bench/zandrel_bench`); not part of the tests.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "audio/sound_bank.h"
#include "characters/core/character.h"
#include "characters/core/framelist.h"
#include "characters/core/trace.h"
#include "match/match.h"
#include "scene/bmp.h"
#include "scene/match_drawing.h"
#include "shell/game.h"
#include "shell/shell.h"
#include "tests/support/random_bout.h"

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
        onDisplay();
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
        onDisplay();
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

extern "C" char** environ;

// From a new process's start to its first finished frame: this binary run
// again with --first-frame, which starts the game as main does, draws one
// frame and exits.
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

}  // namespace

int main(int argc, char** argv)
{
    Shell shell;
    useShell(&shell);
    if (argc > 1 && std::strcmp(argv[1], "--first-frame") == 0) {
        quietStdout();
        startGame(1, argv);
        onReshape(800, 600);
        onDisplay();
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
