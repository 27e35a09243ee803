#include "replay/recorder.h"

#ifndef ZANDREL_VERSION
#define ZANDREL_VERSION "unknown"
#endif

BoutStart boutStartOf(const Match& m)
{
    BoutStart s;
    forEachValue(
        [](ValueRole role, auto& into, const auto& from) {
            if (role.has(KEPT))
                into = from;
        },
        static_cast<MatchValues&>(s), static_cast<const MatchValues&>(m));
    return s;
}

const char* gameVersion()
{
    return ZANDREL_VERSION;
}

TickRecord recordOf(const TickInput& input)
{
    TickRecord r;
    for (int i = 0; i < KEY_STATE_SIZE && i < REPLAY_KEY_BITS; ++i)
        if (input.keyState[i])
            r.keys |= std::uint64_t(1) << i;
    r.calendarSecond = input.calendarSecond;
    r.winSoundPlaying = input.winSoundPlaying;
    r.ringoutSoundPlaying = input.ringoutSoundPlaying;
    return r;
}

TickInput inputOf(const TickRecord& record)
{
    TickInput input;
    for (int i = 0; i < KEY_STATE_SIZE && i < REPLAY_KEY_BITS; ++i)
        input.keyState[i] = int(record.keys >> i & 1);
    input.calendarSecond = long(record.calendarSecond);
    input.winSoundPlaying = record.winSoundPlaying;
    input.ringoutSoundPlaying = record.ringoutSoundPlaying;
    return input;
}

bool ReplayRecorder::beforeTick(const Match& match)
{
    const bool endedBetweenTicks = active && match.gameState == MENU;
    if (endedBetweenTicks)
        finish();
    stateBefore = match.gameState;
    if (!active && match.gameState == MENU)
        before = boutStartOf(match);
    return endedBetweenTicks;
}

bool ReplayRecorder::afterTick(const Match& match, const TickInput& input)
{
    if (!active && stateBefore == MENU && match.gameState != MENU) {
        // Clicks before START in the same tick may have changed the rows.
        const BoutStart after = boutStartOf(match);
        current = Replay{};
        current.gameVersion = gameVersion();
        current.start = before;
        current.start.playerOneChoice = after.playerOneChoice;
        current.start.playerTwoChoice = after.playerTwoChoice;
        current.start.playerOneControl = after.playerOneControl;
        current.start.playerTwoControl = after.playerTwoControl;
        current.start.selectedPlayer = after.selectedPlayer;
        current.start.startSecond = input.calendarSecond;
        active = true;
    }
    if (!active)
        return false;
    current.append(recordOf(input));
    lastHash = stateHash(match);
    // A bout that never ends (the calendar went back) is kept up to the limit.
    if (match.gameState == MENU || current.tickCount == MAX_REPLAY_TICKS) {
        finish();
        return true;
    }
    return false;
}

Replay ReplayRecorder::takeFinished()
{
    return std::move(finished);
}

std::optional<Replay> ReplayRecorder::takeUnfinished()
{
    if (!active)
        return std::nullopt;
    finish();
    return takeFinished();
}

void ReplayRecorder::finish()
{
    current.finalHash = lastHash;
    finished = std::move(current);
    current = Replay{};
    active = false;
}
