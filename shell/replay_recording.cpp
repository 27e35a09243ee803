#include "shell/replay_recording.h"

#include <cstdio>

namespace {

std::filesystem::path saveOrSay(const Replay& replay)
{
    std::string error;
    std::filesystem::path saved = saveReplay(replay, replayFolder(), error);
    if (saved.empty())
        std::fprintf(stderr, "zandrel: replay not saved: %s\n", error.c_str());
    return saved;
}

}  // namespace

void Recording::start()
{
    recorder = ReplayRecorder{};
    on = true;
}

void Recording::beforeTick(const Match& match, bool unrecorded)
{
    // The demo's bouts are nobody's: they are not kept.
    if (on && !unrecorded && recorder.beforeTick(match))
        saveOrSay(recorder.takeFinished());
}

void Recording::afterTick(const Match& match, const TickInput& input, bool unrecorded)
{
    if (on && !unrecorded && recorder.afterTick(match, input))
        saveOrSay(recorder.takeFinished());
}

std::filesystem::path Recording::saveUnfinished()
{
    if (!on)
        return {};
    if (std::optional<Replay> replay = recorder.takeUnfinished())
        return saveOrSay(*replay);
    return {};
}
