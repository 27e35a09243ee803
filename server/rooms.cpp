#include "server/rooms.h"

#include <algorithm>

#include "server/entropy.h"

namespace {

// A code drawn again after this many collisions means the table is nearly full.
constexpr int CODE_TRIES = 16;

}  // namespace

Rooms::Rooms(const RoomsConfig& config, Codes codes, Tokens tokens)
    : config(config),
      codes(codes ? std::move(codes) : Codes(randomRoomCode)),
      tokens(tokens ? std::move(tokens) : Tokens(randomToken)),
      opens(config.opens, config.addresses),
      attempts(config.attempts, config.addresses)
{}

Room* Rooms::find(const std::string& code)
{
    auto found = rooms.find(code);
    return found == rooms.end() ? nullptr : &found->second;
}

Rooms::Result Rooms::open(std::uint32_t ip, const std::string& version, const PlayerSeat& opener, double now)
{
    if (int(rooms.size()) >= config.maxRooms)
        return Refused::SERVER_FULL;
    if (!opens.take(ip, now))
        return Refused::TOO_MANY;
    for (int i = 0; i < CODE_TRIES; ++i) {
        std::string code = codes();
        if (rooms.count(code))
            continue;
        Room& room = rooms[code];
        room.code = code;
        room.gameVersion = version;
        room.players[0] = opener;
        members[opener.client] = {code, RoomRole::OPENER};
        return &room;
    }
    return Refused::SERVER_FULL;
}

Rooms::Result Rooms::join(
    std::uint32_t ip, const std::string& version, const std::string& code, const PlayerSeat& guest, double now)
{
    if (!attempts.take(ip, now))
        return Refused::TOO_MANY;
    Room* room = find(code);
    // A room whose opener has gone is as good as gone.
    if (!room || !room->players[0].present())
        return Refused::NO_ROOM;
    if (room->players[1].present())
        return Refused::ROOM_FULL;
    if (room->gameVersion != version)
        return Refused::VERSION;
    room->players[1] = guest;
    room->token = tokens();
    members[guest.client] = {code, RoomRole::GUEST};
    return room;
}

Rooms::Result Rooms::watch(
    std::uint32_t ip, const std::string& version, const std::string& code, ClientId watcher, double now)
{
    if (!attempts.take(ip, now))
        return Refused::TOO_MANY;
    Room* room = find(code);
    if (!room)
        return Refused::NO_ROOM;
    if (int(room->watchers.size()) >= config.maxWatchers)
        return Refused::WATCHERS_FULL;
    if (room->gameVersion != version)
        return Refused::VERSION;
    room->watchers.push_back(watcher);
    members[watcher] = {code, RoomRole::WATCHER};
    return room;
}

Room* Rooms::roomOf(ClientId client)
{
    auto member = members.find(client);
    return member == members.end() ? nullptr : find(member->second.code);
}

RoomRole Rooms::roleOf(ClientId client) const
{
    auto member = members.find(client);
    return member == members.end() ? RoomRole::NONE : member->second.role;
}

ClientId Rooms::partnerOf(ClientId client) const
{
    auto member = members.find(client);
    if (member == members.end() || member->second.role == RoomRole::WATCHER)
        return 0;
    const Room& room = rooms.at(member->second.code);
    return room.players[member->second.role == RoomRole::OPENER ? 1 : 0].client;
}

Room* Rooms::leave(ClientId client, double now)
{
    auto member = members.find(client);
    if (member == members.end())
        return nullptr;
    Room* room = find(member->second.code);
    const RoomRole role = member->second.role;
    members.erase(member);
    if (!room)
        return nullptr;
    if (role == RoomRole::WATCHER) {
        std::erase(room->watchers, client);
    } else {
        room->players[role == RoomRole::OPENER ? 0 : 1] = PlayerSeat{};
        if (room->playersIn() == 0)
            room->emptySince = now;
    }
    return room;
}

std::vector<Room> Rooms::expire(double now)
{
    std::vector<Room> gone;
    for (auto it = rooms.begin(); it != rooms.end();) {
        Room& room = it->second;
        if (room.playersIn() == 0 && now - room.emptySince >= config.expirySeconds) {
            for (ClientId watcher : room.watchers)
                members.erase(watcher);
            gone.push_back(std::move(room));
            it = rooms.erase(it);
        } else {
            ++it;
        }
    }
    return gone;
}

bool Rooms::keepFeed(Room& room, const Feed& feed, const std::vector<std::uint8_t>& bytes)
{
    FeedLog& log = room.feed;
    if (const FeedStart* start = std::get_if<FeedStart>(&feed)) {
        log = FeedLog{};
        log.started = true;
        log.bout = start->bout;
    } else if (const FeedTicks* ticks = std::get_if<FeedTicks>(&feed)) {
        if (!log.started || log.ended || ticks->bout != log.bout || ticks->firstTick != log.ticks)
            return false;
        log.ticks += std::uint32_t(feedTicksCount(*ticks));
    } else if (const FeedEnd* end = std::get_if<FeedEnd>(&feed)) {
        if (!log.started || log.ended || end->bout != log.bout || end->ticks != log.ticks)
            return false;
        log.ended = true;
    }
    if (log.bytes + bytes.size() > FeedLog::MAX_BYTES) {
        log.overflowed = true;
        log.messages = {};
        log.bytes = 0;
    }
    if (!log.overflowed) {
        log.messages.push_back(bytes);
        log.bytes += bytes.size();
    }
    return true;
}
