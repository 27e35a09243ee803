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
    TickInput input;
    if (!next(input, events))
        return false;
    ::step(game, input, events);
    played();
    return true;
}

bool ReplayPlayer::next(TickInput& input, TickEvents& events)
{
    if (finished() || run >= replay.runs.size())
        return false;
    if (ticksDone == 0)
        events.sounds.insert(events.sounds.begin(), startEvents.sounds.begin(), startEvents.sounds.end());
    // The first tick's START release is the bout's start above.
    input = inputOf(replay.runs[run].input);
    return true;
}

void ReplayPlayer::played()
{
    if (++tickInRun == replay.runs[run].ticks) {
        ++run;
        tickInRun = 0;
    }
    ++ticksDone;
    noteEnding();
}

void ReplayPlayer::append(const InputRun& more)
{
    // Kept as a run of its own: the run being played never changes under it.
    replay.runs.push_back(more);
    replay.tickCount += more.ticks;
}

void ReplayPlayer::noteEnding()
{
    if (result.ending == FIGHTING)
        if (std::optional<BoutOutcome> ending = boutEnding(game))
            result = *ending;
}
