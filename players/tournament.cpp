// Headless bouts between players, for the tournament tool and the tests.
#include "players/tournament.h"

#include <atomic>
#include <cmath>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "characters/core/trace.h"
#include "characters/darth.h"
#include "characters/jack.h"
#include "players/scripted_players.h"

namespace {

constexpr long START_SECOND = 1'000'000;
// A bout lasts 60 seconds and its end a few more.
constexpr int MAX_TICKS = 80 * TICK_RATE;
// Nearer the edge than this, one tick of a fighter's own walking can take it out.
constexpr float EDGE_WATCH = 3.0f;

unsigned heldControls(const KeyState& keys, int player)
{
    const PlayerKeys k = playerKeys(player);
    return (keys[k.up] ? CONTROL_UP : 0u) | (keys[k.down] ? CONTROL_DOWN : 0u) | (keys[k.right] ? CONTROL_RIGHT : 0u) |
        (keys[k.left] ? CONTROL_LEFT : 0u) | (keys[k.attackH] ? CONTROL_H : 0u) | (keys[k.attackV] ? CONTROL_V : 0u);
}

float edgeRoom(const Character& c)
{
    float room = std::fmin(ARENA_HALF_WIDTH - std::fabs(c.x), ARENA_HALF_WIDTH - std::fabs(c.z));
    return std::fmin(room, (ARENA_CORNER_CUT - std::fabs(c.x) - std::fabs(c.z)) / std::sqrt(2.0f));
}

const Character& fighterOf(const Match& m, int player)
{
    return player == 1 ? *m.playerOne : *m.playerTwo;
}

// Whether the fighter would still have fallen had it held none of its controls.
bool knockedOut(const Match& before, const TickInput& input, int player)
{
    Match again = before;
    TickInput still = input;
    const PlayerKeys k = playerKeys(player);
    for (int entry : {k.up, k.down, k.right, k.left, k.attackH, k.attackV, k.block})
        still.keyState[entry] = 0;
    TickEvents events;
    step(again, still, events);
    return !fighterOf(again, player).inArena();
}

}  // namespace

std::unique_ptr<Player> makePlayer(int contender, int player, std::uint32_t seed)
{
    switch (contender) {
    case MASHER: return std::make_unique<ButtonMasher>(player, seed);
    case WALK_IN: return std::make_unique<WalkInPlayer>(player, seed);
    case BLOCKER: return std::make_unique<BlockerPlayer>(player, seed);
    case CIRCLER: return std::make_unique<CirclerPlayer>(player, seed);
    case TURTLE: return std::make_unique<TurtlePlayer>(player);
    default: return std::make_unique<CpuPlayer>(player, contender, seed);
    }
}

const char* contenderName(int contender)
{
    switch (contender) {
    case CPU_EASY: return "easy";
    case CPU_NORMAL: return "normal";
    case CPU_HARD: return "hard";
    case MASHER: return "masher";
    case WALK_IN: return "walkin";
    case BLOCKER: return "blocker";
    case CIRCLER: return "circler";
    case TURTLE: return "turtle";
    default: return "human";
    }
}

int contenderNamed(const std::string& name)
{
    for (int c = CPU_EASY; c < CONTENDER_COUNT; ++c)
        if (name == contenderName(c))
            return c;
    return -1;
}

unsigned rowsTakingEffect(const Character& fighter, unsigned held)
{
    const MoveSet& moves = fighter.kind() == DARTH ? darthMoves : jackMoves;
    bool attacking = fighter.isAttacking();
    int last = -1;
    for (int i = 0; i < int(moves.attackRows.size()); ++i) {
        const AttackRow& row = moves.attackRows[i];
        if ((held & row.keys) != row.keys || (row.gated && attacking))
            continue;
        last = i;
        if (row.state != STATE_UNCHANGED)
            attacking = row.state == ATTACK_H || row.state == ATTACK_V;
    }
    // A later row of the same update takes over what an earlier one queued.
    return last < 0 ? 0u : 1u << last;
}

BoutResult playBout(const BoutSetup& setup)
{
    TraceSilence quiet;
    BoutResult result;
    Match m;
    m.playerOneChoice = setup.kind[0];
    m.playerTwoChoice = setup.kind[1];
    TickEvents startEvents;
    startBout(m, START_SECOND, startEvents);
    std::unique_ptr<Player> players[2] = {
        makePlayer(setup.contender[0], 1, setup.seed * 2 + 1), makePlayer(setup.contender[1], 2, setup.seed * 2 + 2)};
    bool ended = false;
    for (int tick = 0; tick < MAX_TICKS && m.gameState != MENU; ++tick) {
        TickInput input;
        input.calendarSecond = START_SECOND + tick / TICK_RATE;
        const MatchView view = viewOf(m);
        players[0]->play(view, input.keyState);
        players[1]->play(view, input.keyState);

        std::optional<Match> before;
        if (m.gameState == FIGHTING) {
            for (int p = 1; p <= 2; ++p)
                result.rowsUsed[p - 1] |= rowsTakingEffect(fighterOf(m, p), heldControls(input.keyState, p));
            if (edgeRoom(*m.playerOne) < EDGE_WATCH || edgeRoom(*m.playerTwo) < EDGE_WATCH)
                before.emplace(m);
        }
        TickEvents events;
        step(m, input, events);
        result.ticks = tick + 1;

        if (!ended && m.gameState != FIGHTING) {
            ended = true;
            result.winner = boutWinner(m.gameState, *m.playerOne, *m.playerTwo);
            result.end = m.gameState == KNOCKOUT ? KNOCKED_OUT : m.gameState == TIME_UP ? TIMED_OUT : RANG_OUT;
            if (m.gameState == RING_OUT && result.winner != 0) {
                const int fallen = 3 - result.winner;
                if (!before || !knockedOut(*before, input, fallen))
                    result.selfRingOut = fallen;
            }
        }
    }
    if (m.gameState != MENU)
        result.end = NEVER_ENDED;
    return result;
}

namespace {

// Every eight bouts: each pairing of fighters, a in either slot.
BoutSetup setupOf(int a, int b, int i, std::uint32_t firstSeed)
{
    const int kindA = i & 1 ? DARTH : JACK;
    const int kindB = i & 2 ? DARTH : JACK;
    const bool aFirst = (i & 4) == 0;
    BoutSetup setup{};
    setup.contender[0] = aFirst ? a : b;
    setup.contender[1] = aFirst ? b : a;
    setup.kind[0] = aFirst ? kindA : kindB;
    setup.kind[1] = aFirst ? kindB : kindA;
    setup.seed = firstSeed + std::uint32_t(i) * 7919u;
    return setup;
}

void count(Tally& tally, int i, const BoutResult& r)
{
    const int kindA = i & 1 ? DARTH : JACK;
    const int kindB = i & 2 ? DARTH : JACK;
    const bool aFirst = (i & 4) == 0;
    const int slotOf[2] = {aFirst ? 1 : 2, aFirst ? 2 : 1};
    ++tally.bouts;
    if (r.end == NEVER_ENDED)
        ++tally.neverEnded;
    for (int side = 0; side < 2; ++side) {
        const int player = slotOf[side];
        if (r.winner == player) {
            ++tally.wins[side];
            if (r.end != NEVER_ENDED)
                ++tally.winsBy[side][r.end];
        }
        if (r.selfRingOut == player)
            ++tally.selfRingOuts[side];
        const int kind = side == 0 ? kindA : kindB;
        tally.rowsUsed[side][kind] |= r.rowsUsed[player - 1];
    }
    if (r.winner == 0 && r.end != NEVER_ENDED)
        ++tally.draws;
}

}  // namespace

Tally playPairing(
    int a, int b, int bouts, std::uint32_t firstSeed, int threads, const std::function<void(int)>& boutOver)
{
    std::vector<BoutResult> results(std::size_t(std::max(bouts, 0)));
    std::atomic<int> nextBout{0};
    std::mutex reporting;
    int over = 0;
    auto work = [&] {
        for (int i; (i = nextBout++) < bouts;) {
            results[std::size_t(i)] = playBout(setupOf(a, b, i, firstSeed));
            if (boutOver) {
                std::lock_guard<std::mutex> lock(reporting);
                boutOver(++over);
            }
        }
    };
    if (threads <= 0)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> helpers;
    for (int t = 1; t < std::min(threads, bouts); ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& t : helpers)
        t.join();

    Tally tally;
    for (int i = 0; i < bouts; ++i)
        count(tally, i, results[std::size_t(i)]);
    return tally;
}
