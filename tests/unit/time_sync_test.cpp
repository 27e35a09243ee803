// Two sides' clocks kept in step over a simulated link, in simulated time:
// each side plays frames at its own clock's pace, and its inputs (with its
// present and its reckoned advantage) reach the other late and jittered.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <random>
#include <vector>

#include "net/rollback.h"
#include "net/time_sync.h"

namespace {

constexpr double FRAME_US = 1e6 / TICK_RATE;

struct Packet {
    double arrival;
    std::uint32_t present;
    std::int8_t advantage;
};

struct Side {
    Side(double period, double start) : period(period), nextFrame(start) {}
    double period;
    double nextFrame;
    TimeSync sync;
    std::uint32_t present = 0;
    std::uint32_t heard = 0;
    std::deque<Packet> inbox;
    std::vector<long> waitedAt;  // frame numbers
    long frames = 0;
    long settledWaits = 0;
    long settledStalls = 0;  // frames held by the rollback's limit
};

struct Link {
    const char* what;
    double clock;  // side one's clock against side two's
    int delayMs;   // one way
    int jitterMs;
};

// Plays `seconds` of both sides; the largest gap between the two presents
// once the first `settle` seconds are over.
int play(Side& one, Side& two, const Link& link, double seconds, double settle)
{
    std::mt19937 rng(7);
    const int roundTrip = 2 * link.delayMs + link.jitterMs;
    int mostApart = 0;
    while (std::min(one.nextFrame, two.nextFrame) < seconds * 1e6) {
        Side& side = one.nextFrame <= two.nextFrame ? one : two;
        Side& other = &side == &one ? two : one;
        const double now = side.nextFrame;
        std::stable_sort(side.inbox.begin(), side.inbox.end(),
            [](const Packet& a, const Packet& b) { return a.arrival < b.arrival; });
        while (!side.inbox.empty() && side.inbox.front().arrival <= now) {
            side.heard = std::max(side.heard, side.inbox.front().present);
            side.sync.heard(side.inbox.front().advantage);
            side.inbox.pop_front();
        }
        const bool settled = now > settle * 1e6;
        if (side.sync.frame(side.present, side.heard, roundTrip)) {
            side.waitedAt.push_back(side.frames);
            side.settledWaits += settled;
        } else if (side.present < side.heard + Rollback::MAX_AHEAD) {
            ++side.present;
        } else {
            side.settledStalls += settled;
        }
        const int jitter = link.jitterMs > 0 ? int(rng() % unsigned(link.jitterMs + 1)) : 0;
        other.inbox.push_back({now + (link.delayMs + jitter) * 1000.0, side.present, side.sync.advantage()});
        ++side.frames;
        side.nextFrame += side.period;
        if (settled)
            mostApart = std::max(mostApart, std::abs(int(one.present) - int(two.present)));
    }
    return mostApart;
}

TEST(TimeSync, ClocksSettleInStepWithoutBurstsOrTakingTurns)
{
    const Link links[] = {
        {"alike, 50 ms", 1.0, 50, 0},
        {"one 1% fast, 50 ms", 1.01, 50, 0},
        {"alike, 30 ms of jitter", 1.0, 40, 30},
        {"one 1% fast, 30 ms of jitter", 1.01, 40, 30},
        {"one 1% slow, 60 ms and 30 ms of jitter", 0.99, 60, 30},
    };
    constexpr double SECONDS = 120.0;
    constexpr double SETTLE = 20.0;
    for (const Link& link : links) {
        SCOPED_TRACE(link.what);
        // The guest starts its bout when the host's word reaches it.
        Side one(FRAME_US / link.clock, 0.0);
        Side two(FRAME_US, link.delayMs * 1000.0);
        EXPECT_LE(play(one, two, link, SECONDS, SETTLE), 2);
        const Side& fast = link.clock >= 1.0 ? one : two;
        const Side& slow = &fast == &one ? two : one;
        EXPECT_EQ(one.settledStalls + two.settledStalls, 0);
        EXPECT_EQ(slow.settledWaits, 0);
        // A clock 1% fast gains 0.6 ticks a second: it waits about that often,
        // and one as fast as the other not at all.
        const double gained = std::abs(link.clock - 1.0) * TICK_RATE * (SECONDS - SETTLE);
        EXPECT_NEAR(double(fast.settledWaits), gained, 4.0);
        for (const Side* side : {&one, &two})
            for (std::size_t i = 1; i < side->waitedAt.size(); ++i)
                EXPECT_GE(side->waitedAt[i] - side->waitedAt[i - 1], TimeSync::WAIT_SPACING);
    }
}

}  // namespace
