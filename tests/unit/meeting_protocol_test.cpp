// The meeting messages read back as written and nothing else, and a bout's
// feed puts together at the watcher the replay both players keep.
#include <gtest/gtest.h>

#include "net/meeting_protocol.h"
#include "net/watch_feed.h"
#include "tests/support/key_script.h"

namespace {

const Endpoint HOME{0xc6336402, 40000};
const Endpoint LAN{0x0a000102, 40000};

std::vector<std::uint8_t> withByte(std::vector<std::uint8_t> bytes, std::size_t at, std::uint8_t value)
{
    bytes.at(at) = value;
    return bytes;
}

std::vector<std::uint8_t> plusByte(std::vector<std::uint8_t> bytes)
{
    bytes.push_back(0);
    return bytes;
}

std::optional<Feed> feedOf(const MeetingMessage& m)
{
    if (const FeedStart* start = std::get_if<FeedStart>(&m))
        return *start;
    if (const FeedTicks* ticks = std::get_if<FeedTicks>(&m))
        return *ticks;
    if (const FeedEnd* end = std::get_if<FeedEnd>(&m))
        return *end;
    return std::nullopt;
}

}  // namespace

TEST(MeetingProtocol, EveryMessageReadsBackAsWritten)
{
    const FeedTicks ticks{4, 90, {{TickRecord{(1ull << 35) | 3, MAX_REPLAY_SECOND, true, true}, 65535}, {}}};
    const std::vector<MeetingMessage> messages = {
        Open{MEETING_PROTOCOL_VERSION, "1.1.0", {LAN, HOME}},
        Join{MEETING_PROTOCOL_VERSION, "1.1.0", "KFMTAX", {LAN}},
        Watch{MEETING_PROTOCOL_VERSION, "", "YYYYYY"},
        Opened{"KFMTAX", HOME},
        Joined{"KFMTAX", HOME},
        Watching{"ACDEFH"},
        Refused{Refused::VERSION},
        Introduce{2, ~0ull, HOME, {LAN, LAN, LAN, LAN}},
        PeerLeft{},
        RelayPacket{std::vector<std::uint8_t>(MAX_RELAY_PAYLOAD, 0xee)},
        Probe{123456, true},
        PathChosen{PathKind::DIRECT},
        FeedStart{9, 1, 0},
        ticks,
        FeedEnd{9, MAX_REPLAY_TICKS, 0x0123456789abcdefull},
    };
    MeetingReader reader;
    for (const MeetingMessage& m : messages) {
        const std::vector<std::uint8_t> bytes = encodeMeeting(m);
        EXPECT_LE(bytes.size(), MAX_MEETING_MESSAGE);
        const std::optional<MeetingMessage> back = reader.read(bytes.data(), bytes.size());
        ASSERT_TRUE(back) << "type " << m.index();
        EXPECT_EQ(*back, m);
    }
    EXPECT_EQ(reader.counts().accepted, long(messages.size()));

    for (const Datagram& d : std::vector<Datagram>{CookieRequest{}, Cookie{0xfeedbeef}, Punch{42, 2, true}}) {
        const std::vector<std::uint8_t> bytes = encodeDatagram(d);
        EXPECT_TRUE(isDatagram(bytes.data(), bytes.size()));
        EXPECT_EQ(readDatagram(bytes.data(), bytes.size()), d);
        // No answer outweighs the question: the server is no amplifier.
        EXPECT_LE(bytes.size(), COOKIE_REQUEST_SIZE);
    }
    EXPECT_EQ(encodeDatagram(Punch{42, 2, true}).size(), encodeDatagram(Punch{42, 1, false}).size());
}

TEST(MeetingProtocol, MalformedMessagesAreDroppedAndCounted)
{
    const std::vector<std::uint8_t> join = encodeMeeting(Join{1, "v", "KFMTAX", {HOME}});
    const std::vector<std::uint8_t> ticks = encodeMeeting(FeedTicks{1, 0, {{TickRecord{}, 10}}});
    const std::vector<std::uint8_t> relay = encodeMeeting(RelayPacket{{1, 2, 3}});
    std::vector<std::uint8_t> relayOver = encodeMeeting(RelayPacket{{1}});
    relayOver[1] = std::uint8_t(MAX_RELAY_PAYLOAD + 1);
    relayOver[2] = std::uint8_t((MAX_RELAY_PAYLOAD + 1) >> 8);
    relayOver.resize(3 + MAX_RELAY_PAYLOAD + 1, 0);
    // Offsets: join = type, protocol(2), version length and "v", code(6), count, ip(4), port(2).
    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> cases = {
        {"an unknown type", {0xee}},
        {"a type alone", {std::uint8_t(MeetingType::OPEN)}},
        {"a join cut short", {join.begin(), join.end() - 1}},
        {"a join with a byte more", plusByte(join)},
        {"a code with an O", withByte(join, 5, 'O')},
        {"a code in lower case", withByte(join, 5, 'k')},
        {"a version with a control character", withByte(join, 4, '\n')},
        {"five local addresses", withByte(join, 11, 5)},
        {"port 0", withByte(withByte(join, 16, 0), 17, 0)},
        {"a refusal of no known reason", {std::uint8_t(MeetingType::REFUSED), 6}},
        {"an introduction to a third player", encodeMeeting(Introduce{3, 1, HOME, {}})},
        {"an introduction without a token", encodeMeeting(Introduce{1, 0, HOME, {}})},
        {"no path", {std::uint8_t(MeetingType::PATH), 0}},
        {"a relay longer than it says", withByte(relay, 1, 2)},
        {"an empty relay", {std::uint8_t(MeetingType::RELAY), 0, 0}},
        {"a relay larger than a game packet", relayOver},
        {"a fighter that does not exist", encodeMeeting(FeedStart{1, 2, 0})},
        {"a 37th key", withByte(ticks, 12, 0x10)},
        {"a run of no ticks", withByte(withByte(ticks, 25, 0), 26, 0)},
        {"a sound flag unknown", withByte(ticks, 24, 4)},
        {"a feed without runs", withByte(ticks, 7, 0)},
        {"ticks past an hour", encodeMeeting(FeedTicks{1, MAX_REPLAY_TICKS, {{TickRecord{}, 1}}})},
        {"a bout of over an hour", encodeMeeting(FeedEnd{1, MAX_REPLAY_TICKS + 1, 0})},
    };
    MeetingReader reader;
    for (const auto& [what, bytes] : cases)
        EXPECT_FALSE(reader.read(bytes.data(), bytes.size())) << what;
    EXPECT_EQ(reader.counts().malformed, long(cases.size()));
    std::vector<std::uint8_t> huge(MAX_MEETING_MESSAGE + 1, std::uint8_t(MeetingType::RELAY));
    EXPECT_FALSE(reader.read(huge.data(), huge.size()));
    EXPECT_EQ(reader.counts().oversized, 1);
    EXPECT_FALSE(reader.read(nullptr, 0));
    EXPECT_TRUE(reader.read(join.data(), join.size())) << "the reader goes on after bad ones";

    const std::vector<std::uint8_t> request = encodeDatagram(CookieRequest{});
    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> datagrams = {
        {"a request short of its padding", {request.begin(), request.end() - 1}},
        {"a request padded with other than zeros", withByte(request, 30, 1)},
        {"a punch from a third player", withByte(encodeDatagram(Punch{1, 1, false}), 13, 3)},
        {"a punch without a token", encodeDatagram(Punch{0, 1, false})},
        {"a punch with a byte more", plusByte(encodeDatagram(Punch{1, 1, false}))},
        {"an unknown datagram", {0xff, 0xff, 'Z', 'M', 9}},
        {"an ENet header", {0x8f, 0xff, 0, 0, 0x82}},
    };
    for (const auto& [what, bytes] : datagrams)
        EXPECT_FALSE(readDatagram(bytes.data(), bytes.size())) << what;
}

TEST(MeetingProtocol, TheFeedOfANetworkBoutIsTheReplayBothPlayersKeep)
{
    // A bout played as the opener's rollback plays it, both inputs arriving at once.
    Rollback bout(1, 2, DARTH, JACK);
    KeyScript mine(3), theirs(4);
    std::vector<SoundEvent> sounds;
    for (std::uint32_t tick = 0; tick < 900; ++tick) {
        bout.receive(tick, {theirs.next()});
        bout.advance(mine.next(), sounds);
        bout.settle(sounds);
    }
    const Replay kept = bout.replay();
    ASSERT_GT(kept.tickCount, 800u);

    FeedWriter writer;
    std::vector<Feed> feed = {writer.start(7, DARTH, JACK)};
    for (const InputRun& run : kept.runs)
        for (std::uint32_t i = 0; i < run.ticks; ++i)
            if (std::optional<FeedTicks> t = writer.add(run.input))
                feed.push_back(*t);
    if (std::optional<FeedTicks> t = writer.flush())
        feed.push_back(*t);
    feed.push_back(writer.end(kept.finalHash));

    FeedReader reader;
    MeetingReader wire;
    std::string error;
    for (const Feed& f : feed) {
        const std::vector<std::uint8_t> bytes = encodeMeeting(std::visit([](auto& m) { return MeetingMessage(m); }, f));
        const std::optional<MeetingMessage> m = wire.read(bytes.data(), bytes.size());
        ASSERT_TRUE(m && feedOf(*m));
        ASSERT_TRUE(reader.take(*feedOf(*m), error)) << error;
    }
    EXPECT_TRUE(reader.ended());
    EXPECT_EQ(reader.replay(), kept);

    // Out of order or from another bout, nothing is taken.
    const std::vector<std::pair<const char*, Feed>> wrong = {
        {"a gap", FeedTicks{7, 5, {{TickRecord{}, 1}}}},
        {"another bout", FeedTicks{8, 0, {{TickRecord{}, 1}}}},
    };
    FeedReader fresh;
    ASSERT_FALSE(fresh.take(FeedTicks{7, 0, {{TickRecord{}, 1}}}, error)) << "ticks before the start";
    ASSERT_TRUE(fresh.take(FeedStart{7, 0, 1}, error));
    for (const auto& [what, f] : wrong)
        EXPECT_FALSE(fresh.take(f, error)) << what;
    EXPECT_FALSE(fresh.take(FeedEnd{7, 1, 0}, error)) << "an end at a tick not reached";
    EXPECT_EQ(fresh.replay().tickCount, 0u);
}
