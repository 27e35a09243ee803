#pragma once

// What the game and the meeting server (zandrel-server) say to each other:
// ENet messages once connected, and a few raw datagrams on the same socket
// before (the server's cookie, the players' punches). Every byte is checked.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "net/protocol.h"
#include "replay/replay_file.h"

constexpr std::uint16_t MEETING_PROTOCOL_VERSION = 1;
constexpr std::uint16_t DEFAULT_SERVER_PORT = 7446;

// Six letters with no look-alikes among them or among the digits (no B, G, I,
// L, O, Q, S, Z): 18^6, 34 million codes.
constexpr char ROOM_CODE_LETTERS[] = "ACDEFHJKMNPRTUVWXY";
constexpr int ROOM_CODE_ALPHABET = sizeof ROOM_CODE_LETTERS - 1;
constexpr std::size_t ROOM_CODE_LENGTH = 6;

constexpr int MAX_LOCAL_ADDRESSES = 4;
// A relayed game packet is no longer than the game's own.
constexpr std::size_t MAX_RELAY_PAYLOAD = MAX_PACKET_SIZE;
constexpr int MAX_FEED_RUNS = 32;
constexpr std::size_t MAX_MEETING_MESSAGE = 1024;
constexpr std::size_t MAX_VERSION_TEXT = 32;

// The ENet channels to the server: its messages, the bout's feed and reliable
// game packets in order on one; unreliable game packets on the other.
constexpr std::uint8_t MEETING_CHANNEL = 0;
constexpr std::uint8_t RELAY_CHANNEL = 1;
constexpr int MEETING_CHANNELS = 2;

// An IPv4 address and port, in host byte order.
struct Endpoint {
    std::uint32_t ip = 0;
    std::uint16_t port = 0;
    bool operator==(const Endpoint&) const = default;
};
// "203.0.113.5:7446"
std::string endpointText(const Endpoint& endpoint);

// A room code as a player may type it ("kfm-tax", " KFMTAX "), or nothing when
// it cannot be one.
std::optional<std::string> normalizeRoomCode(const std::string& typed);
bool validRoomCode(const std::string& code);

enum class MeetingType : std::uint8_t {
    OPEN = 1,
    JOIN = 2,
    WATCH = 3,
    OPENED = 4,
    JOINED = 5,
    WATCHING = 6,
    REFUSED = 7,
    INTRODUCE = 8,
    PEER_LEFT = 9,
    RELAY = 10,
    PROBE = 11,
    PATH = 12,
    FEED_START = 13,
    FEED_TICKS = 14,
    FEED_END = 15,
};

// To the server: open a room, join one, watch one. Each carries the game's
// version, which every side of a room must share, and the addresses a player
// sees itself at (for two players behind one router).
struct Open {
    std::uint16_t protocol = MEETING_PROTOCOL_VERSION;
    std::string gameVersion;
    std::vector<Endpoint> local;
    bool operator==(const Open&) const = default;
};
struct Join {
    std::uint16_t protocol = MEETING_PROTOCOL_VERSION;
    std::string gameVersion;
    std::string code;
    std::vector<Endpoint> local;
    bool operator==(const Join&) const = default;
};
struct Watch {
    std::uint16_t protocol = MEETING_PROTOCOL_VERSION;
    std::string gameVersion;
    std::string code;
    bool operator==(const Watch&) const = default;
};

// From the server: the room is open (or joined), and where the server sees the player.
struct Opened {
    std::string code;
    Endpoint seen;
    bool operator==(const Opened&) const = default;
};
struct Joined {
    std::string code;
    Endpoint seen;
    bool operator==(const Joined&) const = default;
};
struct Watching {
    std::string code;
    bool operator==(const Watching&) const = default;
};
struct Refused {
    enum Reason : std::uint8_t {
        NO_ROOM = 0,        // a wrong code, or the room has expired
        ROOM_FULL = 1,      // two players already
        WATCHERS_FULL = 2,  // as many watchers as a room takes
        SERVER_FULL = 3,    // as many rooms as the server keeps
        TOO_MANY = 4,       // this address opened or tried too many rooms of late
        VERSION = 5,        // the room plays another version of the game
    };
    Reason reason = NO_ROOM;
    bool operator==(const Refused&) const = default;
};
// The other player: where the server sees it, where it sees itself, and a
// token both players' punches carry so that no one else's are answered.
struct Introduce {
    std::uint8_t player = 1;  // the receiver's own number: 1 opened, 2 joined
    std::uint64_t token = 0;
    Endpoint seen;
    std::vector<Endpoint> local;
    bool operator==(const Introduce&) const = default;
};
struct PeerLeft {
    bool operator==(const PeerLeft&) const = default;
};

// Between the players through the server: a game packet, a round-trip probe,
// and the path the opener settled on.
struct RelayPacket {
    std::vector<std::uint8_t> payload;
    bool operator==(const RelayPacket&) const = default;
};
struct Probe {
    std::uint32_t stamp = 0;
    bool reply = false;
    bool operator==(const Probe&) const = default;
};
enum class PathKind : std::uint8_t { NONE = 0, DIRECT = 1, RELAYED = 2 };
const char* pathName(PathKind path);
struct PathChosen {
    PathKind path = PathKind::RELAYED;
    bool operator==(const PathChosen&) const = default;
};

// The bout for its watchers, from the opener through the server: the same
// records a replay holds, as both players confirmed them.
struct FeedStart {
    std::uint16_t bout = 0;
    std::uint8_t choiceOne = 0;
    std::uint8_t choiceTwo = 0;
    bool operator==(const FeedStart&) const = default;
};
struct FeedTicks {
    std::uint16_t bout = 0;
    std::uint32_t firstTick = 0;
    std::vector<InputRun> runs;
    bool operator==(const FeedTicks&) const = default;
};
struct FeedEnd {
    std::uint16_t bout = 0;
    std::uint32_t ticks = 0;
    std::uint64_t finalHash = 0;
    bool operator==(const FeedEnd&) const = default;
};

using MeetingMessage = std::variant<Open, Join, Watch, Opened, Joined, Watching, Refused, Introduce, PeerLeft,
    RelayPacket, Probe, PathChosen, FeedStart, FeedTicks, FeedEnd>;
using Feed = std::variant<FeedStart, FeedTicks, FeedEnd>;

std::vector<std::uint8_t> encodeMeeting(const MeetingMessage& message);
// The number of ticks a feed message's runs hold.
std::uint64_t feedTicksCount(const FeedTicks& ticks);

// Decodes messages one at a time, dropping and counting what is malformed or too long.
class MeetingReader {
public:
    std::optional<MeetingMessage> read(const std::uint8_t* data, std::size_t size);

    struct Counts {
        long accepted = 0;
        long malformed = 0;
        long oversized = 0;
        long dropped() const { return malformed + oversized; }
    };
    const Counts& counts() const { return tally; }

private:
    Counts tally;
};

// Raw datagrams, before any ENet connection, told from ENet's by their first
// bytes (an ENet header with flags no ENet host here sets).
//
// The server answers a cookie request, no larger than it, with a cookie that
// the player's ENet connect then carries: the server sends nothing more to an
// address that has not shown it receives there.
constexpr std::size_t COOKIE_REQUEST_SIZE = 48;
struct CookieRequest {
    bool operator==(const CookieRequest&) const = default;
};
struct Cookie {
    std::uint32_t value = 0;
    bool operator==(const Cookie&) const = default;
};
// A player's punch to an address the other might be at; the other answers
// each with an acknowledgement of the same size.
struct Punch {
    std::uint64_t token = 0;
    std::uint8_t from = 1;
    bool ack = false;
    bool operator==(const Punch&) const = default;
};
using Datagram = std::variant<CookieRequest, Cookie, Punch>;

std::vector<std::uint8_t> encodeDatagram(const Datagram& datagram);
// Whether the bytes are meant as one of these datagrams (and not for ENet).
bool isDatagram(const std::uint8_t* data, std::size_t size);
// The datagram, or nothing when the bytes are not exactly one.
std::optional<Datagram> readDatagram(const std::uint8_t* data, std::size_t size);
