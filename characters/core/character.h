#pragma once

#include <glm/mat4x4.hpp>

#include <memory>

#include "characters/core/events.h"
#include "characters/core/frame.h"
#include "characters/core/framelist.h"
#include "characters/core/moves.h"

// State codes of the character state machine (no state has the code 2).
enum CharacterState {
    RESTING = 0,
    BREATHING = 1,
    BLOCK = 3,
    MOVE_UP = 4,
    MOVE_DOWN = 5,
    STOPPING = 6,
    MOVE_LEFT = 7,
    MOVE_RIGHT = 8,
    ATTACK_H = 9,
    ATTACK_V = 10,
};

// The health a landed hit takes.
constexpr float HIT_DAMAGE = 1.7f;
// The arena: a square of half-width 40 with its corners cut at |x| + |z| = 55.3.
constexpr float ARENA_HALF_WIDTH = 40.0f;
constexpr float ARENA_CORNER_CUT = 55.3f;

// Which fighter a player chose.
enum FighterKind { JACK = 0, DARTH = 1 };

// Rules every fighter shares: movement relative to the opponent, the arena,
// facing, the hit rule, and the state machine that plays its MoveSet. A
// fighter never draws: posePass() runs its body on the CPU to find where its
// body and weapon are, and the drawing reads the same state afterwards.
class Character {
public:
    Character(float x, float z, int player, Character* opponent, const MoveSet& moves);
    virtual ~Character();
    Character& operator=(const Character&) = delete;
    // A copy of this fighter, its pose and its queue (for saving a game);
    // its opponent is still the original's until the caller sets it. Only
    // the playable fighters can be copied; others give nothing.
    virtual std::unique_ptr<Character> clone() const { return nullptr; }

    // One tick after update(): animate, face the opponent, then find the
    // body point and, while attacking, hand each weapon point to the opponent,
    // all under the camera of the tick.
    virtual void posePass(const glm::mat4& camera) = 0;
    virtual FighterKind kind() const = 0;
    virtual void update(const int* keys);
    virtual bool checkHit(float x, float y, float z);
    virtual void ringOut();
    virtual void lose();
    virtual void win();
    virtual void animate();

    float getX() const { return x; }
    float getZ() const { return z; }
    void setOpponent(Character* other) { opponent = other; }

    void move(int direction, float amount);
    void pushBack(float distance);
    bool isAttacking() const { return state == ATTACK_H || state == ATTACK_V; }
    bool isMoving() const { return state >= MOVE_UP && state <= MOVE_RIGHT; }
    bool isBlocking() const { return state == BLOCK; }
    bool inArena() const;
    // Turns to the opponent, unless a swing is under way.
    void updateFacing();

    void restPose(int steps, bool interrupt);
    void circleStep(bool interrupt);
    void walkStep(bool interrupt);
    void hitReaction();

    float health;
    float x;
    float z;
    float facing = 0.0f;
    int player;
    int state;
    Character* opponent;
    int keyUp;
    int keyDown;
    int keyRight;
    int keyLeft;
    int keyAttackH;
    int keyAttackV;
    int keyBlock;
    Framelist* framelist;

    Frame pose{};
    // Found by posePass in eye space, as GL's modelview would hold them while
    // drawing; elements 12, 13, 14 are the translation.
    float bodyMatrix[16] = {};
    float weaponPointMatrix[4][16] = {};

    // Where the fighter reports sounds, a ring-out, and asks whether the
    // bout is still on; the match points it at the tick's events.
    TickEvents* events = &ownEvents;
    void reportTo(TickEvents* tickEvents) { events = tickEvents ? tickEvents : &ownEvents; }

protected:
    Character(const Character& other);
    void play(SoundId sound) { events->playOnce(sound); }
    // Queues a move's keyframes as new records owned by the Framelist.
    void queue(Keyframes keyframes, bool callerInterrupt = false);
    const MoveSet& moves;

private:
    // Until a match takes over, events land here (tests drive fighters alone).
    TickEvents ownEvents;
};
