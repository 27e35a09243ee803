#include "net/meeting_protocol.h"

#include <algorithm>
#include <cctype>

#include "characters/core/little_endian.h"

namespace {

// As an ENet header: peer 0xFFF with the compression flag, which no host here sets.
constexpr std::uint8_t DATAGRAM_MAGIC[] = {0xff, 0xff, 'Z', 'M'};
enum class DatagramType : std::uint8_t { COOKIE_REQUEST = 1, COOKIE = 2, PUNCH = 3 };

constexpr std::uint64_t KEY_BITS_MASK = (std::uint64_t(1) << REPLAY_KEY_BITS) - 1;

void text(ByteWriter& w, const std::string& s, std::size_t limit)
{
    const std::size_t n = std::min(s.size(), limit);
    w.u8(std::uint8_t(n));
    for (std::size_t i = 0; i < n; ++i)
        w.u8(std::uint8_t(s[i]));
}

void code(ByteWriter& w, const std::string& c)
{
    for (std::size_t i = 0; i < ROOM_CODE_LENGTH; ++i)
        w.u8(i < c.size() ? std::uint8_t(c[i]) : 0);
}

void endpoint(ByteWriter& w, const Endpoint& e)
{
    w.u32(e.ip);
    w.u16(e.port);
}

void endpoints(ByteWriter& w, const std::vector<Endpoint>& list)
{
    const std::size_t n = std::min(list.size(), std::size_t(MAX_LOCAL_ADDRESSES));
    w.u8(std::uint8_t(n));
    for (std::size_t i = 0; i < n; ++i)
        endpoint(w, list[i]);
}

struct Encoder {
    ByteWriter& w;
    void type(MeetingType t) { w.u8(std::uint8_t(t)); }
    void operator()(const Open& m)
    {
        type(MeetingType::OPEN);
        w.u16(m.protocol);
        text(w, m.gameVersion, MAX_VERSION_TEXT);
        endpoints(w, m.local);
    }
    void operator()(const Join& m)
    {
        type(MeetingType::JOIN);
        w.u16(m.protocol);
        text(w, m.gameVersion, MAX_VERSION_TEXT);
        code(w, m.code);
        endpoints(w, m.local);
    }
    void operator()(const Watch& m)
    {
        type(MeetingType::WATCH);
        w.u16(m.protocol);
        text(w, m.gameVersion, MAX_VERSION_TEXT);
        code(w, m.code);
    }
    void operator()(const Opened& m)
    {
        type(MeetingType::OPENED);
        code(w, m.code);
        endpoint(w, m.seen);
    }
    void operator()(const Joined& m)
    {
        type(MeetingType::JOINED);
        code(w, m.code);
        endpoint(w, m.seen);
    }
    void operator()(const Watching& m)
    {
        type(MeetingType::WATCHING);
        code(w, m.code);
    }
    void operator()(const Refused& m)
    {
        type(MeetingType::REFUSED);
        w.u8(m.reason);
    }
    void operator()(const Introduce& m)
    {
        type(MeetingType::INTRODUCE);
        w.u8(m.player);
        w.u64(m.token);
        endpoint(w, m.seen);
        endpoints(w, m.local);
    }
    void operator()(const PeerLeft&) { type(MeetingType::PEER_LEFT); }
    void operator()(const RelayPacket& m)
    {
        type(MeetingType::RELAY);
        const std::size_t n = std::min(m.payload.size(), MAX_RELAY_PAYLOAD);
        w.u16(std::uint16_t(n));
        w.bytes.insert(w.bytes.end(), m.payload.begin(), m.payload.begin() + long(n));
    }
    void operator()(const Probe& m)
    {
        type(MeetingType::PROBE);
        w.u32(m.stamp);
        w.u8(m.reply);
    }
    void operator()(const PathChosen& m)
    {
        type(MeetingType::PATH);
        w.u8(std::uint8_t(m.path));
    }
    void operator()(const FeedStart& m)
    {
        type(MeetingType::FEED_START);
        w.u16(m.bout);
        w.u8(m.choiceOne);
        w.u8(m.choiceTwo);
    }
    void operator()(const FeedTicks& m)
    {
        type(MeetingType::FEED_TICKS);
        w.u16(m.bout);
        w.u32(m.firstTick);
        const std::size_t n = std::min(m.runs.size(), std::size_t(MAX_FEED_RUNS));
        w.u8(std::uint8_t(n));
        for (std::size_t i = 0; i < n; ++i) {
            const InputRun& run = m.runs[i];
            w.u64(run.input.keys);
            w.u64(std::uint64_t(run.input.calendarSecond));
            w.u8(std::uint8_t((run.input.winSoundPlaying ? 1 : 0) | (run.input.ringoutSoundPlaying ? 2 : 0)));
            w.u16(std::uint16_t(run.ticks));
        }
    }
    void operator()(const FeedEnd& m)
    {
        type(MeetingType::FEED_END);
        w.u16(m.bout);
        w.u32(m.ticks);
        w.u64(m.finalHash);
    }
};

// Each reader returns false on a value no writer here makes.
bool readText(ByteReader& r, std::string& out, std::size_t limit)
{
    const std::uint8_t n = r.u8();
    if (n > limit)
        return false;
    for (int i = 0; i < n; ++i) {
        const std::uint8_t c = r.u8();
        if (c < 0x20 || c > 0x7e)
            return false;
        out.push_back(char(c));
    }
    return true;
}

bool readCode(ByteReader& r, std::string& out)
{
    for (std::size_t i = 0; i < ROOM_CODE_LENGTH; ++i)
        out.push_back(char(r.u8()));
    return validRoomCode(out);
}

bool readEndpoint(ByteReader& r, Endpoint& e)
{
    e.ip = r.u32();
    e.port = r.u16();
    return e.ip != 0 && e.port != 0;
}

bool readEndpoints(ByteReader& r, std::vector<Endpoint>& list)
{
    const std::uint8_t n = r.u8();
    if (n > MAX_LOCAL_ADDRESSES)
        return false;
    for (int i = 0; i < n; ++i) {
        Endpoint e;
        if (!readEndpoint(r, e))
            return false;
        list.push_back(e);
    }
    return true;
}

bool validChoice(std::uint8_t c)
{
    return c <= 1;
}

template <class T>
std::optional<MeetingMessage> given(bool ok, T&& message)
{
    if (!ok)
        return std::nullopt;
    return MeetingMessage(std::forward<T>(message));
}

std::optional<MeetingMessage> decode(ByteReader& r)
{
    switch (MeetingType(r.u8())) {
    case MeetingType::OPEN: {
        Open m;
        m.protocol = r.u16();
        return given(readText(r, m.gameVersion, MAX_VERSION_TEXT) && readEndpoints(r, m.local), std::move(m));
    }
    case MeetingType::JOIN: {
        Join m;
        m.protocol = r.u16();
        return given(readText(r, m.gameVersion, MAX_VERSION_TEXT) && readCode(r, m.code) && readEndpoints(r, m.local),
            std::move(m));
    }
    case MeetingType::WATCH: {
        Watch m;
        m.protocol = r.u16();
        return given(readText(r, m.gameVersion, MAX_VERSION_TEXT) && readCode(r, m.code), std::move(m));
    }
    case MeetingType::OPENED: {
        Opened m;
        return given(readCode(r, m.code) && readEndpoint(r, m.seen), std::move(m));
    }
    case MeetingType::JOINED: {
        Joined m;
        return given(readCode(r, m.code) && readEndpoint(r, m.seen), std::move(m));
    }
    case MeetingType::WATCHING: {
        Watching m;
        return given(readCode(r, m.code), std::move(m));
    }
    case MeetingType::REFUSED: {
        const std::uint8_t reason = r.u8();
        return given(reason <= Refused::VERSION, Refused{Refused::Reason(reason)});
    }
    case MeetingType::INTRODUCE: {
        Introduce m;
        m.player = r.u8();
        m.token = r.u64();
        const bool ok = (m.player == 1 || m.player == 2) && m.token != 0;
        return given(ok && readEndpoint(r, m.seen) && readEndpoints(r, m.local), std::move(m));
    }
    case MeetingType::PEER_LEFT: return PeerLeft{};
    case MeetingType::RELAY: {
        RelayPacket m;
        const std::uint16_t n = r.u16();
        if (n == 0 || n > MAX_RELAY_PAYLOAD || n != r.left())
            return std::nullopt;
        for (int i = 0; i < n; ++i)
            m.payload.push_back(r.u8());
        return m;
    }
    case MeetingType::PROBE: {
        Probe m;
        m.stamp = r.u32();
        m.reply = r.flag();
        return m;
    }
    case MeetingType::PATH: {
        const std::uint8_t path = r.u8();
        const bool ok = path == std::uint8_t(PathKind::DIRECT) || path == std::uint8_t(PathKind::RELAYED);
        return given(ok, PathChosen{PathKind(path)});
    }
    case MeetingType::FEED_START: {
        FeedStart m;
        m.bout = r.u16();
        m.choiceOne = r.u8();
        m.choiceTwo = r.u8();
        return given(validChoice(m.choiceOne) && validChoice(m.choiceTwo), std::move(m));
    }
    case MeetingType::FEED_TICKS: {
        FeedTicks m;
        m.bout = r.u16();
        m.firstTick = r.u32();
        const std::uint8_t n = r.u8();
        if (n == 0 || n > MAX_FEED_RUNS)
            return std::nullopt;
        for (int i = 0; i < n; ++i) {
            InputRun run;
            run.input.keys = r.u64();
            run.input.calendarSecond = std::int64_t(r.u64());
            const std::uint8_t sounds = r.u8();
            run.ticks = r.u16();
            run.input.winSoundPlaying = sounds & 1;
            run.input.ringoutSoundPlaying = sounds & 2;
            if ((run.input.keys & ~KEY_BITS_MASK) || run.input.calendarSecond < 0 ||
                run.input.calendarSecond > MAX_REPLAY_SECOND || sounds > 3 || run.ticks == 0)
                return std::nullopt;
            m.runs.push_back(run);
        }
        return given(m.firstTick + feedTicksCount(m) <= MAX_REPLAY_TICKS, std::move(m));
    }
    case MeetingType::FEED_END: {
        FeedEnd m;
        m.bout = r.u16();
        m.ticks = r.u32();
        m.finalHash = r.u64();
        return given(m.ticks <= MAX_REPLAY_TICKS, std::move(m));
    }
    }
    return std::nullopt;
}

}  // namespace

std::string endpointText(const Endpoint& e)
{
    return std::to_string(e.ip >> 24) + "." + std::to_string((e.ip >> 16) & 0xff) + "." +
        std::to_string((e.ip >> 8) & 0xff) + "." + std::to_string(e.ip & 0xff) + ":" + std::to_string(e.port);
}

bool validRoomCode(const std::string& code)
{
    if (code.size() != ROOM_CODE_LENGTH)
        return false;
    for (char c : code)
        if (!std::char_traits<char>::find(ROOM_CODE_LETTERS, ROOM_CODE_ALPHABET, c))
            return false;
    return true;
}

std::optional<std::string> normalizeRoomCode(const std::string& typed)
{
    std::string code;
    for (char c : typed) {
        if (c == ' ' || c == '-')
            continue;
        code.push_back(char(std::toupper(static_cast<unsigned char>(c))));
    }
    if (!validRoomCode(code))
        return std::nullopt;
    return code;
}

const char* pathName(PathKind path)
{
    switch (path) {
    case PathKind::DIRECT: return "direct";
    case PathKind::RELAYED: return "relayed";
    case PathKind::NONE: break;
    }
    return "none";
}

std::uint64_t feedTicksCount(const FeedTicks& ticks)
{
    std::uint64_t n = 0;
    for (const InputRun& run : ticks.runs)
        n += run.ticks;
    return n;
}

std::vector<std::uint8_t> encodeMeeting(const MeetingMessage& message)
{
    ByteWriter w;
    std::visit(Encoder{w}, message);
    return std::move(w.bytes);
}

std::optional<MeetingMessage> MeetingReader::read(const std::uint8_t* data, std::size_t size)
{
    if (size > MAX_MEETING_MESSAGE) {
        ++tally.oversized;
        return std::nullopt;
    }
    if (!data || size == 0) {
        ++tally.malformed;
        return std::nullopt;
    }
    ByteReader r(data, size);
    std::optional<MeetingMessage> message = decode(r);
    if (!message || !r.finished()) {
        ++tally.malformed;
        return std::nullopt;
    }
    ++tally.accepted;
    return message;
}

namespace {

void magic(ByteWriter& w, DatagramType type)
{
    for (std::uint8_t b : DATAGRAM_MAGIC)
        w.u8(b);
    w.u8(std::uint8_t(type));
}

struct DatagramEncoder {
    ByteWriter& w;
    void operator()(const CookieRequest&)
    {
        magic(w, DatagramType::COOKIE_REQUEST);
        w.bytes.resize(COOKIE_REQUEST_SIZE, 0);
    }
    void operator()(const Cookie& d)
    {
        magic(w, DatagramType::COOKIE);
        w.u32(d.value);
    }
    void operator()(const Punch& d)
    {
        magic(w, DatagramType::PUNCH);
        w.u64(d.token);
        w.u8(d.from);
        w.u8(d.ack);
    }
};

}  // namespace

std::vector<std::uint8_t> encodeDatagram(const Datagram& datagram)
{
    ByteWriter w;
    std::visit(DatagramEncoder{w}, datagram);
    return std::move(w.bytes);
}

bool isDatagram(const std::uint8_t* data, std::size_t size)
{
    return data && size >= sizeof DATAGRAM_MAGIC &&
        std::equal(std::begin(DATAGRAM_MAGIC), std::end(DATAGRAM_MAGIC), data);
}

std::optional<Datagram> readDatagram(const std::uint8_t* data, std::size_t size)
{
    if (!isDatagram(data, size))
        return std::nullopt;
    ByteReader r(data + sizeof DATAGRAM_MAGIC, size - sizeof DATAGRAM_MAGIC);
    std::optional<Datagram> datagram;
    switch (DatagramType(r.u8())) {
    case DatagramType::COOKIE_REQUEST: {
        // The padding is what makes the request as large as any answer.
        bool zeros = size == COOKIE_REQUEST_SIZE;
        while (zeros && r.left() > 0)
            zeros = r.u8() == 0;
        if (zeros)
            datagram = CookieRequest{};
        break;
    }
    case DatagramType::COOKIE: datagram = Cookie{r.u32()}; break;
    case DatagramType::PUNCH: {
        Punch p;
        p.token = r.u64();
        p.from = r.u8();
        p.ack = r.flag();
        if (p.token != 0 && (p.from == 1 || p.from == 2))
            datagram = p;
        break;
    }
    }
    if (!datagram || !r.finished())
        return std::nullopt;
    return datagram;
}
