#pragma once

// A bout's replay as data, and its file format (docs/replay-format.md).
// Pure: bytes in, bytes out; no files, no game.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "match/match_values.h"

constexpr std::uint16_t REPLAY_FORMAT_VERSION = 1;
// An hour of ticks: longer than any bout, short enough to check in a second.
constexpr std::uint32_t MAX_REPLAY_TICKS = 60 * 60 * 60;
// The key table entries a replay can hold.
constexpr int REPLAY_KEY_BITS = 36;
// The game keeps calendar seconds in an int and adds a bout's length to them.
constexpr std::int64_t MAX_REPLAY_SECOND = 0x7fffffff - 3600;
constexpr std::size_t MAX_GAME_VERSION_LENGTH = 32;

// One tick's input as the rules read it: held keys as bits (entry i of the
// key table is bit i), the calendar second and the two sound flags.
struct TickRecord {
    std::uint64_t keys = 0;
    std::int64_t calendarSecond = 0;
    bool winSoundPlaying = false;
    bool ringoutSoundPlaying = false;
    bool operator==(const TickRecord&) const = default;
};

// Ticks in a row with the same input.
struct InputRun {
    TickRecord input;
    std::uint32_t ticks = 1;
    bool operator==(const InputRun&) const = default;
};

// The game around a bout as it started: the match's kept values, the ones
// the menu and the bout before left that the bout's start does not set (its
// hash covers them), and the calendar second it started in. The match's
// other values stay as a fresh match has them.
struct BoutStart : MatchValues {
    std::int64_t startSecond = 0;
    // The same kept values and start second.
    bool operator==(const BoutStart& other) const;
};

struct Replay {
    std::string gameVersion;
    BoutStart start;
    std::uint32_t tickCount = 0;
    std::uint64_t finalHash = 0;
    std::vector<InputRun> runs;

    // Adds the next tick.
    void append(const TickRecord& tick);
    bool operator==(const Replay&) const = default;
};

std::vector<std::uint8_t> encodeReplay(const Replay& replay);
// Reads a whole file's bytes into `replay`, or says in `error` what is wrong
// with them. Accepts only what encodeReplay writes.
bool decodeReplay(const std::uint8_t* data, std::size_t size, Replay& replay, std::string& error);
// The largest file a valid replay can be.
std::size_t maxReplayFileSize();

std::uint32_t crc32(const std::uint8_t* data, std::size_t size);
