// The state machine every fighter shares: held controls become states and
// queued keyframes; animate() brings the fighter back to RESTING.
#include "characters/core/character.h"
#include "characters/core/trace.h"

namespace {

constexpr int BACK_TO_REST_STEPS = 5;

}  // namespace

void Character::update(const int* keys)
{
    bool up = keys[keyUp] != 0;
    bool down = keys[keyDown] != 0;
    bool right = keys[keyRight] != 0;
    bool left = keys[keyLeft] != 0;

    // Block.
    if (keys[keyBlock]) {
        if (state != BLOCK && !isAttacking()) {
            state = BLOCK;
            trace("state = BLOCK\n");
            queue(moves->block);
        }
    } else if (state == BLOCK) {
        restPose(BACK_TO_REST_STEPS, false);
        state = RESTING;
        trace("state = RESTING\n");
    }

    // Attacks, in table order; a row that starts an attack closes the gated rows after it.
    unsigned held = (up ? CONTROL_UP : 0u) | (down ? CONTROL_DOWN : 0u) | (right ? CONTROL_RIGHT : 0u) |
        (left ? CONTROL_LEFT : 0u) | (keys[keyAttackH] ? CONTROL_H : 0u) | (keys[keyAttackV] ? CONTROL_V : 0u);
    for (const AttackRow& row : moves->attackRows) {
        if ((held & row.keys) != row.keys || (row.gated && isAttacking()))
            continue;
        queue(row.keyframes);
        if (row.rest)
            restPose(BACK_TO_REST_STEPS, false);
        if (row.sound)
            play(moves->attackSound);
        if (row.state != STATE_UNCHANGED)
            state = row.state;
        if (row.message)
            trace("%s", row.message);
    }

    // Movement.
    if (!isAttacking() && !isBlocking()) {
        bool wasBreathing = state == BREATHING;
        if (up || down || right || left) {
            if (up) {
                move(MOVE_UP, CIRCLE_AMOUNT);
                if (!isMoving())
                    circleStep(wasBreathing);
                if (state != MOVE_UP) {
                    state = MOVE_UP;
                    trace("state = MOVE_UP\n");
                }
            } else if (down) {
                move(MOVE_DOWN, CIRCLE_AMOUNT);
                if (!isMoving())
                    circleStep(wasBreathing);
                if (state != MOVE_DOWN) {
                    state = MOVE_DOWN;
                    trace("state = MOVE_DOWN\n");
                }
            }
            // Player 1 stands on the left of the screen, player 2 on the right.
            float step = player == 1 ? WALK_AMOUNT : -WALK_AMOUNT;
            if (right) {
                move(MOVE_RIGHT, step);
                if (!isMoving())
                    walkStep(wasBreathing);
                if (state != MOVE_RIGHT) {
                    state = MOVE_RIGHT;
                    trace("state = MOVE_RIGHT\n");
                }
            } else if (left) {
                move(MOVE_LEFT, step);
                if (!isMoving())
                    walkStep(wasBreathing);
                if (state != MOVE_LEFT) {
                    state = MOVE_LEFT;
                    trace("state = MOVE_LEFT\n");
                }
            }
        } else if (isMoving() && state != STOPPING) {
            restPose(BACK_TO_REST_STEPS, true);
            state = STOPPING;
        }
    }

    // Breathing.
    if (state == RESTING) {
        queue(moves->breathing);
        restPose(BACK_TO_REST_STEPS, false);
        state = BREATHING;
        trace("state = BREATHING\n");
    }
}

void Character::animate()
{
    bool finished = framelist.advance(pose);
    if (finished && (isAttacking() || isMoving() || state == BREATHING)) {
        state = RESTING;
        trace("state = RESTING\n");
    }
}
