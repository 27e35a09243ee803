#pragma once

#include <cstdint>

#include "characters/core/trace.h"
#include "net/rollback.h"

// One player pressing and releasing its seven keys at random, from a seed.
class KeyScript {
public:
    explicit KeyScript(std::uint32_t seed) : state(seed * 2654435761u + 7u) {}
    PlayerInput next()
    {
        for (int i = 0; i < PLAYER_KEYS; ++i) {
            state = state * 1664525u + 1013904223u;
            if ((state >> 8) % 23 == 0)
                held ^= PlayerInput(1u << i);
        }
        return held;
    }

private:
    std::uint32_t state;
    PlayerInput held = 0;
};

// A recorded network bout played again on one machine: its trace and final hash.
struct LocalReplay {
    std::vector<std::string> trace;
    std::uint64_t finalHash = 0;
    std::uint32_t ticks = 0;
    int lastState = -1;
};

inline LocalReplay replayLocally(const BoutRecord& record)
{
    LocalReplay out;
    TraceCapture capture;
    Match m = networkBoutStart(record.choiceOne, record.choiceTwo);
    for (const TickInput& in : record.ticks) {
        out.lastState = m.gameState;
        TickEvents events;
        step(m, in, events);
        ++out.ticks;
    }
    out.trace = capture.lines();
    out.finalHash = stateHash(m);
    return out;
}
