#include "replay/player.h"

#include "replay/recorder.h"

void beginRecordedBout(Match& m, const BoutStart& s, TickEvents& events)
{
    m.playerOneChoice = s.playerOneChoice;
    m.playerTwoChoice = s.playerTwoChoice;
    m.playerOneControl = s.playerOneControl;
    m.playerTwoControl = s.playerTwoControl;
    m.tick = s.ticksBefore;
    m.boutNumber = s.boutsBefore;
    m.secondsLeft = s.secondsLeft;
    m.doorOffset = s.doorOffset;
    m.selectBrightness = s.selectBrightness;
    m.lastSideX = s.lastSideX;
    m.lastSideZ = s.lastSideZ;
    m.selectedPlayer = s.selectedPlayer;
    m.titleShown = s.titleShown;
    m.doorPhaseFlag = s.doorPhaseFlag;
    m.doorClosing = s.doorClosing;
    m.selectBrightening = s.selectBrightening;
    m.clockBrightening = s.clockBrightening;
    m.countTicks = s.countTicks;
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

std::optional<BoutOutcome> boutEnding(const Match& game)
{
    if (game.gameState == FIGHTING || game.gameState == MENU)
        return std::nullopt;
    const Character& one = *game.playerOne;
    const Character& two = *game.playerTwo;
    BoutOutcome result;
    result.ending = game.gameState;
    bool oneWins = false;
    bool twoWins = false;
    if (result.ending == RING_OUT) {
        oneWins = one.inArena() && !two.inArena();
        twoWins = two.inArena() && !one.inArena();
    } else if (result.ending == KNOCKOUT) {
        twoWins = one.health <= 0.0f && two.health > 0.0f;
        oneWins = two.health <= 0.0f && one.health > 0.0f;
    } else {
        oneWins = two.health < one.health;
        twoWins = one.health < two.health;
    }
    if (oneWins || twoWins) {
        result.winner = oneWins ? 1 : 2;
        result.winnerChoice = oneWins ? game.playerOneChoice : game.playerTwoChoice;
    }
    return result;
}
