#pragma once

#include <glm/mat4x4.hpp>

#include <concepts>
#include <memory>
#include <typeinfo>

#include "characters/core/events.h"
#include "characters/core/frame.h"
#include "characters/core/framelist.h"
#include "characters/core/key_layout.h"
#include "characters/core/moves.h"
#include "characters/core/value_list.h"

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
// A tick's step along the line to the opponent, and round it (a fraction of a turn per unit of distance).
constexpr float WALK_AMOUNT = 0.2f;
constexpr float CIRCLE_AMOUNT = 0.04f;

// Which fighter a player chose.
enum FighterKind { JACK = 0, DARTH = 1 };

// A fighter's state between two ticks, as plain values.
struct FighterValues {
    float health = 100.0f;
    float x = 0.0f;
    float z = 0.0f;
    float facing = 0.0f;
    int player = 1;
    int state = RESTING;
    Frame pose{};
    // Found by posePass in eye space, as GL's modelview would hold them while
    // drawing; elements 12, 13, 14 are the translation.
    float bodyMatrix[16] = {};
    float weaponPointMatrix[4][16] = {};
    Framelist framelist;
};

// Every value of a fighter, once, in the order the hash takes them; walked
// over one fighter or over several side by side.
template <class Visit, std::derived_from<FighterValues>... Values>
constexpr void forEachValue(Visit&& visit, Values&... v)
{
    visit(v.health...);
    visit(v.x...);
    visit(v.z...);
    visit(v.facing...);
    visit(v.player...);
    visit(v.state...);
    visit(v.pose...);
    visit(v.bodyMatrix...);
    visit(v.weaponPointMatrix...);
    visit(v.framelist...);
}
static_assert(listsEveryValue<FighterValues>(), "forEachValue must list every value of FighterValues");

// Where a fighter's events go: the tick's while a match runs it, else its own
// (tests drive fighters alone).
struct EventSink {
    TickEvents* tick = nullptr;
    TickEvents own;
    TickEvents* operator->() { return tick ? tick : &own; }
};

// Rules every fighter shares: movement relative to the opponent, the arena,
// facing, the hit rule, and the state machine that plays its MoveSet. A
// fighter never draws: posePass() runs its body on the CPU to find where its
// body and weapon are, and the drawing reads the same state afterwards. Its
// state is its FighterValues; the rest links it to its opponent, its moves
// and the tick's events.
class Character : public FighterValues {
public:
    Character(float x, float z, int player, Character* opponent, const MoveSet& moves);
    virtual ~Character() = default;
    // A copy of this fighter (for saving a game); its opponent is still the
    // original's until the caller pairs it. Only the playable fighters can
    // be copied; others give nothing.
    virtual std::unique_ptr<Character> clone() const { return nullptr; }
    // Becomes a copy of `other`, a fighter of its own class, in place (a saved
    // tick allocates nothing); false for any other.
    virtual bool copyFrom(const Character&) { return false; }

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

    Character* opponent;
    // The player's seven entries of the key table.
    int keyUp;
    int keyDown;
    int keyRight;
    int keyLeft;
    int keyAttackH;
    int keyAttackV;
    int keyBlock;

    // Where the fighter reports sounds, a ring-out, and asks whether the
    // bout is still on; the match points it at the tick's events.
    EventSink events;
    void reportTo(TickEvents* tickEvents) { events.tick = tickEvents; }

protected:
    Character(const Character& other) = default;
    Character& operator=(const Character& other) = default;
    void play(SoundId sound) { events->playOnce(sound); }
    // Queues a move's keyframes.
    void queue(Keyframes keyframes, bool callerInterrupt = false);
    const MoveSet* moves;
};

// A fighter that copies as the plain values it is: F is the class itself.
template <class F>
class PlayableFighter : public Character {
public:
    using Character::Character;
    std::unique_ptr<Character> clone() const override { return std::make_unique<F>(static_cast<const F&>(*this)); }
    bool copyFrom(const Character& other) override
    {
        if (typeid(other) != typeid(F))
            return false;
        static_cast<F&>(*this) = static_cast<const F&>(other);
        return true;
    }
};
