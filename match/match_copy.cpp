#include "match/match.h"

Match::Match(const Match& other)
{
    *this = other;
}

Match& Match::operator=(const Match& other)
{
    if (this == &other)
        return *this;
    std::unique_ptr<Character> one = other.playerOne ? other.playerOne->clone() : nullptr;
    std::unique_ptr<Character> two = other.playerTwo ? other.playerTwo->clone() : nullptr;
    if (one && two) {
        one->setOpponent(two.get());
        two->setOpponent(one.get());
    }
    gameState = other.gameState;
    playerOneChoice = other.playerOneChoice;
    playerTwoChoice = other.playerTwoChoice;
    selectedPlayer = other.selectedPlayer;
    playerOneControl = other.playerOneControl;
    playerTwoControl = other.playerTwoControl;
    titleShown = other.titleShown;
    doorPhaseFlag = other.doorPhaseFlag;
    doorOffset = other.doorOffset;
    doorClosing = other.doorClosing;
    selectBrightness = other.selectBrightness;
    selectBrightening = other.selectBrightening;
    boutEndTime = other.boutEndTime;
    secondsLeft = other.secondsLeft;
    clockBrightness = other.clockBrightness;
    clockBrightening = other.clockBrightening;
    pauseEnd = other.pauseEnd;
    boutNumber = other.boutNumber;
    countTicks = other.countTicks;
    view = other.view;
    lastSideX = other.lastSideX;
    lastSideZ = other.lastSideZ;
    shownHealthOne = other.shownHealthOne;
    shownHealthTwo = other.shownHealthTwo;
    shownClockBrightness = other.shownClockBrightness;
    menuLayers = other.menuLayers;
    menuLayerCount = other.menuLayerCount;
    tick = other.tick;
    playerOne = std::move(one);
    playerTwo = std::move(two);
    return *this;
}

// A field added to Match must be copied above, then this size updated.
static_assert(sizeof(Match) == 200, "copy every field of Match in its copy assignment");
