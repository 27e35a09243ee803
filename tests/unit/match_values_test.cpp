// The game's state is listed once: every value of the rules reaches the hash
// and the replay, and a saved tick is a plain copy that allocates nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <type_traits>

#include "characters/core/trace.h"
#include "match/match.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "tests/support/random_bout.h"

namespace {

std::atomic<long> allocations{0};

}  // namespace

// Counts every allocation of the test program; each form below, so that none
// is paired with a deallocation of another kind. g++ cannot see that these
// deletes free what these news took from malloc, and warns when optimising.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    ++allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept
{
    return operator new(size, nothrow);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
#pragma GCC diagnostic pop

namespace {

// Another value, of any type a value of the game has; a whole number becomes
// 0 or 1, which every choice and count allows.
template <class T>
void change(T& v)
{
    if constexpr (std::is_integral_v<T>)
        v = T(v == 0);
    else if constexpr (std::is_floating_point_v<T>)
        v += 1.0f;
    else if constexpr (std::is_array_v<T>)
        change(v[0]);
    else if constexpr (std::is_same_v<T, Frame>)
        v[0] += 1.0f;
    else if constexpr (std::is_same_v<T, Framelist>)
        v.add(Frame{}, 5, false, Frame{});
    else if constexpr (std::is_same_v<T, SideView>)
        v.mx += 1.0f;
    else
        change(v[0].doorOffset);  // the menu's layers
}

// Changes the which-th value of the list; its role, or no role past the end.
ValueRole changeValue(MatchValues& m, int which, bool& found)
{
    ValueRole role;
    int i = 0;
    found = false;
    forEachValue(
        [&](ValueRole r, auto& v) {
            if (i++ == which) {
                role = r;
                found = true;
                change(v);
            }
        },
        m);
    return role;
}

bool changeValue(FighterValues& f, int which)
{
    int i = 0;
    forEachValue(
        [&](auto& v) {
            if (i++ == which)
                change(v);
        },
        f);
    return which < i;
}

Match boutUnderWay(int ticks)
{
    TraceSilence quiet;
    Match m;
    RandomPlayers players(5);
    startRandomBout(m, DARTH, JACK, players.startSecond);
    playOut(m, players, ticks);
    return m;
}

TEST(MatchValues, EveryValueOfTheRulesReachesTheHashAndNoPictureDoes)
{
    const Match m = boutUnderWay(200);
    const std::uint64_t hash = stateHash(m);
    bool found = true;
    for (int i = 0; found; ++i) {
        Match changed = m;
        const ValueRole role = changeValue(changed, i, found);
        if (found) {
            EXPECT_EQ(stateHash(changed) != hash, role.has(RULES)) << "match value " << i;
        }
    }
    for (int side = 0; side < 2; ++side) {
        for (int i = 0;; ++i) {
            Match changed = m;
            if (!changeValue(side == 0 ? *changed.playerOne : *changed.playerTwo, i))
                break;
            EXPECT_NE(stateHash(changed), hash) << "fighter " << side + 1 << " value " << i;
        }
    }
}

// A value the start of a bout leaves as it was must travel in the replay's
// start block, or the recorded bout would not play back the same.
TEST(MatchValues, EveryValueABoutStartsWithComesBackFromItsReplay)
{
    TraceSilence quiet;
    Match menu = boutUnderWay(4000);
    ASSERT_EQ(menu.gameState, MENU);
    bool found = true;
    for (int i = 0; found; ++i) {
        Match changed = menu;
        const ValueRole role = changeValue(changed, i, found);
        if (!found || !role.has(RULES))
            continue;
        Replay recorded;
        recorded.gameVersion = "test";
        recorded.start = boutStartOf(changed);
        recorded.start.startSecond = 2'000'000;
        recorded.append({0, 2'000'000, false, false});
        Replay read;
        std::string error;
        const std::vector<std::uint8_t> bytes = encodeReplay(recorded);
        ASSERT_TRUE(decodeReplay(bytes.data(), bytes.size(), read, error)) << error;

        TickEvents events;
        Match played;
        beginRecordedBout(played, read.start, events);
        startBout(changed, 2'000'000, events);
        EXPECT_EQ(stateHash(played), stateHash(changed)) << "match value " << i;
    }
}

TEST(MatchValues, ASavedTickIsAPairedCopyThatAllocatesNothing)
{
    TraceSilence quiet;
    Match now = boutUnderWay(100);
    Match saved = now;
    RandomPlayers players(9);
    for (int tick = 0; tick < 300 && now.gameState == FIGHTING; ++tick) {
        TickEvents events;
        step(now, players.next(), events);
        const long before = allocations;
        saved = now;
        ASSERT_EQ(allocations - before, 0) << "tick " << tick;
    }
    ASSERT_EQ(saved.playerOne->opponent, saved.playerTwo.get());
    ASSERT_EQ(saved.playerTwo->opponent, saved.playerOne.get());
    RandomPlayers again(11);
    RandomPlayers same(11);
    for (int tick = 0; tick < 200; ++tick) {
        TickEvents events;
        step(now, again.next(), events);
        step(saved, same.next(), events);
    }
    EXPECT_EQ(stateHash(saved), stateHash(now));
}

}  // namespace
