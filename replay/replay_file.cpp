#include "replay/replay_file.h"

#include <algorithm>
#include <array>
#include <cstring>

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

enum MenuFlag : std::uint8_t {
    SECOND_PLAYER_SELECTED = 0x01,
    TITLE_SHOWN = 0x02,
    DOOR_PHASE = 0x04,
    DOOR_CLOSING = 0x08,
    SELECT_BRIGHTENING = 0x10,
    CLOCK_BRIGHTENING = 0x20,
    COUNTS_TICKS = 0x40,
};
constexpr std::uint8_t MENU_FLAGS_USED = 0x7f;

class Writer {
public:
    std::vector<std::uint8_t> bytes;

    void u8(std::uint8_t v) { bytes.push_back(v); }
    void little(std::uint64_t v, int size)
    {
        for (int i = 0; i < size; ++i)
            bytes.push_back(std::uint8_t(v >> (8 * i)));
    }
    void f32(float v)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        little(bits, 4);
    }
    void varint(std::uint64_t v)
    {
        while (v >= 0x80) {
            bytes.push_back(std::uint8_t(v | 0x80));
            v >>= 7;
        }
        bytes.push_back(std::uint8_t(v));
    }
};

// Reads within [data, data + size); the first problem sticks.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    bool atEnd() const { return at == size; }
    const std::string& problem() const { return error; }
    bool failed() const { return !error.empty(); }
    void fail(const std::string& what)
    {
        if (error.empty())
            error = what;
    }

    std::uint64_t little(int n)
    {
        if (size - at < std::size_t(n)) {
            fail("a field runs past the end of its part");
            return 0;
        }
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= std::uint64_t(data[at + i]) << (8 * i);
        at += n;
        return v;
    }
    float f32()
    {
        const std::uint32_t bits = std::uint32_t(little(4));
        float v;
        std::memcpy(&v, &bits, 4);
        return v;
    }
    // A number in 7-bit groups, lowest first, in as few bytes as it needs.
    std::uint64_t varint()
    {
        std::uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (at == size) {
                fail("a tick record runs past the end of the body");
                return 0;
            }
            const std::uint8_t b = data[at++];
            if (shift == 63 && b > 1) {
                fail("a number in a tick record is too large");
                return 0;
            }
            v |= std::uint64_t(b & 0x7f) << shift;
            if (!(b & 0x80)) {
                if (b == 0 && shift > 0)
                    fail("a number in a tick record is padded");
                return v;
            }
        }
        fail("a number in a tick record is too large");
        return 0;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    std::string error;
};

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

std::uint8_t menuFlags(const BoutStart& s)
{
    return std::uint8_t((s.selectedPlayer ? SECOND_PLAYER_SELECTED : 0) | (s.titleShown ? TITLE_SHOWN : 0) |
        (s.doorPhaseFlag ? DOOR_PHASE : 0) | (s.doorClosing ? DOOR_CLOSING : 0) |
        (s.selectBrightening ? SELECT_BRIGHTENING : 0) | (s.clockBrightening ? CLOCK_BRIGHTENING : 0) |
        (s.countTicks ? COUNTS_TICKS : 0));
}

void encodeRun(Writer& w, const TickRecord& before, const InputRun& run)
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

void encodeStart(Writer& w, const BoutStart& s)
{
    w.u8(std::uint8_t(s.playerOneChoice));
    w.u8(std::uint8_t(s.playerTwoChoice));
    w.u8(std::uint8_t(s.playerOneControl));
    w.u8(std::uint8_t(s.playerTwoControl));
    w.little(std::uint64_t(s.startSecond), 8);
    w.little(s.ticksBefore, 8);
    w.little(std::uint32_t(s.boutsBefore), 4);
    w.little(std::uint32_t(s.secondsLeft), 4);
    w.f32(s.doorOffset);
    w.f32(s.selectBrightness);
    w.f32(s.lastSideX);
    w.f32(s.lastSideZ);
    w.u8(menuFlags(s));
}

void decodeStart(Reader& r, BoutStart& s)
{
    s.playerOneChoice = int(r.little(1));
    s.playerTwoChoice = int(r.little(1));
    s.playerOneControl = int(r.little(1));
    s.playerTwoControl = int(r.little(1));
    s.startSecond = std::int64_t(r.little(8));
    s.ticksBefore = r.little(8);
    s.boutsBefore = std::int32_t(std::uint32_t(r.little(4)));
    s.secondsLeft = std::int32_t(std::uint32_t(r.little(4)));
    s.doorOffset = r.f32();
    s.selectBrightness = r.f32();
    s.lastSideX = r.f32();
    s.lastSideZ = r.f32();
    const std::uint8_t flags = std::uint8_t(r.little(1));
    s.selectedPlayer = flags & SECOND_PLAYER_SELECTED ? 1 : 0;
    s.titleShown = flags & TITLE_SHOWN;
    s.doorPhaseFlag = flags & DOOR_PHASE;
    s.doorClosing = flags & DOOR_CLOSING;
    s.selectBrightening = flags & SELECT_BRIGHTENING;
    s.clockBrightening = flags & CLOCK_BRIGHTENING;
    s.countTicks = flags & COUNTS_TICKS;

    if (s.playerOneChoice > 1 || s.playerTwoChoice > 1)
        r.fail("a fighter that is neither Jack nor Darth");
    else if (s.playerOneControl > 3 || s.playerTwoControl > 3)
        r.fail("a side played by neither a person nor the computer");
    else if (!secondInRange(s.startSecond))
        r.fail("the bout's start second is out of range");
    else if (s.boutsBefore < 0 || s.boutsBefore == 0x7fffffff)
        r.fail("the number of bouts before is out of range");
    else if (flags & ~MENU_FLAGS_USED)
        r.fail("unknown menu flags");
}

// Reads the runs of the body, each against the tick before it.
void decodeBody(Reader& r, Replay& replay, std::uint32_t tickCount)
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
    Writer body;
    TickRecord before{0, replay.start.startSecond, false, false};
    for (const InputRun& run : replay.runs) {
        encodeRun(body, before, run);
        before = run.input;
    }

    Writer w;
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

    Reader header(data + PREFIX_SIZE, versionLength + FIXED_SIZE);
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
    Reader body(data + headerSize, bodySize);
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
