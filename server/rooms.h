#pragma once

// The server's rooms, in memory: who opened each, who joined, who watches,
// the bout's feed kept for late watchers, and when an empty room goes. No
// sockets here: the server turns what these say into messages.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "net/meeting_protocol.h"
#include "server/address_limits.h"

using ClientId = std::uint64_t;

struct RoomsConfig {
    int maxRooms = 2000;
    int maxWatchers = 16;
    // A room with no player in it for this long is gone.
    double expirySeconds = 60;
    // Rooms one address may open, and joins and watches it may try (a
    // guesser of codes runs out long before it finds one).
    Rate opens{10.0 / 60.0, 10};
    Rate attempts{20.0 / 60.0, 20};
    std::size_t addresses = 65536;
};

struct PlayerSeat {
    ClientId client = 0;
    Endpoint seen;
    std::vector<Endpoint> local;
    bool present() const { return client != 0; }
};

// The current bout's feed, as sent, for a watcher who comes in late; a feed
// longer than the limit is not kept (late watchers wait for the next bout).
struct FeedLog {
    static constexpr std::size_t MAX_BYTES = 64 * 1024;
    std::vector<std::vector<std::uint8_t>> messages;
    std::size_t bytes = 0;
    bool started = false;
    bool overflowed = false;
    std::uint16_t bout = 0;
    std::uint32_t ticks = 0;
    bool ended = false;
};

struct Room {
    std::string code;
    std::string gameVersion;
    std::array<PlayerSeat, 2> players;
    std::vector<ClientId> watchers;
    // Both players' punches carry it.
    std::uint64_t token = 0;
    double emptySince = 0;
    FeedLog feed;
    int playersIn() const { return int(players[0].present()) + int(players[1].present()); }
};

enum class RoomRole { NONE, OPENER, GUEST, WATCHER };

class Rooms {
public:
    using Codes = std::function<std::string()>;
    using Tokens = std::function<std::uint64_t()>;
    explicit Rooms(const RoomsConfig& config, Codes codes = {}, Tokens tokens = {});

    using Result = std::variant<Room*, Refused::Reason>;
    // The seat's client opens a room; its code comes from the code source.
    Result open(std::uint32_t ip, const std::string& version, const PlayerSeat& opener, double now);
    Result join(
        std::uint32_t ip, const std::string& version, const std::string& code, const PlayerSeat& guest, double now);
    Result watch(std::uint32_t ip, const std::string& version, const std::string& code, ClientId watcher, double now);

    Room* roomOf(ClientId client);
    RoomRole roleOf(ClientId client) const;
    // The other player of the client's room, or 0.
    ClientId partnerOf(ClientId client) const;
    // Takes the client out of its room: the room it left, if any.
    Room* leave(ClientId client, double now);
    // Removes the rooms empty of players for the expiry, and returns them.
    std::vector<Room> expire(double now);
    // Keeps a feed message the opener sent; false when it does not follow the feed so far.
    bool keepFeed(Room& room, const Feed& feed, const std::vector<std::uint8_t>& bytes);

    std::size_t size() const { return rooms.size(); }
    const RoomsConfig& settings() const { return config; }

private:
    struct Member {
        std::string code;
        RoomRole role = RoomRole::NONE;
    };
    Room* find(const std::string& code);

    RoomsConfig config;
    Codes codes;
    Tokens tokens;
    AddressBuckets opens;
    AddressBuckets attempts;
    std::unordered_map<std::string, Room> rooms;
    std::unordered_map<ClientId, Member> members;
};
