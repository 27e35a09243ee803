#include "characters/core/character.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265;
// Within this distance a step towards the opponent shoves it.
constexpr float NEAR_DISTANCE = 8.0f;
constexpr float SHOVE_DISTANCE = 0.207f;
constexpr float HIT_REACH = 2.0f;
constexpr int REST_STEPS_AT_ONCE = 25;
constexpr int BACK_TO_REST_STEPS = 5;

float floorDistance(float ax, float az, float bx, float bz)
{
    return static_cast<float>(
        std::sqrt(std::pow(static_cast<double>(bx) - ax, 2.0) + std::pow(static_cast<double>(bz) - az, 2.0)));
}

}  // namespace

Character::Character(float x, float z, int player, Character* opponent, const MoveSet& moves)
    : opponent(opponent),
      moves(&moves)
{
    this->x = x;
    this->z = z;
    this->player = player;
    const int keys = player == 1 ? 1 : 2;
    keyUp = keyIndex(keys, Action::Up);
    keyDown = keyIndex(keys, Action::Down);
    keyRight = keyIndex(keys, Action::Right);
    keyLeft = keyIndex(keys, Action::Left);
    keyAttackH = keyIndex(keys, Action::AttackH);
    keyAttackV = keyIndex(keys, Action::AttackV);
    keyBlock = keyIndex(keys, Action::Block);
}

void Character::move(int direction, float amount)
{
    float d = floorDistance(x, z, opponent->x, opponent->z);

    bool towards = player == 1 ? direction == MOVE_RIGHT : direction == MOVE_LEFT;
    if (d <= NEAR_DISTANCE && towards) {
        int opponentTowards = player == 1 ? MOVE_LEFT : MOVE_RIGHT;
        if (opponent->state != MOVE_LEFT && opponent->state != MOVE_RIGHT)
            opponent->pushBack(SHOVE_DISTANCE);
        else if (opponent->state == opponentTowards)
            return;  // both press in: neither gives way
    }

    // On the opponent's very point every direction is undefined: stay put.
    if (d > 0.0f) {
        float ox = opponent->x;
        float oz = opponent->z;
        switch (direction) {
        case MOVE_RIGHT:
            x += amount * (ox - x) / d;
            z += amount * (oz - z) / d;
            break;
        case MOVE_LEFT:
            x -= amount * (ox - x) / d;
            z -= amount * (oz - z) / d;
            break;
        case MOVE_UP:
        case MOVE_DOWN: {
            double sense = player == 1 ? 1.0 : -1.0;
            double t = sense * 2.0 * PI * amount / d;
            if (direction == MOVE_DOWN)
                t = -t;
            double rx = x - ox;
            double rz = z - oz;
            x = static_cast<float>(ox + std::cos(t) * rx - std::sin(t) * rz);
            z = static_cast<float>(oz + std::sin(t) * rx + std::cos(t) * rz);
            break;
        }
        default: break;
        }
    }

    if (!inArena()) {
        events->stop(SoundId::BACKGROUND);
        ringOut();
    }
}

void Character::pushBack(float distance)
{
    if (player == 1)
        move(MOVE_LEFT, distance);
    else
        move(MOVE_RIGHT, -distance);
}

bool Character::inArena() const
{
    return x >= -ARENA_HALF_WIDTH && x <= ARENA_HALF_WIDTH && z >= -ARENA_HALF_WIDTH && z <= ARENA_HALF_WIDTH &&
        z <= x + ARENA_CORNER_CUT && z >= x - ARENA_CORNER_CUT && z <= ARENA_CORNER_CUT - x &&
        z >= -x - ARENA_CORNER_CUT;
}

void Character::updateFacing()
{
    float dx = opponent->x - x;
    float dz = opponent->z - z;
    if (dx == 0.0f && dz == 0.0f)
        return;                     // no direction to face: keep the last one
    float a = -std::atan(dz / dx);  // a quarter turn when dx is 0
    if (opponent->x < x)
        a += static_cast<float>(PI);
    if (player == 2)
        a += static_cast<float>(PI);
    // A swing keeps the heading it started with.
    if (!isAttacking())
        facing = static_cast<float>(a / PI * 180.0);
}

bool Character::checkHit(float x, float y, float z)
{
    (void)y;
    float d = floorDistance(bodyMatrix[12], bodyMatrix[14], x, z);
    if (!(d < HIT_REACH))
        return false;
    pushBack(HIT_REACH - d);
    if (isBlocking()) {
        play(moves->blockSound);
    } else {
        if (events->fighting)
            hitReaction();
        health -= HIT_DAMAGE;
        play(moves->hitSound);
    }
    return true;
}

void Character::queue(Keyframes keyframes, bool callerInterrupt)
{
    for (const Keyframe& keyframe : keyframes) {
        bool interrupt = keyframe.blend == INTERRUPT || (keyframe.blend == CALLER && callerInterrupt);
        framelist.add(keyframe.target, keyframe.steps, interrupt, pose);
    }
}

void Character::restPose(int steps, bool interrupt)
{
    if (steps == 0) {
        pose = moves->rest;
        steps = REST_STEPS_AT_ONCE;
    }
    framelist.add(moves->rest, steps, interrupt, pose);
}

void Character::circleStep(bool interrupt)
{
    queue(moves->circleStep, interrupt);
    restPose(BACK_TO_REST_STEPS, false);
}

void Character::walkStep(bool interrupt)
{
    queue(moves->walkStep, interrupt);
    restPose(BACK_TO_REST_STEPS, false);
}

void Character::hitReaction()
{
    queue(moves->hitReaction);
    restPose(BACK_TO_REST_STEPS, false);
}

void Character::ringOut()
{
    play(moves->ringoutSound);
    events->ringOut = true;
    events->fighting = false;
    queue(moves->ringOut);
}

void Character::lose()
{
    queue(moves->lose);
}

void Character::win()
{
    events->stop(SoundId::BACKGROUND);
    play(moves->winSound);
    queue(moves->win);
}
