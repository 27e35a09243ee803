#pragma once

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

// Rules every fighter shares: movement relative to the opponent, the arena,
// facing, the hit rule, and the state machine that plays its MoveSet.
class Character {
public:
    Character(float x, float z, int player, Character* opponent, const MoveSet& moves);
    virtual ~Character();
    Character(const Character&) = delete;
    Character& operator=(const Character&) = delete;

    virtual void draw() = 0;
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
    // Turns to the opponent (unless attacking) and applies the facing, and
    // for player 2 the mirror, to the current GL matrix.
    void faceOpponent();
    // The facing computation alone, without GL.
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
    // Captured from the modelview matrix while drawing (eye space); elements
    // 12, 13, 14 are the translation.
    float bodyMatrix[16] = {};
    float weaponPointMatrix[4][16] = {};

protected:
    // Queues a move's keyframes as new records owned by the Framelist.
    void queue(Keyframes keyframes, bool callerInterrupt = false);
    const MoveSet& moves;
};
