#pragma once

// One network bout, played at once on local input while the other side's is
// predicted, and played again from a saved tick when a prediction was wrong.
// No sockets here: the session feeds it inputs and sends what it asks.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "characters/core/events.h"
#include "match/match.h"
#include "replay/player.h"
#include "replay/replay_file.h"

// One player's seven keys of a tick: bit i is the key table's Action(i).
using PlayerInput = std::uint8_t;
constexpr int PLAYER_KEYS = ACTION_COUNT;
// The most ticks local input may wait before it acts (--delay).
constexpr int MAX_INPUT_DELAY = 6;

// Player 1's or player 2's seven entries of a key table.
PlayerInput playerInput(const int* keys, int player);
// Either key set: at a network game both play the machine's own fighter.
PlayerInput eitherKeySet(const int* keys);
// The key table of a tick from both players' inputs.
KeyState keyStateOf(PlayerInput one, PlayerInput two);

// The match a network bout starts from: a fresh match counting ticks.
Match networkMatch(int choiceOne, int choiceTwo);
// A network bout from its start: a fresh match counting ticks, the bout begun
// (its sounds added to `events` if given).
Match networkBoutStart(int choiceOne, int choiceTwo, TickEvents* events = nullptr);

// What to play or stop when a tick played again made the sounds `is` where it
// had made `was`: nothing for a sound it makes again, a stop for one it no
// longer makes, the new ones as they are.
void correctSounds(const std::vector<SoundEvent>& was, const std::vector<SoundEvent>& is, std::vector<SoundEvent>& out);

// What both sides agreed happened: replayable from networkBoutStart(choices).
struct BoutRecord {
    int choiceOne = 0;
    int choiceTwo = 0;
    // The tick inputs from the bout's first tick; no sounds wait in a network bout.
    std::vector<TickInput> ticks;
};

class Rollback {
public:
    // The other side may fall this many ticks behind before this one waits.
    static constexpr int MAX_AHEAD = 8;
    // Saved states: enough for the deepest re-simulation and the hash checks.
    static constexpr int SAVED = MAX_AHEAD + 2;
    static constexpr int HASH_INTERVAL = 30;

    // Tests only: changes the match after every tick this side plays, so
    // that the sides disagree.
    using Tamper = std::function<void(Match&)>;

    Rollback(int localPlayer, int delay, int choiceOne, int choiceTwo, Tamper tamper = {});

    // Whether another tick may be played without running too far ahead.
    bool canAdvance() const;
    // Plays the next tick; `local` is pressed now and acts `delay` ticks later.
    // The tick's sounds are added to `sounds`.
    void advance(PlayerInput local, std::vector<SoundEvent>& sounds);
    // The other side's inputs of ticks first..; known ones are ignored and a
    // gap drops the rest. Call settle() before drawing.
    void receive(std::uint32_t first, const std::vector<PlayerInput>& inputs);
    // Plays again from the first wrong prediction, then confirms what both
    // sides' inputs fix; sounds to correct are added to `sounds`.
    void settle(std::vector<SoundEvent>& sounds);

    // The match to draw: the present, predicted.
    const Match& current() const { return now; }
    std::uint32_t present() const { return std::uint32_t(now.tick); }
    // Ticks played with both real inputs.
    std::uint32_t confirmed() const { return confirmedTicks; }
    // Ticks of local input known, and of the other side's received, from tick 0.
    std::uint32_t localKnown() const { return std::uint32_t(localInputs.size()); }
    std::uint32_t remoteKnown() const { return std::uint32_t(remoteInputs.size()); }
    const std::vector<PlayerInput>& localHistory() const { return localInputs; }

    // Trace lines of ticks confirmed since the last call, in order.
    std::vector<std::string> takeConfirmedTrace() { return std::exchange(confirmedTrace, {}); }
    // (tick, state hash) of every HASH_INTERVAL-th confirmed tick since the last call.
    std::vector<std::pair<std::uint32_t, std::uint64_t>> takeCheckpoints() { return std::exchange(checkpoints, {}); }
    // The other side's hash of a tick; a tick whose hashes differ is a desync.
    void remoteHash(std::uint32_t tick, std::uint64_t hash);
    std::optional<std::uint32_t> desyncTick() const { return desync; }

    // The confirmed match back at the title: the bout is over at this tick.
    std::optional<std::uint32_t> overTick() const { return over; }
    std::uint64_t overHash() const { return finalHash; }
    BoutRecord record() const;
    // Both sides' keys of a confirmed tick (tick < confirmed()).
    TickInput confirmedInput(std::uint32_t tick) const;
    // The state hash after the last confirmed tick.
    std::uint64_t confirmedHash() const { return stateHash(stateAt(confirmedTicks)); }
    // The confirmed ticks as a replay, ending on the confirmed state.
    Replay replay() const;
    // How the bout ended, once a confirmed tick shows it.
    const std::optional<BoutOutcome>& outcome() const { return ending; }

    struct Stats {
        long rollbacks = 0;
        long resimulated = 0;
        int deepest = 0;
    };
    const Stats& stats() const { return counts; }

private:
    struct Played {
        Match before;                // the state the tick started from
        PlayerInput remoteUsed = 0;  // what the other side was taken to press
        std::vector<SoundEvent> sounds;
        std::vector<std::string> trace;
    };
    Played& slot(std::uint32_t tick) { return played[tick % SAVED]; }
    const Match& stateAt(std::uint32_t tick) const;
    PlayerInput remoteFor(std::uint32_t tick) const;
    void simulate(std::uint32_t tick, Played& p);
    void confirm();

    int localPlayer;
    int choiceOne, choiceTwo;
    Tamper tamper;
    Match now;
    std::array<Played, SAVED> played;
    std::vector<PlayerInput> localInputs;
    std::vector<PlayerInput> remoteInputs;
    std::optional<std::uint32_t> firstWrong;
    std::uint32_t confirmedTicks = 0;
    std::vector<std::string> confirmedTrace;
    std::vector<std::pair<std::uint32_t, std::uint64_t>> checkpoints;
    std::vector<std::pair<std::uint32_t, std::uint64_t>> localHashes;
    std::vector<std::pair<std::uint32_t, std::uint64_t>> remoteHashes;
    std::optional<std::uint32_t> desync;
    std::optional<std::uint32_t> over;
    std::uint64_t finalHash = 0;
    std::optional<BoutOutcome> ending;
    Stats counts;
};
