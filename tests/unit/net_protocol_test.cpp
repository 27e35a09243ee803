// The packet reader takes back what the writer wrote, and nothing else.
#include <gtest/gtest.h>

#include "net/protocol.h"

namespace {

std::optional<Message> roundTrip(PacketReader& reader, const Message& m)
{
    const std::vector<std::uint8_t> bytes = encode(m);
    return reader.read(bytes.data(), bytes.size());
}

Inputs inputs(std::uint32_t sequence)
{
    Inputs in;
    in.sequence = sequence;
    in.bout = 3;
    in.present = 200;
    in.ack = 190;
    in.firstTick = 195;
    in.bits = {0x00, 0x7f, 0x41};
    return in;
}

}  // namespace

TEST(NetProtocol, EveryMessageReadsBackAsWritten)
{
    PacketReader reader;
    const std::vector<Message> messages = {
        Hello{PROTOCOL_VERSION, "1.2.3"},
        Choice{1, true},
        Start{7, 0, 1},
        inputs(1),
        Hash{7, 30, 0x0123456789abcdefull},
        BoutOver{7, 3100, ~0ull},
        Leave{Leave::DESYNC, 90},
    };
    for (const Message& m : messages) {
        const auto back = roundTrip(reader, m);
        ASSERT_TRUE(back) << "type " << m.index();
        EXPECT_EQ(*back, m);
    }
    EXPECT_EQ(reader.counts().accepted, long(messages.size()));
    EXPECT_EQ(reader.counts().dropped(), 0);
}

TEST(NetProtocol, MalformedAndOversizedPacketsAreDroppedAndCounted)
{
    PacketReader reader;
    std::vector<std::uint8_t> good = encode(inputs(5));
    // Cut short, one byte too many, an unknown type, an eighth key bit, no ticks.
    std::vector<std::uint8_t> shortOne(good.begin(), good.end() - 1);
    std::vector<std::uint8_t> longOne = good;
    longOne.push_back(0);
    std::vector<std::uint8_t> unknown = {0xee, 1, 2};
    std::vector<std::uint8_t> eighthBit = good;
    eighthBit.back() = 0x80;
    Inputs empty = inputs(6);
    empty.bits.clear();
    std::vector<std::uint8_t> none = encode(empty);
    std::vector<std::uint8_t> badChoice = encode(Choice{2, false});
    std::vector<std::uint8_t> badFlag = {std::uint8_t(MessageType::CHOICE), 0, 2};
    std::vector<std::uint8_t> badVersion = encode(Hello{1, "ab"});
    badVersion.back() = '\n';
    for (const auto& bytes : {shortOne, longOne, unknown, eighthBit, none, badChoice, badFlag, badVersion})
        EXPECT_FALSE(reader.read(bytes.data(), bytes.size()));
    EXPECT_EQ(reader.counts().malformed, 8);
    EXPECT_FALSE(reader.read(nullptr, 0));
    EXPECT_EQ(reader.counts().malformed, 9);

    std::vector<std::uint8_t> huge(MAX_PACKET_SIZE + 1, 0);
    EXPECT_FALSE(reader.read(huge.data(), huge.size()));
    EXPECT_EQ(reader.counts().oversized, 1);
    EXPECT_TRUE(reader.read(good.data(), good.size()));
}

TEST(NetProtocol, AnInputPacketSeenOrOlderThanOneSeenIsDropped)
{
    PacketReader reader;
    EXPECT_TRUE(roundTrip(reader, inputs(10)));
    EXPECT_FALSE(roundTrip(reader, inputs(10)));
    EXPECT_FALSE(roundTrip(reader, inputs(9)));
    EXPECT_TRUE(roundTrip(reader, inputs(12)));
    EXPECT_EQ(reader.counts().replayed, 1);
    EXPECT_EQ(reader.counts().outOfOrder, 1);
    // Session messages are ordered by the channel, not by a sequence.
    EXPECT_TRUE(roundTrip(reader, Choice{0, false}));
    EXPECT_TRUE(roundTrip(reader, Choice{0, false}));
}

TEST(NetProtocol, InputPacketsPastTheirLimitsAreMalformed)
{
    // The sender has played 200 ticks: it may hold inputs up to 64 past that.
    const struct {
        std::size_t inputs;
        std::uint32_t firstTick;
        bool accepted;
    } rows[] = {
        {MAX_INPUTS_PER_PACKET, 232, true},
        {MAX_INPUTS_PER_PACKET + 1, 100, false},
        {1, 263, true},
        {1, 264, false},
        {2, 0xffffffffu, false},
    };
    PacketReader reader;
    std::uint32_t sequence = 1;
    for (const auto& row : rows) {
        Inputs in = inputs(sequence++);
        in.firstTick = row.firstTick;
        in.bits.assign(row.inputs, 0x01);
        const long before = reader.counts().malformed;
        EXPECT_EQ(roundTrip(reader, in).has_value(), row.accepted) << row.inputs << " from " << row.firstTick;
        EXPECT_EQ(reader.counts().malformed - before, row.accepted ? 0 : 1);
    }
}
