#pragma once

// What two machines playing one bout say to each other, as bytes. Packets
// from the network are never trusted: PacketReader checks every byte.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

constexpr std::uint16_t PROTOCOL_VERSION = 2;
constexpr std::size_t MAX_PACKET_SIZE = 256;
constexpr std::size_t MAX_VERSION_LENGTH = 32;
// Each input packet repeats up to this many ticks, so a lost one costs nothing.
constexpr int MAX_INPUTS_PER_PACKET = 32;
constexpr std::uint16_t DEFAULT_PORT = 7445;

// The ENet channels: session messages reliable and ordered, inputs unreliable.
constexpr std::uint8_t SESSION_CHANNEL = 0;
constexpr std::uint8_t INPUT_CHANNEL = 1;

enum class MessageType : std::uint8_t {
    HELLO = 1,
    CHOICE = 2,
    START = 3,
    INPUTS = 4,
    HASH = 5,
    BOUT_OVER = 6,
    LEAVE = 7,
};

// Sent by both sides first: a mismatch ends the session on both.
struct Hello {
    std::uint16_t protocol = PROTOCOL_VERSION;
    std::string gameVersion;
    bool operator==(const Hello&) const = default;
};

// The sender's own fighter, and whether it has clicked START.
struct Choice {
    std::uint8_t choice = 0;
    bool ready = false;
    bool operator==(const Choice&) const = default;
};

// From the host: a bout begins with these fighters.
struct Start {
    std::uint16_t bout = 0;
    std::uint8_t choiceOne = 0;
    std::uint8_t choiceTwo = 0;
    bool operator==(const Start&) const = default;
};

// The sender's inputs for ticks firstTick.., and how far it has the receiver's.
struct Inputs {
    // Counts up from 1 over the whole session.
    std::uint32_t sequence = 0;
    std::uint16_t bout = 0;
    // Ticks the sender has played, and how many it reckons it is ahead of
    // the receiver (both for keeping the two clocks in step).
    std::uint32_t present = 0;
    std::int8_t advantage = 0;
    // Ticks of the receiver's input the sender holds, all from tick 0.
    std::uint32_t ack = 0;
    std::uint32_t firstTick = 0;
    std::vector<std::uint8_t> bits;
    bool operator==(const Inputs&) const = default;
};

// The state hash at a confirmed tick; BOUT_OVER carries the final one.
struct Hash {
    std::uint16_t bout = 0;
    std::uint32_t tick = 0;
    std::uint64_t hash = 0;
    bool operator==(const Hash&) const = default;
};
struct BoutOver {
    std::uint16_t bout = 0;
    std::uint32_t tick = 0;
    std::uint64_t hash = 0;
    bool operator==(const BoutOver&) const = default;
};

struct Leave {
    enum Reason : std::uint8_t { QUIT = 0, VERSION = 1, DESYNC = 2 };
    Reason reason = QUIT;
    std::uint32_t tick = 0;
    bool operator==(const Leave&) const = default;
};

using Message = std::variant<Hello, Choice, Start, Inputs, Hash, BoutOver, Leave>;

std::vector<std::uint8_t> encode(const Message& message);

// Decodes packets one at a time, dropping and counting what is malformed,
// too long, or an input packet already seen or older than one seen.
class PacketReader {
public:
    std::optional<Message> read(const std::uint8_t* data, std::size_t size);

    struct Counts {
        long accepted = 0;
        long malformed = 0;
        long oversized = 0;
        long replayed = 0;
        long outOfOrder = 0;
        long dropped() const { return malformed + oversized + replayed + outOfOrder; }
    };
    const Counts& counts() const { return tally; }

private:
    Counts tally;
    std::uint32_t lastSequence = 0;
};
