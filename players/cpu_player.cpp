// The computer player: what it sees, when, how it decides, and what it presses.
#include "players/cpu_player.h"

#include <algorithm>
#include <climits>

#include "characters/core/trace.h"

namespace {

bool attacking(int state)
{
    return state == ATTACK_H || state == ATTACK_V;
}

}  // namespace

// Slower eyes, a shorter and narrower look ahead and more mistakes down the levels.
CpuLevel cpuLevel(int control)
{
    switch (control) {
    case CPU_EASY: return {24, 5, {18, 1, 0.0}, 0.12, 0.30, 0.30, 0.6};
    case CPU_NORMAL: return {14, 3, {24, 2, 0.3}, 0.04, 0.10, 0.12, 0.3};
    default: return {8, 3, {24, 3, 0.5}, 0.01, 0.03, 0.03, 0.1};
    }
}

// The seed's bits spread over the whole state: near seeds (1, 2, 3) begin
// far apart, and never with the run of small numbers a sparse state gives.
CpuRandom::CpuRandom(std::uint32_t seed) : state(seed + 0x9E3779B9u)
{
    state = (state ^ (state >> 16)) * 0x7FEB352Du;
    state = (state ^ (state >> 15)) * 0x846CA68Bu;
    state ^= state >> 16;
    if (state == 0)
        state = 1;
}

std::uint32_t CpuRandom::next()
{
    // xorshift32: the same numbers on every machine.
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

CpuPlayer::CpuPlayer(int player, int control, std::uint32_t seed)
    : player(player),
      level(cpuLevel(control)),
      random(seed)
{}

// Takes the match it saw up to tick `from` with its own presses, known or
// planned, and the opponent holding what it was seen doing; then sets the
// options going from there.
void CpuPlayer::startThinking(long now, const MatchView& seen, long from)
{
    TraceSilence quiet;
    Match m = seen.scene ? *seen.scene : sceneFrom(seen);
    const int opponent = 3 - player;
    const unsigned opponentSeen = controlsShowing(seen.fighters[opponent - 1].state);
    TickInput input;
    input.calendarSecond = clockSecond(m);
    TickEvents events;
    const Guess likeliest = habits.likeliest();
    for (long t = now - level.reaction; t < from && m.gameState == FIGHTING; ++t) {
        writeControls(player, t < now ? pressed[t % HISTORY] : planned(t), input.keyState);
        writeControls(opponent, guessedControls(likeliest, m, opponent, opponentSeen, false), input.keyState);
        events.sounds.clear();
        step(m, input, events);
    }
    if (m.gameState != FIGHTING)
        return;
    search.begin(m, player, opponentSeen, habits, level.foresight, level.think);
    searchFor = from;
}

unsigned CpuPlayer::planned(long tick) const
{
    if (tick < planStart || tick >= planEnd)
        return 0;
    return plan.at(int(tick - planStart));
}

// What the opponent does, counted in the views it acts on, the older fading.
void CpuPlayer::noteHabit(int state)
{
    constexpr double FADE = 0.98;
    for (double& w : habits.weight)
        w *= FADE;
    const Guess seen = attacking(state) ? SWINGS : state == BLOCK ? BLOCKS : KEEPS_ON;
    habits.weight[seen] += 1.0 - FADE;
}

// The best option as this level judges it, with this level's mistakes.
void CpuPlayer::choose(long from)
{
    planStart = from;
    planSwings = false;
    plan = Script{};
    if (random.uniform() < level.hesitation) {
        plan.then(0, 1);
        planEnd = from + 4 + random.below(10);
        return;
    }
    const std::vector<Candidate>& options = search.candidates();
    if (options.empty()) {
        planEnd = from + level.think;
        return;
    }
    int best = 0;
    double bestScore = -1e300;
    for (int i = 0; i < int(options.size()); ++i) {
        const double noise = level.misjudge * (random.uniform() + random.uniform() - 1.0);
        if (options[i].score + noise > bestScore) {
            bestScore = options[i].score + noise;
            best = i;
        }
    }
    Candidate c = options[std::size_t(best)];
    const int kind = search.kind();
    if (c.row >= 0 && random.uniform() < level.wrongMove)
        c = attackCandidate(kind, random.below(int(cpuMoves(kind).size())), level.think);
    else if (c.row < 0 && c.script.at(0) == CONTROL_BLOCK && random.uniform() < level.lateBlock)
        c.script = Script{}.then(0, 1);
    plan = c.script;
    planEnd = from + c.commit;
    planSwings = c.row >= 0;
}

unsigned CpuPlayer::decide(const MatchView& seen)
{
    if (!seen.fighting)
        return 0;
    TraceSilence quiet;
    const Match m = seen.scene ? *seen.scene : sceneFrom(seen);
    search.begin(m, player, controlsShowing(seen.fighters[2 - player].state), habits, level.foresight, level.think);
    search.work(INT_MAX);
    choose(seenCount);
    return planned(seenCount);
}

void CpuPlayer::play(const MatchView& view, KeyState& keys)
{
    const long now = seenCount++;
    history[now % HISTORY] = view;
    if (now >= level.reaction) {
        const MatchView& seen = history[(now - level.reaction) % HISTORY];
        if (!seen.fighting) {
            search.clear();
            searchFor = -1;
            planEnd = now;
        } else {
            // A swing newly seen: think again at once, unless its own swing is under way.
            const int opponentState = seen.fighters[2 - player].state;
            if (attacking(opponentState) && !attacking(lastSeenState) && !(planSwings && now < planEnd)) {
                search.clear();
                searchFor = -1;
                planEnd = now;
            }
            lastSeenState = opponentState;
            noteHabit(opponentState);
            if (searchFor < 0 && planEnd - now <= level.think)
                startThinking(now, seen, std::max(planEnd, now + 1));
            if (searchFor >= 0) {
                const long ticksLeft = searchFor - now;
                // The work spread evenly over the ticks until the choice is played, this one included.
                search.work(ticksLeft <= 0 ? INT_MAX : int((search.stepsLeft() + ticksLeft) / (ticksLeft + 1)));
                if (ticksLeft <= 0) {
                    choose(searchFor);
                    searchFor = -1;
                }
            }
        }
    }
    const unsigned controls = planned(now);
    pressed[now % HISTORY] = controls;
    writeControls(player, controls, keys);
}

void ButtonMasher::play(const MatchView&, KeyState& keys)
{
    const PlayerKeys k = playerKeys(player);
    const int entries[7] = {k.up, k.down, k.right, k.left, k.attackH, k.attackV, k.block};
    for (int i = 0; i < 7; ++i) {
        if (random.below(23) == 0)
            held[i] = !held[i];
        keys[entries[i]] = held[i] ? 1 : 0;
    }
}
