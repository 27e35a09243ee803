// Looking ahead: each option the computer has, played on a copy of the
// match against guesses of what the opponent does, and judged where it leads.
#include "players/cpu_lookahead.h"

#include <algorithm>
#include <cmath>

#include "characters/core/trace.h"
#include "players/cpu_reach.h"
#include "players/cpu_view.h"

namespace {

// What the computer weighs, in hits (a hit is 1.7 health).
constexpr double BOUT_VALUE = 60.0;       // a knock-out or ring-out, won or lost
constexpr double EDGE_CARE = 12.0;        // room behind under which the edge starts to weigh
constexpr double EDGE_WEIGHT = 0.6;       // per unit of room under that, its own
constexpr double PUSH_WEIGHT = 0.25;      // per unit of room under that, the opponent's
constexpr double GROUND_WEIGHT = 0.03;    // per unit of room gained behind itself or taken from the opponent
constexpr double PRESS_WEIGHT = 0.2;      // per unit beyond striking distance
constexpr double WHIFF_COST = 0.5;        // a swing that took nothing leaves its swinger open
constexpr double SWING_TICK_COST = 0.01;  // each tick of its own swing: it can neither block nor move

// Care: a lead of this many hits is played as carefully as the level ever plays.
constexpr double LEAD_TO_GUARD = 5.0;
constexpr double MOST_PAIN = 1.5;     // a hit taken, at most care, against one given
constexpr double MOST_CAUTION = 0.8;  // the share of the level's carelessness care takes away
constexpr double EXPOSURE = 1.5;      // per unit inside the free opponent's reach, at most care
constexpr int LAST_SECONDS = 6;       // from here a lead is only kept

// Ticks before a guessed change of what the opponent does starts: a
// person's answer to what it sees. Played carefully, none.
constexpr int ANSWER_TICKS = 8;
// Seen swinging more than this share of the time, an opponent is taken to swing without care.
constexpr double RECKLESS_SHARE = 0.6;
// A guess believed less than this share of all is left out of the worst case.
constexpr double PLAUSIBLE = 0.15;
// How long a step, circle or block is played in a rollout before guarding.
constexpr int STEP_TICKS = 12;

const Character& fighter(const Match& m, int player)
{
    return player == 1 ? *m.playerOne : *m.playerTwo;
}

float apart(const Match& m)
{
    return std::hypot(m.playerTwo->x - m.playerOne->x, m.playerTwo->z - m.playerOne->z);
}

unsigned towards(int player)
{
    return player == 1 ? CONTROL_RIGHT : CONTROL_LEFT;
}

unsigned away(int player)
{
    return player == 1 ? CONTROL_LEFT : CONTROL_RIGHT;
}

// The row a fighter would swing from `d`: the most hits, its swing-starting rows only.
const CpuMove* bestRowFrom(int kind, float d)
{
    const CpuMove* best = nullptr;
    for (const CpuMove& m : cpuMoves(kind))
        if (!m.duringSwing && m.hitsAt(d) > 0 && (!best || m.hitsAt(d) > best->hitsAt(d)))
            best = &m;
    return best;
}

// How near it comes to strike: where its rows land two hits or more.
float strikeDistance(int kind)
{
    return threatReach(kind) - 1.0f;
}

}  // namespace

long clockSecond(const Match& m)
{
    // Before its first tick a bout shows no time left: it has all of it.
    return m.countTicks ? 0 : long(m.boutEndTime) - std::max(m.secondsLeft, 1);
}

unsigned Script::at(int tick) const
{
    for (int i = 0; i < count; ++i) {
        if (tick < parts[i].ticks || i == count - 1)
            return parts[i].controls;
        tick -= parts[i].ticks;
    }
    return 0;
}

unsigned controlsShowing(int state)
{
    switch (state) {
    case ATTACK_H:
    case ATTACK_V: return SWINGING;
    case MOVE_UP: return CONTROL_UP;
    case MOVE_DOWN: return CONTROL_DOWN;
    case MOVE_RIGHT: return CONTROL_RIGHT;
    case MOVE_LEFT: return CONTROL_LEFT;
    case BLOCK: return CONTROL_BLOCK;
    default: return 0;
    }
}

unsigned guessedControls(Guess guess, const Match& m, int opponent, unsigned seen, bool reckless)
{
    // At the first opening (not into a swing of the other's), or on and on
    // when that is what it was seen doing.
    const bool swings =
        guess == SWINGS ? reckless || !fighter(m, 3 - opponent).isAttacking() : guess == KEEPS_ON && seen == SWINGING;
    if (swings) {
        const CpuMove* row = bestRowFrom(fighter(m, opponent).kind(), apart(m));
        return row ? row->controls : towards(opponent);
    }
    switch (guess) {
    case BLOCKS: return CONTROL_BLOCK;
    default: return seen == SWINGING ? 0u : seen;
    }
}

float roomBehind(float x, float z, float ux, float uz)
{
    // The octagon as eight half-planes a.p <= c.
    struct Side {
        float ax, az, c;
    };
    constexpr Side sides[] = {
        {1, 0, ARENA_HALF_WIDTH},
        {-1, 0, ARENA_HALF_WIDTH},
        {0, 1, ARENA_HALF_WIDTH},
        {0, -1, ARENA_HALF_WIDTH},
        {1, 1, ARENA_CORNER_CUT},
        {-1, -1, ARENA_CORNER_CUT},
        {1, -1, ARENA_CORNER_CUT},
        {-1, 1, ARENA_CORNER_CUT},
    };
    float room = 1e9f;
    for (const Side& s : sides) {
        float along = s.ax * ux + s.az * uz;
        if (along <= 0.0f)
            continue;
        room = std::fmin(room, (s.c - (s.ax * x + s.az * z)) / along);
    }
    return room;
}

float roomBehind(const Character& f)
{
    const float dx = f.x - f.opponent->x;
    const float dz = f.z - f.opponent->z;
    const float d = std::hypot(dx, dz);
    if (d <= 0.0f)
        return roomBehind(f.x, f.z, 1.0f, 0.0f);
    return roomBehind(f.x, f.z, dx / d, dz / d);
}

Candidate attackCandidate(int kind, int row, int chunk)
{
    const CpuMove& move = cpuMoves(kind)[std::size_t(row)];
    Candidate c;
    if (move.duringSwing)
        c.script.then(CONTROL_V, 2).then(0, 3).then(move.controls, 2);
    else
        c.script.then(move.controls, 2);
    // Block held through the swing takes over the moment it ends.
    c.script.then(CONTROL_BLOCK, 1);
    c.row = row;
    c.commit = std::max(chunk, swingTicks(kind, move) + (move.duringSwing ? 5 : 0));
    c.chunk = chunk;
    return c;
}

void Lookahead::addCandidates(int chunk)
{
    const int kind = fighter(base, player).kind();
    const float d = apart(base);
    const std::span<const CpuMove> rows = cpuMoves(kind);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CpuMove& row = rows[i];
        // A row that lands nothing from here, nor from a few steps nearer, is not worth a rollout.
        if (row.hitsAt(d) + row.hitsAt(d - 1.0f) + row.hitsAt(d - 2.0f) == 0)
            continue;
        options.push_back(attackCandidate(kind, int(i), chunk));
    }
    // A step is judged as taken for a while and then guarded, as it would be
    // decided again on the way; a block or a wait, as held throughout.
    for (unsigned controls :
        {towards(player), away(player), unsigned(CONTROL_UP), unsigned(CONTROL_DOWN), CONTROL_BLOCK, 0u}) {
        Candidate c;
        c.script.then(controls, STEP_TICKS);
        if (controls != 0)
            c.script.then(CONTROL_BLOCK, 1);
        c.commit = chunk;
        c.chunk = chunk;
        options.push_back(c);
    }
}

Guess Beliefs::likeliest() const
{
    int best = 0;
    for (int g = 1; g < GUESS_COUNT; ++g)
        if (weight[g] > weight[best])
            best = g;
    return Guess(best);
}

void Lookahead::begin(const Match& now, int who, unsigned seen, const Beliefs& believed, const Foresight& f, int chunk)
{
    base = now;
    player = who;
    opponentSeen = seen;
    beliefs = believed;
    foresight = f;
    // Ahead, it plays more carefully the bigger the lead; in the last seconds, fully.
    const double lead = (fighter(now, who).health - fighter(now, 3 - who).health) / HIT_DAMAGE;
    lastSeconds = !now.countTicks && now.secondsLeft <= LAST_SECONDS && lead > 0.0;
    care = lastSeconds ? 1.0 : std::clamp(lead / LEAD_TO_GUARD, 0.0, 1.0);
    foresight.caution += (1.0 - foresight.caution) * MOST_CAUTION * care;
    answerTicks = int(std::lround(ANSWER_TICKS * (1.0 - care)));
    const double all = believed.weight[KEEPS_ON] + believed.weight[SWINGS] + believed.weight[BLOCKS];
    swingShare = all > 0.0 ? believed.weight[SWINGS] / all : 0.0;
    // One seen swinging most of the time swings at once, into anything.
    reckless = swingShare > RECKLESS_SHARE;
    if (reckless)
        answerTicks = 0;
    second = clockSecond(now);
    options.clear();
    jobs.clear();
    addCandidates(chunk);
    // Guessing it blocks is guessing it keeps on when it was seen blocking.
    if (seen == CONTROL_BLOCK) {
        beliefs.weight[KEEPS_ON] += beliefs.weight[BLOCKS];
        beliefs.weight[BLOCKS] = 0.0;
    }
    // A level that looks less widely leaves the last guesses out.
    const int guesses = std::clamp(f.guesses, 1, GUESS_COUNT);
    for (int g = guesses; g < GUESS_COUNT; ++g)
        beliefs.weight[g] = 0.0;
    for (int c = 0; c < int(options.size()); ++c)
        for (int g = 0; g < GUESS_COUNT; ++g)
            if (beliefs.weight[g] > 0.0)
                jobs.push_back({c, Guess(g), f.horizon});
    next = 0;
}

int Lookahead::totalSteps() const
{
    int total = 0;
    for (const Job& j : jobs)
        total += j.ticks;
    return total;
}

int Lookahead::stepsLeft() const
{
    int left = 0;
    for (std::size_t j = std::size_t(next); j < jobs.size(); ++j)
        left += jobs[j].ticks;
    return left;
}

bool Lookahead::work(int steps)
{
    TraceSilence quiet;
    Match scratch;
    while (!done() && steps > 0) {
        rollout(jobs[std::size_t(next)], scratch);
        steps -= jobs[std::size_t(next)].ticks;
        ++next;
    }
    if (done())
        sumUp();
    return done();
}

// Each option's score: what it comes to as the guesses are believed, and,
// as far as the level is careful, against the guess worst for it.
void Lookahead::sumUp()
{
    double believed = 0.0;
    for (double w : beliefs.weight)
        believed += w;
    for (int c = 0; c < int(options.size()); ++c) {
        double sum = 0.0;
        double weights = 0.0;
        double worst = 1e300;
        int freeAt = 1 << 30;
        for (const Job& j : jobs) {
            if (j.candidate != c)
                continue;
            sum += beliefs.weight[j.guess] * j.result;
            weights += beliefs.weight[j.guess];
            // A guess it hardly believes is no worst case to fear.
            if (beliefs.weight[j.guess] >= PLAUSIBLE * believed)
                worst = std::min(worst, j.result);
            freeAt = std::min(freeAt, j.freeAt);
        }
        Candidate& o = options[std::size_t(c)];
        o.score = weights > 0.0 ? (1.0 - foresight.caution) * sum / weights + foresight.caution * worst : 0.0;
        // A swing is held until it is over in the first guess it ends in.
        if (o.row >= 0 && weights > 0.0)
            o.commit = std::max(o.chunk, freeAt);
    }
}

int Lookahead::best() const
{
    int best = 0;
    for (int i = 1; i < int(options.size()); ++i)
        if (options[i].score > options[best].score)
            best = i;
    return best;
}

int Lookahead::kind() const
{
    return base.playerOne ? fighter(base, player).kind() : JACK;
}

void Lookahead::rollout(Job& job, Match& scratch) const
{
    scratch = base;
    const int opponent = 3 - player;
    const Script& mine = options[std::size_t(job.candidate)].script;
    TickInput input;
    input.calendarSecond = second;
    TickEvents events;
    job.freeAt = job.ticks;
    int swingTicks = 0;
    for (int t = 0; t < job.ticks && scratch.gameState == FIGHTING; ++t) {
        const bool swinging = fighter(scratch, player).isAttacking();
        if (swingTicks > 0 && !swinging && job.freeAt == job.ticks)
            job.freeAt = t;
        swingTicks += swinging ? 1 : 0;
        writeControls(player, mine.at(t), input.keyState);
        // An answer to what it does takes the opponent a person's reaction to start.
        const Guess guess = t < answerTicks ? KEEPS_ON : job.guess;
        writeControls(opponent, guessedControls(guess, scratch, opponent, opponentSeen, reckless), input.keyState);
        events.sounds.clear();
        events.fighting = true;
        events.ringOut = false;
        step(scratch, input, events);
    }
    job.result = judge(scratch, swingTicks);
}

// Health given and taken, the bout won or lost, the edge behind each, and
// how far it still has to go to strike. With care a hit taken weighs more,
// and ending in reach of a free opponent costs; in the last seconds of a
// lead, it is kept rather than pressed.
double Lookahead::judge(const Match& end, int swingTicks) const
{
    const Character& me = fighter(end, player);
    const Character& op = fighter(end, 3 - player);
    const Character& meBefore = fighter(base, player);
    const Character& opBefore = fighter(base, 3 - player);

    const double given = (opBefore.health - op.health) / HIT_DAMAGE;
    const double taken = (meBefore.health - me.health) / HIT_DAMAGE;
    double score = given - (1.0 + (MOST_PAIN - 1.0) * care) * taken;
    score -= SWING_TICK_COST * swingTicks;
    if (given <= 0.0 && swingTicks > 0)
        score -= WHIFF_COST;
    if (!op.inArena() || op.health <= 0.0f)
        score += BOUT_VALUE;
    if (!me.inArena() || me.health <= 0.0f)
        score -= BOUT_VALUE;

    // Ground taken anywhere counts a little, near the edge much more.
    const double room = roomBehind(me);
    const double opRoom = roomBehind(op);
    score += GROUND_WEIGHT * ((room - roomBehind(meBefore)) - (opRoom - roomBehind(opBefore)));
    score -= EDGE_WEIGHT * std::max(0.0, EDGE_CARE - room);
    score += PUSH_WEIGHT * std::max(0.0, EDGE_CARE - opRoom);
    const double d = apart(end);
    if (!lastSeconds)
        score -= PRESS_WEIGHT * std::max(0.0, d - strikeDistance(me.kind()));
    if (!op.isAttacking())
        score -= EXPOSURE * care * swingShare * std::max(0.0, threatReach(op.kind()) - d);
    return score;
}
