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
    static_cast<MatchValues&>(*this) = other;
    playerOne = std::move(one);
    playerTwo = std::move(two);
    return *this;
}
