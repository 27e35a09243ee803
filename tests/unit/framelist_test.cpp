#include <gtest/gtest.h>

#include <string>

#include "characters/core/framelist.h"

namespace {

Frame filled(float value)
{
    Frame f{};
    for (int i = 0; i < Frame::FIELDS; ++i)
        f[i] = value;
    return f;
}

Frame entryFor(const Frame& target)
{
    return target;
}

// The queue played on the fixture's pose, as its fighter plays it.
struct OnPose {
    Framelist& queue;
    Frame& pose;
    void add(const Frame& target, int steps, bool interrupt) { queue.add(target, steps, interrupt, pose); }
    bool advance() { return queue.advance(pose); }
    std::size_t size() const { return queue.size(); }
    const FramelistEntry& front() const { return queue.front(); }
    FramelistEntry& back() { return queue.back(); }
};

struct FramelistTest : testing::Test {
    Frame pose = filled(0.0f);
    Framelist queue;
    OnPose list{queue, pose};
};

TEST_F(FramelistTest, FiveThenTenStepsFinishOnTheFifteenthTick)
{
    list.add(entryFor(filled(0.0f)), 25, false);  // the pose already stands here
    testing::internal::CaptureStdout();
    list.add(entryFor(filled(1.0f)), 5, true);
    list.add(entryFor(filled(3.0f)), 10, false);
    std::string queued = testing::internal::GetCapturedStdout();
    EXPECT_EQ(queued, "interrupt: discarding 0th frame\nadding 0th frame\nadding 1th frame\n");

    for (int call = 1; call <= 14; ++call) {
        testing::internal::CaptureStdout();
        EXPECT_FALSE(list.advance()) << "call " << call;
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out, call == 5 ? "discarding 1th frame\n" : "") << "call " << call;
    }
    EXPECT_TRUE(list.advance());
    EXPECT_EQ(pose[7], 3.0f);
    EXPECT_TRUE(list.advance());
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(FramelistTest, InterruptDiscardsEverythingAndBlendsFromTheLivePose)
{
    list.add(entryFor(filled(0.0f)), 25, false);
    list.add(entryFor(filled(10.0f)), 10, false);
    list.add(entryFor(filled(20.0f)), 10, false);
    list.advance();  // reaches the first entry
    list.advance();  // one increment towards 10
    ASSERT_FLOAT_EQ(pose[0], 1.0f);
    ASSERT_EQ(list.size(), 2u);
    list.add(entryFor(filled(30.0f)), 10, false);

    testing::internal::CaptureStdout();
    list.add(entryFor(filled(-5.0f)), 4, true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
        "interrupt: discarding 2th frame\ninterrupt: discarding 1th frame\n"
        "interrupt: discarding 0th frame\nadding 0th frame\n");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_FLOAT_EQ(list.front().delta[3], (-5.0f - 1.0f) / 4);
}

TEST_F(FramelistTest, FirstAddGetsZeroIncrementsEvenWhenInterrupting)
{
    testing::internal::CaptureStdout();
    list.add(entryFor(filled(7.0f)), 5, true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "adding 0th frame\n");
    EXPECT_EQ(list.front().delta[0], 0.0f);
    // Never reached from a pose elsewhere: the owner must put the pose there first.
    EXPECT_FALSE(list.advance());
    EXPECT_EQ(pose[0], 0.0f);
}

TEST_F(FramelistTest, AppendedIncrementsStartFromThePreviousTarget)
{
    list.add(entryFor(filled(0.0f)), 25, false);
    list.add(entryFor(filled(10.0f)), 10, false);
    list.advance();
    list.advance();
    list.add(entryFor(filled(30.0f)), 5, false);
    EXPECT_FLOAT_EQ(list.back().delta[0], (30.0f - 10.0f) / 5);  // not from the live 1.0
}

TEST_F(FramelistTest, SmallGapsSnapAndAnglesRunLinearlyWithoutWrapping)
{
    Frame start = filled(0.0f);
    start[0] = 60.0f;
    start[1] = 0.0f;
    pose = start;
    list.add(entryFor(start), 25, false);
    Frame target = start;
    target[0] = -260.0f;
    target[1] = 0.007f;
    list.add(entryFor(target), 10, false);
    // Field 1 moves by 0.0007 a tick; make it 0.003 as in the classic case.
    list.back().delta[1] = 0.003f;

    list.advance();  // first entry reached at once
    list.advance();
    EXPECT_FLOAT_EQ(pose[0], 28.0f);  // -32 a tick, the long way round
    EXPECT_EQ(pose[1], 0.007f);       // 0.003 + 0.005 > 0.007: snapped
    for (int i = 0; i < 8; ++i)
        list.advance();
    EXPECT_FLOAT_EQ(pose[0], -228.0f);
    EXPECT_TRUE(list.advance());
    EXPECT_EQ(pose[0], -260.0f);
}

TEST_F(FramelistTest, EmptyListSaysSoAndFinishedListStays)
{
    testing::internal::CaptureStdout();
    EXPECT_FALSE(list.advance());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "no more frames in Framelist\n");

    list.add(entryFor(filled(0.0f)), 25, false);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(list.advance());
    EXPECT_EQ(list.size(), 1u);
}

}  // namespace
