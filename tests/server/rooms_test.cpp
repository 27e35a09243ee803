// The server's rooms as plain logic: codes, joining, watching, leaving,
// expiry and the limits per address, on a clock the test moves.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "server/address_limits.h"
#include "server/cookie.h"
#include "server/entropy.h"
#include "server/rooms.h"

namespace {

constexpr std::uint32_t HOME = 0xc6336402;   // 198.51.100.2
constexpr std::uint32_t OTHER = 0xc0000202;  // 192.0.2.2

PlayerSeat seat(ClientId id)
{
    return {id, {HOME, std::uint16_t(40000 + id)}, {}};
}

// Codes handed out in order, so a test knows them.
Rooms::Codes codesFrom(std::vector<std::string> list)
{
    auto at = std::make_shared<std::size_t>(0);
    return [list, at] { return list[(*at)++ % list.size()]; };
}

Room* roomOf(const Rooms::Result& r)
{
    return std::holds_alternative<Room*>(r) ? std::get<Room*>(r) : nullptr;
}

Refused::Reason reasonOf(const Rooms::Result& r)
{
    return std::get<Refused::Reason>(r);
}

}  // namespace

TEST(RoomCodes, AreSixLettersWithoutLookAlikesAndEachLetterAsLikely)
{
    std::map<char, int> seen;
    std::set<std::string> codes;
    constexpr int COUNT = 3000;
    for (int i = 0; i < COUNT; ++i) {
        const std::string code = randomRoomCode();
        ASSERT_TRUE(validRoomCode(code)) << code;
        for (char c : code)
            ++seen[c];
        codes.insert(code);
    }
    for (char c : std::string("BGILOQSZ0125"))
        EXPECT_EQ(seen.count(c), 0u) << c;
    // 18,000 letters over 18: a thousand each, give or take far less than 20%.
    ASSERT_EQ(int(seen.size()), ROOM_CODE_ALPHABET);
    for (auto [letter, n] : seen)
        EXPECT_NEAR(n, COUNT * 6 / ROOM_CODE_ALPHABET, 200) << letter;
    // Among 34 million codes, 3000 draws all but never collide.
    EXPECT_GE(codes.size(), std::size_t(COUNT - 2));
}

TEST(RoomCodes, TypedCodesAreNormalized)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"KFMTAX", "KFMTAX"},
        {"kfm-tax", "KFMTAX"},
        {" k f m t a x ", "KFMTAX"},
        {"KFMTAO", ""},   // O looks like 0
        {"KFMTA", ""},    // too short
        {"KFMTAXX", ""},  // too long
        {"KFM\tAX", ""},
    };
    for (const auto& [typed, want] : cases) {
        const std::optional<std::string> got = normalizeRoomCode(typed);
        EXPECT_EQ(got.value_or(""), want) << "'" << typed << "'";
    }
}

TEST(Rooms, JoinWatchAndTheirRefusals)
{
    RoomsConfig config;
    config.maxWatchers = 2;
    Rooms rooms(config, codesFrom({"KFMTAX", "HJKMNP"}), [] { return 77ull; });
    Room* room = roomOf(rooms.open(HOME, "1.1.0", seat(1), 0));
    ASSERT_TRUE(room);
    EXPECT_EQ(room->code, "KFMTAX");

    struct Case {
        const char* what;
        std::string code;
        std::string version;
        bool watch;
        ClientId client;
        std::optional<Refused::Reason> refused;
    };
    const std::vector<Case> cases = {
        {"a wrong code", "ACDEFH", "1.1.0", false, 2, Refused::NO_ROOM},
        {"another version", "KFMTAX", "1.0.0", false, 2, Refused::VERSION},
        {"the guest", "KFMTAX", "1.1.0", false, 2, std::nullopt},
        {"a third player", "KFMTAX", "1.1.0", false, 3, Refused::ROOM_FULL},
        {"a watcher", "KFMTAX", "1.1.0", true, 4, std::nullopt},
        {"a watcher of another version", "KFMTAX", "1.0.1", true, 5, Refused::VERSION},
        {"a second watcher", "KFMTAX", "1.1.0", true, 5, std::nullopt},
        {"one watcher too many", "KFMTAX", "1.1.0", true, 6, Refused::WATCHERS_FULL},
        {"a watcher of no room", "HJKMNP", "1.1.0", true, 6, Refused::NO_ROOM},
    };
    for (const Case& c : cases) {
        const Rooms::Result r = c.watch ? rooms.watch(OTHER, c.version, c.code, c.client, 1)
                                        : rooms.join(OTHER, c.version, c.code, seat(c.client), 1);
        if (c.refused)
            EXPECT_EQ(reasonOf(r), *c.refused) << c.what;
        else
            EXPECT_EQ(roomOf(r), room) << c.what;
    }
    EXPECT_EQ(rooms.roleOf(1), RoomRole::OPENER);
    EXPECT_EQ(rooms.roleOf(2), RoomRole::GUEST);
    EXPECT_EQ(rooms.roleOf(4), RoomRole::WATCHER);
    EXPECT_EQ(rooms.roleOf(3), RoomRole::NONE);
    EXPECT_EQ(rooms.partnerOf(1), 2u);
    EXPECT_EQ(rooms.partnerOf(2), 1u);
    EXPECT_EQ(rooms.partnerOf(4), 0u) << "a watcher has no one to send to";
    EXPECT_EQ(room->token, 77u);
}

TEST(Rooms, AnEmptyRoomExpiresAfterItsTimeAndOnlyThen)
{
    RoomsConfig config;
    config.expirySeconds = 60;
    Rooms rooms(config, codesFrom({"KFMTAX"}));
    ASSERT_TRUE(roomOf(rooms.open(HOME, "v", seat(1), 0)));
    ASSERT_TRUE(roomOf(rooms.join(OTHER, "v", "KFMTAX", seat(2), 5)));
    ASSERT_TRUE(roomOf(rooms.watch(OTHER, "v", "KFMTAX", 3, 5)));

    EXPECT_TRUE(rooms.expire(500).empty()) << "a room with players in it stays";
    rooms.leave(1, 600);
    EXPECT_EQ(rooms.partnerOf(2), 0u);
    EXPECT_EQ(reasonOf(rooms.join(OTHER, "v", "KFMTAX", seat(4), 601)), Refused::NO_ROOM)
        << "no one joins a room its opener left";
    rooms.leave(2, 610);
    EXPECT_TRUE(rooms.expire(669).empty()) << "59 s empty";
    const std::vector<Room> gone = rooms.expire(670);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0].watchers, std::vector<ClientId>{3}) << "its watchers are to be sent away";
    EXPECT_EQ(rooms.size(), 0u);
    EXPECT_EQ(rooms.roleOf(3), RoomRole::NONE);
    EXPECT_EQ(reasonOf(rooms.watch(OTHER, "v", "KFMTAX", 5, 671)), Refused::NO_ROOM);
}

TEST(Rooms, LimitsPerAddressAndInAll)
{
    RoomsConfig config;
    config.maxRooms = 12;
    config.opens = {1.0, 3};     // 3 at once, then one a second
    config.attempts = {0.5, 4};  // 4 at once, then one each 2 s
    Rooms rooms(config);
    ClientId id = 1;
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(roomOf(rooms.open(HOME, "v", seat(id++), 0))) << i;
    EXPECT_EQ(reasonOf(rooms.open(HOME, "v", seat(id++), 0)), Refused::TOO_MANY);
    EXPECT_TRUE(roomOf(rooms.open(OTHER, "v", seat(id++), 0))) << "another address has its own count";
    EXPECT_TRUE(roomOf(rooms.open(HOME, "v", seat(id++), 1.0))) << "one more a second later";

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(reasonOf(rooms.join(HOME, "v", "ACDEFH", seat(id++), 2)), Refused::NO_ROOM);
    EXPECT_EQ(reasonOf(rooms.join(HOME, "v", "ACDEFH", seat(id++), 2)), Refused::TOO_MANY);
    EXPECT_EQ(reasonOf(rooms.watch(HOME, "v", "ACDEFH", id++, 2)), Refused::TOO_MANY);
    EXPECT_EQ(reasonOf(rooms.join(HOME, "v", "ACDEFH", seat(id++), 4.1)), Refused::NO_ROOM);

    for (std::uint32_t ip = 1; rooms.size() < 12; ++ip)
        ASSERT_TRUE(roomOf(rooms.open(ip, "v", seat(id++), 5)));
    EXPECT_EQ(reasonOf(rooms.open(0x7f000001, "v", seat(id++), 5)), Refused::SERVER_FULL);
}

TEST(Rooms, TheFeedIsKeptInOrderForLateWatchers)
{
    Rooms rooms(RoomsConfig{}, codesFrom({"KFMTAX"}));
    Room& room = *roomOf(rooms.open(HOME, "v", seat(1), 0));
    const std::vector<std::uint8_t> bytes(100, 1);
    const FeedTicks ticks{3, 0, {{TickRecord{}, 30}}};
    FeedTicks later = ticks;
    later.firstTick = 30;
    EXPECT_FALSE(rooms.keepFeed(room, ticks, bytes)) << "ticks before the start";
    EXPECT_TRUE(rooms.keepFeed(room, FeedStart{3, 0, 1}, bytes));
    EXPECT_FALSE(rooms.keepFeed(room, later, bytes)) << "a gap";
    EXPECT_TRUE(rooms.keepFeed(room, ticks, bytes));
    EXPECT_TRUE(rooms.keepFeed(room, later, bytes));
    EXPECT_FALSE(rooms.keepFeed(room, FeedEnd{3, 59, 1}, bytes)) << "an end that does not match";
    EXPECT_TRUE(rooms.keepFeed(room, FeedEnd{3, 60, 1}, bytes));
    EXPECT_EQ(room.feed.messages.size(), 4u);

    // A feed longer than the log keeps nothing, and starts again with the next bout.
    const std::vector<std::uint8_t> big(FeedLog::MAX_BYTES / 2 + 1, 2);
    EXPECT_TRUE(rooms.keepFeed(room, FeedStart{4, 0, 1}, big));
    FeedTicks next{4, 0, {{TickRecord{}, 1}}};
    EXPECT_TRUE(rooms.keepFeed(room, next, big));
    EXPECT_TRUE(room.feed.overflowed);
    EXPECT_TRUE(room.feed.messages.empty());
    EXPECT_TRUE(rooms.keepFeed(room, FeedStart{5, 0, 1}, bytes));
    EXPECT_FALSE(room.feed.overflowed);
}

TEST(AddressBuckets, BurstThenSteadyRateAndABoundedTable)
{
    AddressBuckets buckets({10, 20}, 2);
    int taken = 0;
    while (buckets.take(1, 0) && taken < 100)
        ++taken;
    EXPECT_EQ(taken, 20);
    EXPECT_FALSE(buckets.take(1, 0.05));
    EXPECT_TRUE(buckets.take(1, 0.2)) << "more a little later";
    EXPECT_TRUE(buckets.take(2, 0));
    EXPECT_FALSE(buckets.take(3, 0)) << "the table is full of busy addresses";
    EXPECT_TRUE(buckets.take(3, 10)) << "once they are idle they are forgotten";
}

TEST(Cookies, SipHashAsPublishedAndCookiesBoundToAddressAndTime)
{
    // The reference vectors: key 00..0f, messages 00..0e of length 0 and 15.
    const std::uint64_t key[2] = {0x0706050403020100ull, 0x0f0e0d0c0b0a0908ull};
    std::uint8_t message[15];
    for (int i = 0; i < 15; ++i)
        message[i] = std::uint8_t(i);
    EXPECT_EQ(sipHash(key, message, 0), 0x726fdb47dd0e0e31ull);
    EXPECT_EQ(sipHash(key, message, 15), 0xa129ca6149be45e5ull);

    const CookieJar jar(key);
    const Endpoint player{HOME, 40000};
    const std::uint32_t cookie = jar.cookieFor(player, 100);
    EXPECT_TRUE(jar.valid(player, cookie, 100));
    EXPECT_TRUE(jar.valid(player, cookie, 100 + CookieJar::PERIOD_SECONDS)) << "the next period takes it";
    EXPECT_FALSE(jar.valid(player, cookie, 100 + 2 * CookieJar::PERIOD_SECONDS)) << "stale";
    EXPECT_FALSE(jar.valid({HOME, 40001}, cookie, 100)) << "another port";
    EXPECT_FALSE(jar.valid({OTHER, 40000}, cookie, 100)) << "another address";
    EXPECT_NE(CookieJar().cookieFor(player, 100), cookie) << "each server draws its own secret";
}
