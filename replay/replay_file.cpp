#include "replay/replay_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>

#include "characters/core/little_endian.h"

namespace {

constexpr std::uint8_t MAGIC[4] = {'Z', 'R', 'P', 'L'};
// Magic, format version and the game version's length.
constexpr std::size_t PREFIX_SIZE = 7;
// The header after the game version, up to and with the body's length.
constexpr std::size_t FIXED_SIZE = 61;
constexpr std::size_t CHECKSUM_SIZE = 4;

// A run's first byte: what changed, the sound flags, and how many more ticks
// it lasts (15: a number follows).
constexpr std::uint8_t KEYS_CHANGE = 0x01;
constexpr std::uint8_t SECOND_CHANGE = 0x02;
constexpr std::uint8_t WIN_SOUND = 0x04;
constexpr std::uint8_t RINGOUT_SOUND = 0x08;
constexpr int INLINE_EXTRA_LIMIT = 15;
// Flags, a key mask, a second's change and an extra count, at their longest.
constexpr std::size_t MAX_RUN_SIZE = 1 + 6 + 10 + 5;

// The start block: the kept values of the match at their places, the start
// second, and the flags byte last.
constexpr std::size_t START_SIZE = 45;
constexpr int START_SECOND_AT = 4;
constexpr int FLAGS_AT = 44;

const ReadProblems HEADER_PROBLEMS = {"a field runs past the end of its part"};
const ReadProblems BODY_PROBLEMS = {"a tick record runs past the end of the body",
    "a number in a tick record is too large", "a number in a tick record is padded"};

std::uint64_t zigzag(std::int64_t v)
{
    return (std::uint64_t(v) << 1) ^ std::uint64_t(v >> 63);
}

std::int64_t unzigzag(std::uint64_t v)
{
    return std::int64_t(v >> 1) ^ -std::int64_t(v & 1);
}

bool secondInRange(std::int64_t second)
{
    return second >= 0 && second <= MAX_REPLAY_SECOND;
}

void encodeRun(ByteWriter& w, const TickRecord& before, const InputRun& run)
{
    const TickRecord& now = run.input;
    const std::uint64_t keyChange = before.keys ^ now.keys;
    const std::int64_t secondChange = now.calendarSecond - before.calendarSecond;
    const std::uint32_t extra = run.ticks - 1;
    std::uint8_t head = (keyChange ? KEYS_CHANGE : 0) | (secondChange ? SECOND_CHANGE : 0) |
        (now.winSoundPlaying ? WIN_SOUND : 0) | (now.ringoutSoundPlaying ? RINGOUT_SOUND : 0);
    head |= std::uint8_t((extra < std::uint32_t(INLINE_EXTRA_LIMIT) ? extra : INLINE_EXTRA_LIMIT) << 4);
    w.u8(head);
    if (keyChange)
        w.varint(keyChange);
    if (secondChange)
        w.varint(zigzag(secondChange));
    if (extra >= std::uint32_t(INLINE_EXTRA_LIMIT))
        w.varint(extra - INLINE_EXTRA_LIMIT);
}

void putLittle(std::uint8_t* at, std::uint64_t v, int size)
{
    for (int i = 0; i < size; ++i)
        at[i] = std::uint8_t(v >> (8 * i));
}

std::uint64_t getLittle(const std::uint8_t* at, int size)
{
    std::uint64_t v = 0;
    for (int i = 0; i < size; ++i)
        v |= std::uint64_t(at[i]) << (8 * i);
    return v;
}

template <class T>
std::uint64_t bitsOf(T value)
{
    if constexpr (std::is_same_v<T, float>) {
        std::uint32_t bits;
        std::memcpy(&bits, &value, 4);
        return bits;
    } else {
        return std::uint64_t(value);
    }
}

// Bytes are unsigned; a signed number of four bytes is a 32-bit one.
template <class T>
T valueOf(std::uint64_t bits, int size)
{
    if constexpr (std::is_same_v<T, float>) {
        const std::uint32_t b = std::uint32_t(bits);
        float v;
        std::memcpy(&v, &b, 4);
        return v;
    } else if constexpr (std::is_signed_v<T>) {
        return size == 4 ? T(std::int32_t(std::uint32_t(bits))) : T(bits);
    } else {
        return T(bits);
    }
}

void encodeStart(ByteWriter& w, const BoutStart& s)
{
    std::uint8_t block[START_SIZE] = {};
    forEachValue(
        [&](ValueRole role, const auto& value) {
            if (!role.has(KEPT))
                return;
            if constexpr (std::is_arithmetic_v<std::remove_cvref_t<decltype(value)>>) {
                if (role.size == 0)
                    block[FLAGS_AT] |= std::uint8_t(value != 0 ? 1u << role.at : 0u);
                else
                    putLittle(block + role.at, bitsOf(value), role.size);
            }
        },
        static_cast<const MatchValues&>(s));
    putLittle(block + START_SECOND_AT, std::uint64_t(s.startSecond), 8);
    w.bytes.insert(w.bytes.end(), block, block + START_SIZE);
}

void decodeStart(ByteReader& r, BoutStart& s)
{
    std::uint8_t block[START_SIZE] = {};
    for (std::uint8_t& b : block)
        b = r.u8();
    std::uint8_t flagsKnown = 0;
    forEachValue(
        [&](ValueRole role, auto& value) {
            using T = std::remove_cvref_t<decltype(value)>;
            if (!role.has(KEPT))
                return;
            if constexpr (std::is_arithmetic_v<T>) {
                if (role.size == 0) {
                    flagsKnown |= std::uint8_t(1u << role.at);
                    value = T(block[FLAGS_AT] >> role.at & 1);
                } else {
                    value = valueOf<T>(getLittle(block + role.at, role.size), role.size);
                }
            }
        },
        static_cast<MatchValues&>(s));
    s.startSecond = std::int64_t(getLittle(block + START_SECOND_AT, 8));

    if (s.playerOneChoice > 1 || s.playerTwoChoice > 1)
        r.fail("a fighter that is neither Jack nor Darth");
    else if (s.playerOneControl > 3 || s.playerTwoControl > 3)
        r.fail("a side played by neither a person nor the computer");
    else if (!secondInRange(s.startSecond))
        r.fail("the bout's start second is out of range");
    else if (s.boutNumber < 0 || s.boutNumber == 0x7fffffff)
        r.fail("the number of bouts before is out of range");
    else if (block[FLAGS_AT] & ~flagsKnown)
        r.fail("unknown menu flags");
}

// Reads the runs of the body, each against the tick before it.
void decodeBody(ByteReader& r, Replay& replay, std::uint32_t tickCount)
{
    TickRecord before{0, replay.start.startSecond, false, false};
    std::uint64_t ticks = 0;
    while (!r.atEnd() && !r.failed()) {
        const std::uint8_t head = std::uint8_t(r.little(1));
        InputRun run;
        run.input = before;
        run.input.winSoundPlaying = head & WIN_SOUND;
        run.input.ringoutSoundPlaying = head & RINGOUT_SOUND;
        if (head & KEYS_CHANGE) {
            const std::uint64_t change = r.varint();
            if (change == 0 || change >> REPLAY_KEY_BITS)
                r.fail(change ? "a key entry beyond the key table" : "a key change that changes nothing");
            run.input.keys ^= change;
        }
        if (head & SECOND_CHANGE) {
            const std::int64_t change = unzigzag(r.varint());
            const bool inRange = change >= -MAX_REPLAY_SECOND && change <= MAX_REPLAY_SECOND &&
                secondInRange(before.calendarSecond + change);
            if (change == 0 || !inRange)
                r.fail(change ? "a calendar second out of range" : "a second change that changes nothing");
            else if (replay.runs.empty())
                r.fail("the first tick's calendar second is not the bout's start");
            run.input.calendarSecond += inRange ? change : 0;
        }
        std::uint64_t extra = head >> 4;
        if (extra == INLINE_EXTRA_LIMIT)
            extra += r.varint();
        if (!replay.runs.empty() && run.input == before)
            r.fail("a tick record repeats the one before it");
        ticks += 1 + std::min<std::uint64_t>(extra, MAX_REPLAY_TICKS);
        if (ticks > tickCount)
            r.fail("more ticks than the header says");
        if (r.failed())
            return;
        run.ticks = std::uint32_t(1 + extra);
        replay.runs.push_back(run);
        before = run.input;
    }
    if (!r.failed() && ticks != tickCount)
        r.fail("fewer ticks than the header says");
}

std::string describeTruncation(std::size_t size, std::size_t needed)
{
    return "cut short: " + std::to_string(size) + " of its " + std::to_string(needed) + " bytes are there";
}

}  // namespace

bool BoutStart::operator==(const BoutStart& other) const
{
    bool same = startSecond == other.startSecond;
    forEachValue(
        [&](ValueRole role, const auto& mine, const auto& theirs) {
            if constexpr (std::is_arithmetic_v<std::remove_cvref_t<decltype(mine)>>)
                same = same && (!role.has(KEPT) || mine == theirs);
        },
        static_cast<const MatchValues&>(*this), static_cast<const MatchValues&>(other));
    return same;
}

void Replay::append(const TickRecord& tick)
{
    if (!runs.empty() && runs.back().input == tick)
        ++runs.back().ticks;
    else
        runs.push_back({tick, 1});
    ++tickCount;
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t size)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xffffffffu;
    for (std::size_t i = 0; i < size; ++i)
        c = table[(c ^ data[i]) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

std::size_t maxReplayFileSize()
{
    return PREFIX_SIZE + MAX_GAME_VERSION_LENGTH + FIXED_SIZE + MAX_REPLAY_TICKS * MAX_RUN_SIZE + CHECKSUM_SIZE;
}

std::vector<std::uint8_t> encodeReplay(const Replay& replay)
{
    ByteWriter body;
    TickRecord before{0, replay.start.startSecond, false, false};
    for (const InputRun& run : replay.runs) {
        encodeRun(body, before, run);
        before = run.input;
    }

    ByteWriter w;
    w.bytes.assign(std::begin(MAGIC), std::end(MAGIC));
    w.little(REPLAY_FORMAT_VERSION, 2);
    const std::string version = replay.gameVersion.substr(0, MAX_GAME_VERSION_LENGTH);
    w.u8(std::uint8_t(version.size()));
    w.bytes.insert(w.bytes.end(), version.begin(), version.end());
    encodeStart(w, replay.start);
    w.little(replay.tickCount, 4);
    w.little(replay.finalHash, 8);
    w.little(body.bytes.size(), 4);
    w.bytes.insert(w.bytes.end(), body.bytes.begin(), body.bytes.end());
    w.little(crc32(w.bytes.data(), w.bytes.size()), 4);
    return w.bytes;
}

bool decodeReplay(const std::uint8_t* data, std::size_t size, Replay& replay, std::string& error)
{
    replay = Replay{};
    if (size == 0) {
        error = "the file is empty";
        return false;
    }
    if (std::memcmp(data, MAGIC, std::min(size, sizeof MAGIC)) != 0) {
        error = "not a Zandrel replay (it does not start with \"ZRPL\")";
        return false;
    }
    if (size < PREFIX_SIZE) {
        error = describeTruncation(size, PREFIX_SIZE);
        return false;
    }
    const unsigned version = data[4] | data[5] << 8;
    if (version != REPLAY_FORMAT_VERSION) {
        error = "replay format version " + std::to_string(version) + "; this game reads version " +
            std::to_string(REPLAY_FORMAT_VERSION);
        return false;
    }
    const std::size_t versionLength = data[6];
    const std::size_t headerSize = PREFIX_SIZE + versionLength + FIXED_SIZE;
    if (size < headerSize) {
        error = describeTruncation(size, headerSize);
        return false;
    }
    const std::size_t bodySize = data[headerSize - 4] | data[headerSize - 3] << 8 | data[headerSize - 2] << 16 |
        std::size_t(data[headerSize - 1]) << 24;
    const std::size_t fileSize = headerSize + bodySize + CHECKSUM_SIZE;
    if (size < fileSize) {
        error = describeTruncation(size, fileSize);
        return false;
    }
    if (size > fileSize) {
        error = "corrupt: it goes on " + std::to_string(size - fileSize) + " bytes past its end";
        return false;
    }
    const std::uint32_t stored =
        data[size - 4] | data[size - 3] << 8 | data[size - 2] << 16 | std::uint32_t(data[size - 1]) << 24;
    if (crc32(data, size - CHECKSUM_SIZE) != stored) {
        error = "corrupt: its checksum does not match its contents";
        return false;
    }

    ByteReader header(data + PREFIX_SIZE, versionLength + FIXED_SIZE, HEADER_PROBLEMS);
    for (std::size_t i = 0; i < versionLength; ++i) {
        const char c = char(header.little(1));
        if (c < 0x20 || c > 0x7e)
            header.fail("the game version is not printable text");
        replay.gameVersion += c;
    }
    if (versionLength == 0 || versionLength > MAX_GAME_VERSION_LENGTH)
        header.fail(versionLength ? "the game version is too long" : "no game version");
    decodeStart(header, replay.start);
    const std::uint32_t tickCount = std::uint32_t(header.little(4));
    replay.finalHash = header.little(8);
    if (tickCount == 0 || tickCount > MAX_REPLAY_TICKS)
        header.fail("a tick count of " + std::to_string(tickCount) + " (1 to " + std::to_string(MAX_REPLAY_TICKS) +
            " allowed)");
    ByteReader body(data + headerSize, bodySize, BODY_PROBLEMS);
    if (!header.failed())
        decodeBody(body, replay, tickCount);
    if (header.failed() || body.failed()) {
        error = "corrupt: " + (header.failed() ? header.problem() : body.problem());
        replay = Replay{};
        return false;
    }
    replay.tickCount = tickCount;
    return true;
}
