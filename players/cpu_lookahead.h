#pragma once

#include <cstdint>
#include <vector>

#include "match/match.h"

// One side's presses over a stretch of ticks: each part's controls for its
// ticks, the last part held to the end.
struct Script {
    struct Part {
        unsigned controls;
        int ticks;
    };
    static constexpr int PARTS = 6;
    Part parts[PARTS] = {};
    int count = 0;

    Script& then(unsigned controls, int ticks)
    {
        if (count < PARTS)
            parts[count++] = {controls, ticks};
        return *this;
    }
    unsigned at(int tick) const;
};

// What the computer guesses the opponent does next.
enum Guess {
    KEEPS_ON,  // holds what it was seen doing: walking, circling, blocking or nothing
    SWINGS,    // walks in and swings its best row from where it stands, at the first opening
    BLOCKS,    // holds its block
};
constexpr int GUESS_COUNT = 3;

// How much each guess is to be believed, from the opponent's habits so far.
struct Beliefs {
    double weight[GUESS_COUNT] = {1.0, 1.0, 1.0};
    // The guess it believes most.
    Guess likeliest() const;
};

// The opponent's controls this tick under a guess; `seen` is what it held
// when last seen.
unsigned guessedControls(Guess guess, const Match& match, int opponent, unsigned seen, bool reckless);
// What a fighter seen in `state` holds, as far as the screen tells; a swing
// shows as SWINGING.
constexpr unsigned SWINGING = 1u << 8;
unsigned controlsShowing(int state);

// How a level looks ahead and weighs what it finds.
struct Foresight {
    int horizon;     // ticks each rollout plays
    int guesses;     // how many of the guesses, in the order above
    double caution;  // 0: the mean over guesses counts; 1: only the worst
};

// One option and what it came to.
struct Candidate {
    Script script;
    int row = -1;        // the attack row it swings, or -1
    int commit = 0;      // ticks it is played before deciding again
    int chunk = 0;       // the least of those
    double score = 0.0;  // over the guesses, once judged
};

// Tries each candidate against each guess on copies of one match, a few
// rollouts at a time, so the work can spread over ticks.
class Lookahead {
public:
    // From `now`, the match as it will be when the choice is played.
    void begin(const Match& now, int player, unsigned opponentSeen, const Beliefs& beliefs, const Foresight& foresight,
        int chunk);
    // Plays rollouts until about `steps` ticks have been simulated; true when all are done.
    bool work(int steps);
    bool done() const { return next >= int(jobs.size()); }
    bool running() const { return !jobs.empty() && !done(); }
    void clear() { jobs.clear(); }
    // The ticks all rollouts together simulate at most, and those still to play.
    int totalSteps() const;
    int stepsLeft() const;
    const std::vector<Candidate>& candidates() const { return options; }
    // The best candidate, once done.
    int best() const;
    // The fighter it thinks for: JACK or DARTH.
    int kind() const;

private:
    struct Job {
        int candidate;
        Guess guess;
        int ticks;
        double result = 0.0;
        int freeAt = 0;  // the tick its own swing was over, or `ticks`
    };
    void rollout(Job& job, Match& scratch) const;
    void sumUp();
    double judge(const Match& end, int swingTicks) const;
    void addCandidates(int chunk);

    Match base;
    int player = 1;
    unsigned opponentSeen = 0;
    Beliefs beliefs;
    Foresight foresight{};
    double care = 0.0;         // 0 level or behind, to 1 with a lead to keep
    bool lastSeconds = false;  // a lead in the last seconds: kept, not pressed
    int answerTicks = 0;
    double swingShare = 0.0;  // how much of the time the opponent has been seen swinging
    bool reckless = false;    // so much that it is taken to swing at once, into anything
    std::vector<Candidate> options;
    std::vector<Job> jobs;
    int next = 0;
    long second = 0;
};

// Swinging attack row `row` of the fighter, then holding block until the
// swing is over.
Candidate attackCandidate(int kind, int row, int chunk);

// The calendar second a match's clock shows, to play it on by: the clock
// runs out only when it shows it will.
long clockSecond(const Match& match);

// The distance from (x, z) to the arena's edge going along (ux, uz), a unit direction.
float roomBehind(float x, float z, float ux, float uz);
// The room behind a fighter, going away from its opponent.
float roomBehind(const Character& fighter);
