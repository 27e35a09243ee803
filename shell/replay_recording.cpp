#include "shell/replay_recording.h"

#include <cstdio>

#include "replay/recorder.h"
#include "shell/computer_sides.h"

namespace {

ReplayRecorder recorder;
// Only the game started by startGame records; tests that tick the shell do not.
bool recordingOn = false;

// The demo's bouts are nobody's: they are not kept.
bool recordingNow()
{
    return recordingOn && !demoRunning();
}

void saveOrSay(const Replay& replay)
{
    std::string error;
    if (saveReplay(replay, replayFolder(), error).empty())
        std::fprintf(stderr, "zandrel: replay not saved: %s\n", error.c_str());
}

// The window closes, or the game exits, with a bout under way.
void saveUnfinishedBout()
{
    if (std::optional<Replay> replay = recorder.takeUnfinished())
        saveOrSay(*replay);
}

}  // namespace

void startReplayRecording()
{
    static bool registered = false;
    if (!registered)
        std::atexit(saveUnfinishedBout);
    registered = true;
    recorder = ReplayRecorder{};
    recordingOn = true;
}

void recordBeforeTick(const Match& match)
{
    if (recordingNow() && recorder.beforeTick(match))
        saveOrSay(recorder.takeFinished());
}

void recordAfterTick(const Match& match, const TickInput& input)
{
    if (!recordingNow())
        return;
    if (recorder.afterTick(match, input))
        saveOrSay(recorder.takeFinished());
}
