#include "match/match.h"

namespace {

// Into an existing fighter of the same class its values are copied in place;
// otherwise a new one is made.
void copyFighter(std::unique_ptr<Character>& into, const std::unique_ptr<Character>& from)
{
    if (!from)
        into.reset();
    else if (!into || !into->copyFrom(*from))
        into = from->clone();
}

}  // namespace

Match::Match(const Match& other)
{
    *this = other;
}

Match& Match::operator=(const Match& other)
{
    if (this == &other)
        return *this;
    static_cast<MatchValues&>(*this) = other;
    copyFighter(playerOne, other.playerOne);
    copyFighter(playerTwo, other.playerTwo);
    if (playerOne && playerTwo) {
        playerOne->setOpponent(playerTwo.get());
        playerTwo->setOpponent(playerOne.get());
    }
    return *this;
}
