#include "replay/player.h"

#include "replay/recorder.h"

void beginRecordedBout(Match& m, const BoutStart& s, TickEvents& events)
{
    forEachValue(
        [](ValueRole role, auto& into, const auto& from) {
            if (role.has(KEPT))
                into = from;
        },
        static_cast<MatchValues&>(m), static_cast<const MatchValues&>(s));
    startBout(m, long(s.startSecond), events);
}

std::string describeOutcome(const BoutOutcome& o)
{
    std::string text;
    switch (o.ending) {
    case KNOCKOUT: text = "knock-out"; break;
    case TIME_UP: text = "time"; break;
    case RING_OUT: text = "ring-out"; break;
    default: return "none, the recording stops mid-bout";
    }
    if (o.winner == 0)
        return text + ", a draw";
    return text + ", player " + std::to_string(o.winner) + " (" + (o.winnerChoice == JACK ? "Jack" : "Darth") +
        ") wins";
}

ReplayPlayer::ReplayPlayer(const Replay& recorded) : replay(recorded)
{
    beginRecordedBout(game, replay.start, startEvents);
}

bool ReplayPlayer::step(TickEvents& events)
{
    if (finished() || run >= replay.runs.size())
        return false;
    if (played == 0)
        events.sounds.insert(events.sounds.begin(), startEvents.sounds.begin(), startEvents.sounds.end());
    const InputRun& now = replay.runs[run];
    // The first tick's START release is the bout's start above.
    ::step(game, inputOf(now.input), events);
    if (++tickInRun == now.ticks) {
        ++run;
        tickInRun = 0;
    }
    ++played;
    noteEnding();
    return true;
}

void ReplayPlayer::noteEnding()
{
    if (result.ending == FIGHTING)
        if (std::optional<BoutOutcome> ending = boutEnding(game))
            result = *ending;
}
