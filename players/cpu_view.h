#pragma once

#include <memory>

#include "match/match.h"

// What a player sees of one fighter on the screen.
struct FighterView {
    int kind = JACK;  // JACK or DARTH
    float x = 0.0f;
    float z = 0.0f;
    float facing = 0.0f;
    int state = RESTING;
    float health = 100.0f;
};

// What a player sees of the match: the two fighters and the clock. Nothing
// of the keys or what comes next.
struct MatchView {
    bool fighting = false;
    int secondsLeft = 0;
    FighterView fighters[2];  // player 1, player 2
    // The picture itself, to play on with the rules: the fighters' poses and
    // the moves they have begun, as a player who knows the moves reads them.
    // Empty outside a bout.
    std::shared_ptr<const Match> scene;
};

MatchView viewOf(const Match& match);
// A match that shows what the view shows, for a view without its scene: a
// fighter seen swinging has just begun the row of that kind that lands most
// from where it stands.
Match sceneFrom(const MatchView& view);

// The seven entries of the key table that one player's controls use.
struct PlayerKeys {
    int up, down, right, left, attackH, attackV, block;
};
PlayerKeys playerKeys(int player);
// The block, beside the move table's control bits.
constexpr unsigned CONTROL_BLOCK = 1u << 6;
// Sets the player's seven entries of the key table to the controls' bits.
void writeControls(int player, unsigned controls, KeyState& keys);

// Anything that plays a side: each tick it sees the view and writes its own
// seven entries of the key table, and nothing else.
class Player {
public:
    virtual ~Player() = default;
    virtual void play(const MatchView& view, KeyState& keys) = 0;
};
