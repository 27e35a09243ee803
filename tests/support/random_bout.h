#pragma once

#include <cstdint>

#include "match/match.h"

// Two players who press and release keys at random, from a seed: the same
// seed always plays the same bout. The calendar advances a second every 60 ticks.
class RandomPlayers {
public:
    explicit RandomPlayers(std::uint32_t seed) : state(seed * 2654435761u + 1u) {}

    // The input of the next tick: each of the 14 bound entries flips now and then.
    TickInput next()
    {
        TickInput input;
        for (int i = 0; i < 14; ++i) {
            if (random() % 23 == 0)
                held[i] = !held[i];
            input.keyState[i] = held[i];
        }
        input.calendarSecond = startSecond + long(ticks / 60);
        ++ticks;
        return input;
    }

    long startSecond = 1'000'000;

private:
    std::uint32_t random()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    std::uint32_t state;
    std::uint64_t ticks = 0;
    bool held[14] = {};
};

// A fresh match with a bout under way between the given fighters.
inline void startRandomBout(Match& match, int playerOneChoice, int playerTwoChoice, long second)
{
    match.playerOneChoice = playerOneChoice;
    match.playerTwoChoice = playerTwoChoice;
    TickEvents events;
    startBout(match, second, events);
}

// Plays until the game is back in the menu or `maxTicks` have passed; the ticks played.
inline int playOut(Match& match, RandomPlayers& players, int maxTicks)
{
    int ticks = 0;
    while (match.gameState != MENU && ticks < maxTicks) {
        TickEvents events;
        step(match, players.next(), events);
        ++ticks;
    }
    return ticks;
}
