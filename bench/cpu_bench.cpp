// What the computer's decisions cost: each level plays whole bouts against
// the walk-in player, and every tick of its play() is timed on the thread's
// own CPU clock (the machine may be shared). Reported: the mean tick and the
// worst, in milliseconds. `zandrel_bench --benchmark_filter=Cpu`.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>

#include "characters/core/trace.h"
#include "players/tournament.h"

namespace {

double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Both fighters, both slots: four bouts per run.
void BM_CpuDecision(benchmark::State& state)
{
    const int level = int(state.range(0));
    TraceSilence quiet;
    double total = 0.0;
    double worst = 0.0;
    long ticks = 0;
    std::uint32_t seed = 1;
    for (auto _ : state) {
        for (int kind : {JACK, DARTH}) {
            for (int slot = 1; slot <= 2; ++slot) {
                Match m;
                m.playerOneChoice = kind;
                m.playerTwoChoice = kind == JACK ? DARTH : JACK;
                TickEvents events;
                startBout(m, 1000, events);
                CpuPlayer cpu(slot, level, seed);
                auto other = makePlayer(WALK_IN, 3 - slot, seed++);
                for (int t = 0; t < 60 * TICK_RATE && m.gameState == FIGHTING; ++t) {
                    TickInput input;
                    input.calendarSecond = 1000 + t / TICK_RATE;
                    // The view's copy of the match is made for the computer: it counts.
                    const double start = threadSeconds();
                    const MatchView view = viewOf(m);
                    cpu.play(view, input.keyState);
                    const double spent = threadSeconds() - start;
                    other->play(view, input.keyState);
                    total += spent;
                    worst = std::max(worst, spent);
                    ++ticks;
                    step(m, input, events);
                    events.sounds.clear();
                }
            }
        }
    }
    state.counters["mean_ms"] = ticks ? total / double(ticks) * 1e3 : 0.0;
    state.counters["worst_ms"] = worst * 1e3;
    state.counters["ticks"] = double(ticks);
}
BENCHMARK(BM_CpuDecision)->Arg(CPU_EASY)->Arg(CPU_NORMAL)->Arg(CPU_HARD)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
