// A bout: its start, the clock, the fighters' tick and how it ends.
#include "characters/darth.h"
#include "characters/jack.h"
#include "match/match.h"

namespace {

constexpr int BOUT_SECONDS = 60;
constexpr float START_X = 0.0f;
constexpr float PLAYER_ONE_START_Z = -8.0f;
constexpr float PLAYER_TWO_START_Z = 8.0f;
constexpr int PULSE_SECONDS = 10;
constexpr double PULSE_DIMMEST = 0.2;
constexpr double PULSE_STEP = 0.02;
constexpr int END_OF_BOUT_PAUSE_SECONDS = 2;

std::unique_ptr<Character> createFighter(int choice, float z, int player, Character* opponent)
{
    if (choice == JACK)
        return std::make_unique<Jack>(START_X, z, player, opponent);
    return std::make_unique<Darth>(START_X, z, player, opponent);
}

// Points both fighters at the tick's events for as long as it runs.
class Reporting {
public:
    Reporting(Match& m, TickEvents& events) : m(m)
    {
        m.playerOne->reportTo(&events);
        m.playerTwo->reportTo(&events);
    }
    ~Reporting()
    {
        m.playerOne->reportTo(nullptr);
        m.playerTwo->reportTo(nullptr);
    }
    Reporting(const Reporting&) = delete;
    Reporting& operator=(const Reporting&) = delete;

private:
    Match& m;
};

// What every bout tick does first: the HUD's picture is taken, the camera
// placed and the clock stepped before the fighters act.
glm::mat4 beginBoutTick(Match& m, long now)
{
    m.shownHealthOne = m.playerOne->health;
    m.shownHealthTwo = m.playerTwo->health;
    m.view = sideView(m.playerOne->x, m.playerOne->z, m.playerTwo->x, m.playerTwo->z, m.lastSideX, m.lastSideZ);
    m.shownClockBrightness = m.clockBrightness;
    clockStep(m, now);
    return cameraMatrix(m.view);
}

// Player 1 poses first, so its weapon meets the body point player 2 found on
// the tick before, while player 2's meets player 1's of this tick.
void poseBoth(Match& m, const glm::mat4& camera, TickEvents& events)
{
    m.playerOne->posePass(camera);
    m.playerTwo->posePass(camera);
    if (events.ringOut)
        m.gameState = RING_OUT;
}

void fightingTick(Match& m, const TickInput& in, long now, TickEvents& events)
{
    const glm::mat4 camera = beginBoutTick(m, now);
    Reporting reporting(m, events);
    events.fighting = m.gameState == FIGHTING;
    m.playerOne->update(in.keyState.data());
    m.playerTwo->update(in.keyState.data());
    poseBoth(m, camera, events);
    checkBoutEnd(m);
}

// After a knock-out or the clock: the fighters play out their ends, then,
// once the win sound is over, the last picture stays a moment.
void endingTick(Match& m, const TickInput& in, long now, TickEvents& events)
{
    const int ending = m.gameState;
    const glm::mat4 camera = beginBoutTick(m, now);
    Reporting reporting(m, events);
    events.fighting = false;
    poseBoth(m, camera, events);
    if (ending == RING_OUT) {
        if (!in.ringoutSoundPlaying)
            returnToTitle(m);
    } else if (!in.winSoundPlaying) {
        m.pauseEnd = now + END_OF_BOUT_PAUSE_SECONDS;
    }
}

}  // namespace

void startBout(Match& m, long calendarSecond, TickEvents& events)
{
    events.playLooping(SoundId::BACKGROUND);
    m.boutEndTime = int(calendarSecond) + BOUT_SECONDS;
    m.clockBrightness = 1.0f;

    // Player 1 meets its real opponent only after player 2 exists.
    auto one = createFighter(m.playerOneChoice, PLAYER_ONE_START_Z, 1, nullptr);
    auto two = createFighter(m.playerTwoChoice, PLAYER_TWO_START_Z, 2, one.get());
    one->setOpponent(two.get());
    // Facing means something from the first tick, even for a swing held as the bout starts.
    one->updateFacing();
    two->updateFacing();
    m.playerOne = std::move(one);
    m.playerTwo = std::move(two);

    m.gameState = FIGHTING;
    m.pauseEnd = 0;
    ++m.boutNumber;
}

void clockStep(Match& m, long now)
{
    if (m.gameState == FIGHTING && now >= m.boutEndTime)
        m.gameState = TIME_UP;
    if (m.gameState == FIGHTING)
        m.secondsLeft = int(m.boutEndTime - now);
    if (m.secondsLeft <= PULSE_SECONDS) {
        if (m.clockBrightness <= PULSE_DIMMEST)
            m.clockBrightening = true;
        if (m.clockBrightness >= 1.0f)
            m.clockBrightening = false;
        m.clockBrightness = m.clockBrightening ? m.clockBrightness + PULSE_STEP : m.clockBrightness - PULSE_STEP;
    }
}

void checkBoutEnd(Match& m)
{
    Character& one = *m.playerOne;
    Character& two = *m.playerTwo;
    const bool knockOut = one.health <= 0.0f || two.health <= 0.0f;
    if (!knockOut && m.gameState != TIME_UP)
        return;
    const int winner = boutWinner(knockOut ? KNOCKOUT : TIME_UP, one, two);
    // Both down is a knock-out of player 1 without a winner; a draw on time ends with neither.
    if (winner != 0 || knockOut)
        (winner == 1 ? two : one).lose();
    if (winner != 0)
        (winner == 1 ? one : two).win();
    if (knockOut)
        m.gameState = KNOCKOUT;
}

int boutWinner(int ending, const Character& one, const Character& two)
{
    if (ending == RING_OUT)
        return one.inArena() == two.inArena() ? 0 : one.inArena() ? 1 : 2;
    if (one.health == two.health || (one.health <= 0.0f && two.health <= 0.0f))
        return 0;
    return one.health > two.health ? 1 : 2;
}

std::optional<BoutOutcome> boutEnding(const Match& m)
{
    if (m.gameState == FIGHTING || m.gameState == MENU)
        return std::nullopt;
    BoutOutcome result;
    result.ending = m.gameState;
    result.winner = boutWinner(m.gameState, *m.playerOne, *m.playerTwo);
    if (result.winner != 0)
        result.winnerChoice = result.winner == 1 ? m.playerOneChoice : m.playerTwoChoice;
    return result;
}

long stepSecond(const Match& m, const TickInput& in)
{
    return m.countTicks ? long(m.tick / TICK_RATE) : in.calendarSecond;
}

void step(Match& m, const TickInput& in, TickEvents& events)
{
    const long now = stepSecond(m, in);
    if (in.sides)
        menuChooseSides(m, *in.sides);
    for (const MenuPoint& p : in.releases)
        menuRelease(m, p, now, events);
    menuPadPresses(m, in.padPresses, now, events);

    if (m.gameState != MENU && m.pauseEnd != 0) {
        // The end-of-bout pause: nothing moves until it is over.
        if (now >= m.pauseEnd)
            returnToTitle(m);
    } else {
        switch (m.gameState) {
        case MENU: menuTick(m, events); break;
        case FIGHTING: fightingTick(m, in, now, events); break;
        case KNOCKOUT:
        case TIME_UP:
        case RING_OUT: endingTick(m, in, now, events); break;
        default: break;
        }
    }
    ++m.tick;
}
