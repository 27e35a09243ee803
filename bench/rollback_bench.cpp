// What a late input costs a network bout: restoring a saved tick and playing
// the eight since then again must fit well inside a 1/60 s frame (<= 0.5 ms).
#include <benchmark/benchmark.h>

#include "net/rollback.h"
#include "tests/support/key_script.h"

namespace {

// A bout 300 ticks in, with eight ticks played on a prediction that the
// arriving input proves wrong.
Rollback lateInputBout()
{
    Rollback r(1, 0, DARTH, JACK);
    KeyScript mine(1), theirs(2);
    std::vector<SoundEvent> sounds;
    std::vector<PlayerInput> remote;
    for (int tick = 0; tick < 300; ++tick) {
        remote.push_back(theirs.next());
        r.receive(std::uint32_t(tick), {remote.back()});
        r.advance(mine.next(), sounds);
        r.settle(sounds);
    }
    for (int tick = 0; tick < Rollback::MAX_AHEAD; ++tick)
        r.advance(mine.next(), sounds);
    // The other side had let go of everything meanwhile.
    r.receive(300, std::vector<PlayerInput>(Rollback::MAX_AHEAD, PlayerInput(remote.back() ^ 0x7f)));
    return r;
}

void BM_RollbackEightTicks(benchmark::State& state)
{
    const Rollback prepared = lateInputBout();
    std::vector<SoundEvent> sounds;
    for (auto _ : state) {
        state.PauseTiming();
        Rollback r = prepared;
        sounds.clear();
        state.ResumeTiming();
        r.settle(sounds);
        benchmark::DoNotOptimize(r.current().tick);
        if (r.stats().deepest != Rollback::MAX_AHEAD)
            state.SkipWithError("the late input did not roll back eight ticks");
    }
}
BENCHMARK(BM_RollbackEightTicks)->Unit(benchmark::kMicrosecond);

}  // namespace
