// Two sides of a network bout over a simulated lossy, late link, counted in
// frames: both must agree with each other and with a replay of the bout.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>

#include "net/rollback.h"
#include "tests/support/key_script.h"

namespace {

struct Packet {
    int arrival;
    std::uint32_t first;
    std::vector<PlayerInput> inputs;
    std::uint32_t ack;
};

struct Link {
    int delay = 0;   // frames one way
    int jitter = 0;  // up to this many frames more
    double loss = 0;
};

struct Side {
    Side(int player, int delay, std::uint32_t seed) : rollback(player, delay, JACK, DARTH), keys(seed) {}
    Rollback rollback;
    KeyScript keys;
    std::vector<std::string> trace;
    std::deque<Packet> inbox;
    std::uint32_t acked = 0;  // ticks of our input the other side holds
    long sounds = 0;
    long waits = 0;
};

struct Outcome {
    Side one{1, 2, 11};
    Side two{2, 2, 22};
};

void send(Side& from, Side& to, int frame, const Link& link, std::mt19937& rng)
{
    const std::uint32_t known = from.rollback.localKnown();
    const std::uint32_t first = std::max(from.acked, known > 32 ? known - 32 : 0u);
    if (first >= known)
        return;
    Packet p{frame + link.delay + int(rng() % (link.jitter + 1)), first, {}, from.rollback.remoteKnown()};
    p.inputs.assign(from.rollback.localHistory().begin() + first, from.rollback.localHistory().end());
    if (std::uniform_real_distribution<>(0, 1)(rng) < link.loss)
        return;
    to.inbox.push_back(p);
}

void deliver(Side& side, int frame)
{
    // Jitter reorders; a packet older than one taken is stale, as on the wire.
    std::stable_sort(
        side.inbox.begin(), side.inbox.end(), [](const Packet& a, const Packet& b) { return a.arrival < b.arrival; });
    while (!side.inbox.empty() && side.inbox.front().arrival <= frame) {
        const Packet& p = side.inbox.front();
        side.rollback.receive(p.first, p.inputs);
        side.acked = std::max(side.acked, p.ack);
        side.inbox.pop_front();
    }
}

void frameOf(Side& side, Side& other, int frame, const Link& link, std::mt19937& rng)
{
    deliver(side, frame);
    std::vector<SoundEvent> sounds;
    side.rollback.settle(sounds);
    if (side.rollback.canAdvance())
        side.rollback.advance(side.keys.next(), sounds);
    else if (!side.rollback.overTick())
        ++side.waits;
    side.sounds += long(sounds.size());
    for (std::string& line : side.rollback.takeConfirmedTrace())
        side.trace.push_back(line);
    for (auto [tick, hash] : side.rollback.takeCheckpoints())
        other.rollback.remoteHash(tick, hash);
    send(side, other, frame, link, rng);
}

void playBout(Outcome& o, const Link& link, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    for (int frame = 0; frame < 20000; ++frame) {
        if (o.one.rollback.overTick() && o.two.rollback.overTick())
            return;
        frameOf(o.one, o.two, frame, link, rng);
        frameOf(o.two, o.one, frame, link, rng);
    }
    FAIL() << "the bout never ended";
}

void expectAgreement(const Outcome& o)
{
    const Rollback& a = o.one.rollback;
    const Rollback& b = o.two.rollback;
    ASSERT_TRUE(a.overTick() && b.overTick());
    EXPECT_EQ(*a.overTick(), *b.overTick());
    EXPECT_EQ(a.overHash(), b.overHash());
    EXPECT_FALSE(a.desyncTick() || b.desyncTick());
    EXPECT_FALSE(o.one.trace.empty());
    EXPECT_EQ(o.one.trace, o.two.trace);

    const BoutRecord record = a.record();
    const BoutRecord theirs = b.record();
    ASSERT_EQ(record.ticks.size(), theirs.ticks.size());
    for (std::size_t t = 0; t < record.ticks.size(); ++t)
        ASSERT_EQ(record.ticks[t].keyState, theirs.ticks[t].keyState) << "tick " << t;
    const LocalReplay replay = replayLocally(record);
    EXPECT_EQ(replay.finalHash, a.overHash());
    EXPECT_EQ(replay.trace, o.one.trace);
    EXPECT_NE(replay.lastState, FIGHTING) << "the bout ended by a knock-out, the clock or a ring-out";
}

}  // namespace

TEST(Rollback, SidesAgreeOnAPerfectLink)
{
    Outcome o;
    playBout(o, {0, 0, 0}, 1);
    expectAgreement(o);
    EXPECT_EQ(o.one.rollback.stats().rollbacks + o.two.rollback.stats().rollbacks, 0);
}

TEST(Rollback, SidesAgreeOverALateLossyLinkAndRollBackNoDeeperThanEight)
{
    // 100 ms there and back with 20 ms of jitter and 5% loss, at 60 frames a second.
    for (std::uint32_t seed : {1u, 2u}) {
        Outcome o;
        playBout(o, {3, 1, 0.05}, seed);
        expectAgreement(o);
        for (const Side* s : {&o.one, &o.two}) {
            EXPECT_GT(s->rollback.stats().rollbacks, 0);
            EXPECT_LE(s->rollback.stats().deepest, Rollback::MAX_AHEAD);
            EXPECT_GT(s->sounds, 0);
        }
    }
}

TEST(Rollback, TheFasterSideWaitsForOneFarBehind)
{
    // 200 ms one way: more than eight frames, so each side stops and waits.
    Outcome o;
    playBout(o, {12, 0, 0}, 3);
    expectAgreement(o);
    EXPECT_GT(o.one.waits, 0);
    EXPECT_LE(o.one.rollback.stats().deepest, Rollback::MAX_AHEAD);
    EXPECT_LE(o.two.rollback.stats().deepest, Rollback::MAX_AHEAD);
}

TEST(Rollback, AHashThatDiffersIsADesyncAtItsTick)
{
    Rollback r(1, 0, JACK, DARTH);
    std::vector<SoundEvent> sounds;
    std::vector<PlayerInput> none(61, 0);
    r.receive(0, none);
    for (int i = 0; i < 61; ++i)
        r.advance(0, sounds);
    r.settle(sounds);
    auto checks = r.takeCheckpoints();
    ASSERT_EQ(checks.size(), 2u);
    EXPECT_EQ(checks[0].first, 30u);
    r.remoteHash(30, checks[0].second);
    EXPECT_FALSE(r.desyncTick());
    r.remoteHash(60, checks[1].second ^ 1);
    ASSERT_TRUE(r.desyncTick());
    EXPECT_EQ(*r.desyncTick(), 60u);
    EXPECT_FALSE(r.canAdvance());
}

TEST(Rollback, ASoundPlaysOnceStopsWhenWrongAndPlaysWhenNew)
{
    using A = SoundAction;
    const SoundEvent hit{A::PLAY_ONCE, SoundId::JACK_HIT};
    const SoundEvent swing{A::PLAY_ONCE, SoundId::DARTH_ATTACK};
    const SoundEvent music{A::STOP, SoundId::BACKGROUND};
    std::vector<SoundEvent> out;
    correctSounds({hit, swing}, {swing, hit}, out);
    EXPECT_TRUE(out.empty());
    correctSounds({hit, music}, {swing}, out);
    EXPECT_EQ(
        out, (std::vector<SoundEvent>{{A::STOP, SoundId::JACK_HIT}, {A::PLAY_LOOPING, SoundId::BACKGROUND}, swing}));
}

TEST(Rollback, BothKeySetsPlayTheMachinesFighter)
{
    int keys[KEY_STATE_SIZE] = {};
    keys[0] = 1;                // player 1's left
    keys[PLAYER_KEYS + 6] = 1;  // player 2's block
    EXPECT_EQ(playerInput(keys, 1), 0x01);
    EXPECT_EQ(playerInput(keys, 2), 0x40);
    EXPECT_EQ(eitherKeySet(keys), 0x41);
    const KeyState table = keyStateOf(0x41, 0x02);
    EXPECT_EQ(playerInput(table.data(), 1), 0x41);
    EXPECT_EQ(playerInput(table.data(), 2), 0x02);
}

TEST(Rollback, ANetworkBoutsClockCountsTicksNotTheCalendar)
{
    Match m = networkBoutStart(JACK, DARTH);
    EXPECT_TRUE(m.countTicks);
    for (int tick = 0; tick < 61; ++tick) {
        TickInput in;
        in.calendarSecond = 5'000'000 + tick * 977;  // a calendar that runs wild
        TickEvents events;
        step(m, in, events);
    }
    EXPECT_EQ(m.secondsLeft, 59);
    Match copy = m;
    EXPECT_TRUE(copy.countTicks);
    copy.countTicks = false;
    EXPECT_NE(stateHash(copy), stateHash(m));
}
