#include "net/protocol.h"

#include <algorithm>

#include "characters/core/little_endian.h"

namespace {

struct Encoder {
    ByteWriter& w;
    void operator()(const Hello& m)
    {
        w.u8(std::uint8_t(MessageType::HELLO));
        w.u16(m.protocol);
        std::size_t n = std::min(m.gameVersion.size(), MAX_VERSION_LENGTH);
        w.u8(std::uint8_t(n));
        for (std::size_t i = 0; i < n; ++i)
            w.u8(std::uint8_t(m.gameVersion[i]));
    }
    void operator()(const Choice& m)
    {
        w.u8(std::uint8_t(MessageType::CHOICE));
        w.u8(m.choice);
        w.u8(m.ready);
    }
    void operator()(const Start& m)
    {
        w.u8(std::uint8_t(MessageType::START));
        w.u16(m.bout);
        w.u8(m.choiceOne);
        w.u8(m.choiceTwo);
    }
    void operator()(const Inputs& m)
    {
        w.u8(std::uint8_t(MessageType::INPUTS));
        w.u32(m.sequence);
        w.u16(m.bout);
        w.u32(m.present);
        w.u8(std::uint8_t(m.advantage));
        w.u32(m.ack);
        w.u32(m.firstTick);
        w.u8(std::uint8_t(m.bits.size()));
        for (std::uint8_t b : m.bits)
            w.u8(b);
    }
    void operator()(const Hash& m)
    {
        w.u8(std::uint8_t(MessageType::HASH));
        w.u16(m.bout);
        w.u32(m.tick);
        w.u64(m.hash);
    }
    void operator()(const BoutOver& m)
    {
        w.u8(std::uint8_t(MessageType::BOUT_OVER));
        w.u16(m.bout);
        w.u32(m.tick);
        w.u64(m.hash);
    }
    void operator()(const Leave& m)
    {
        w.u8(std::uint8_t(MessageType::LEAVE));
        w.u8(m.reason);
        w.u32(m.tick);
    }
};

bool validChoice(std::uint8_t c)
{
    return c <= 1;
}

// An input entry holds the seven keys of one player.
constexpr std::uint8_t INPUT_MASK = 0x7f;

std::optional<Message> decode(ByteReader& r)
{
    switch (MessageType(r.u8())) {
    case MessageType::HELLO: {
        Hello m;
        m.protocol = r.u16();
        std::uint8_t n = r.u8();
        if (n > MAX_VERSION_LENGTH)
            return std::nullopt;
        for (int i = 0; i < n; ++i) {
            std::uint8_t c = r.u8();
            if (c < 0x20 || c > 0x7e)
                return std::nullopt;
            m.gameVersion.push_back(char(c));
        }
        return m;
    }
    case MessageType::CHOICE: {
        Choice m;
        m.choice = r.u8();
        m.ready = r.flag();
        if (!validChoice(m.choice))
            return std::nullopt;
        return m;
    }
    case MessageType::START: {
        Start m;
        m.bout = r.u16();
        m.choiceOne = r.u8();
        m.choiceTwo = r.u8();
        if (!validChoice(m.choiceOne) || !validChoice(m.choiceTwo))
            return std::nullopt;
        return m;
    }
    case MessageType::INPUTS: {
        Inputs m;
        m.sequence = r.u32();
        m.bout = r.u16();
        m.present = r.u32();
        m.advantage = std::int8_t(r.u8());
        m.ack = r.u32();
        m.firstTick = r.u32();
        std::uint8_t n = r.u8();
        if (n == 0 || n > MAX_INPUTS_PER_PACKET || m.sequence == 0)
            return std::nullopt;
        for (int i = 0; i < n; ++i) {
            std::uint8_t b = r.u8();
            if (b & ~INPUT_MASK)
                return std::nullopt;
            m.bits.push_back(b);
        }
        // The sender holds no input of a tick it has not played.
        if (std::uint64_t(m.firstTick) + n > std::uint64_t(m.present) + 64)
            return std::nullopt;
        return m;
    }
    case MessageType::HASH: {
        Hash m;
        m.bout = r.u16();
        m.tick = r.u32();
        m.hash = r.u64();
        return m;
    }
    case MessageType::BOUT_OVER: {
        BoutOver m;
        m.bout = r.u16();
        m.tick = r.u32();
        m.hash = r.u64();
        return m;
    }
    case MessageType::LEAVE: {
        Leave m;
        std::uint8_t reason = r.u8();
        if (reason > Leave::DESYNC)
            return std::nullopt;
        m.reason = Leave::Reason(reason);
        m.tick = r.u32();
        return m;
    }
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::uint8_t> encode(const Message& message)
{
    ByteWriter w;
    std::visit(Encoder{w}, message);
    return std::move(w.bytes);
}

std::optional<Message> PacketReader::read(const std::uint8_t* data, std::size_t size)
{
    if (size > MAX_PACKET_SIZE) {
        ++tally.oversized;
        return std::nullopt;
    }
    if (!data || size == 0) {
        ++tally.malformed;
        return std::nullopt;
    }
    ByteReader r(data, size);
    std::optional<Message> message = decode(r);
    if (!message || !r.finished()) {
        ++tally.malformed;
        return std::nullopt;
    }
    if (const Inputs* in = std::get_if<Inputs>(&*message)) {
        if (in->sequence == lastSequence) {
            ++tally.replayed;
            return std::nullopt;
        }
        if (in->sequence < lastSequence) {
            ++tally.outOfOrder;
            return std::nullopt;
        }
        lastSequence = in->sequence;
    }
    ++tally.accepted;
    return message;
}
