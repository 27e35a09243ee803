// How a bout ends: the knock-out and time-up rules, and the pause before the title.
#include "audio/sound_bank.h"
#include "characters/core/character.h"
#include "shell/clock.h"
#include "shell/game.h"
#include "shell/match.h"

void endBout(int seconds)
{
    bool jackCelebrating = isPlayingOnce(jackWinSound);
    bool darthCelebrating = isPlayingOnce(darthWinSound);
    if (jackCelebrating || darthCelebrating)
        return;
    long target = calendarSeconds() + seconds;
    while (calendarSeconds() < target)
        sleepUntilSecond(target);
    returnToTitle();
}

void checkBoutEnd()
{
    if (playerOne->health <= 0.0f || playerTwo->health <= 0.0f) {
        if (playerOne->health <= 0.0f)
            playerOne->lose();
        else
            playerTwo->lose();
        if (playerTwo->health > 0.0f)
            playerTwo->win();
        else if (playerOne->health > 0.0f)
            playerOne->win();
        gameState = KNOCKOUT;
    } else if (gameState == TIME_UP) {
        if (playerOne->health < playerTwo->health) {
            playerOne->lose();
            playerTwo->win();
        } else if (playerTwo->health < playerOne->health) {
            playerTwo->lose();
            playerOne->win();
        }
    }
}
