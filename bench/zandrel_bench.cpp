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
#include "scene/bmp.h"
#include "shell/clock.h"
#include "shell/game.h"
#include "shell/input.h"
#include "shell/match.h"

namespace {

// Keeps the bout clock still so a benchmarked bout never runs out of time.
long frozenSeconds()
{
    return 1'000'000;
}

void quietStdout()
{
    // The trace lines would dominate the measurements.
    std::freopen("/dev/null", "w", stdout);
}

void startBenchBout()
{
    calendarSeconds = frozenSeconds;
    playerOneChoice = 1;  // Darth
    playerTwoChoice = 0;  // Jack
    startBout();
}

void BM_FramelistAdvance(benchmark::State& state)
{
    Frame pose{};
    Framelist list;
    list.setPose(&pose);
    list.add({new Frame{}, new Frame{}}, 25, false);
    Frame far{};
    for (int i = 0; i < Frame::FIELDS; ++i)
        far[i] = 1000.0f + i;
    for (auto _ : state) {
        if (list.advance())
            list.add({new Frame(pose.bodyAngleTiltForward > 0 ? Frame{} : far), new Frame{}}, 250, false);
        benchmark::DoNotOptimize(pose);
    }
}
BENCHMARK(BM_FramelistAdvance);

void BM_BoutTickWithoutDrawing(benchmark::State& state)
{
    startBenchBout();
    int step = 0;
    for (auto _ : state) {
        // Walk in and out and swing now and then, as players do.
        keyState[2] = (step / 60) % 2;
        keyState[0] = 1 - keyState[2];
        keyState[4] = (step % 90) < 5;
        playerOne->update(keyState);
        playerTwo->update(keyState);
        playerOne->animate();
        playerTwo->animate();
        if (gameState != FIGHTING)
            startBenchBout();
        ++step;
    }
    for (int& k : keyState)
        k = 0;
}
BENCHMARK(BM_BoutTickWithoutDrawing);

void BM_BoutFrame(benchmark::State& state)
{
    startBenchBout();
    for (auto _ : state) {
        onDisplay();
        glFinish();
        if (gameState != FIGHTING)
            startBenchBout();
    }
}
BENCHMARK(BM_BoutFrame)->Unit(benchmark::kMillisecond);

void BM_MenuFrame(benchmark::State& state)
{
    gameState = MENU;
    titleShown = false;
    doorPhaseFlag = false;
    for (auto _ : state) {
        onDisplay();
        glFinish();
    }
}
BENCHMARK(BM_MenuFrame)->Unit(benchmark::kMillisecond);

void BM_DecodeTextureTable(benchmark::State& state)
{
    std::vector<std::string> files = {"marble", "background", "ground2", "jackface", "darthface",
                                      "jack", "darthmaul", "player", "select", "start", "title", "door"};
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
