#include <cstring>

#include "match/match.h"

namespace {

// FNV-1a over the bytes of each value, value by value (never over padding).
class Hasher {
public:
    void addBytes(const unsigned char* bytes, std::size_t size)
    {
        for (std::size_t i = 0; i < size; ++i) {
            hash ^= bytes[i];
            hash *= 0x100000001b3ull;
        }
    }
    template <class T>
    void add(const T& value)
    {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        addBytes(bytes, sizeof(T));
    }
    void add(const Frame& frame)
    {
        for (int i = 0; i < Frame::FIELDS; ++i)
            add(frame[i]);
    }
    void add(const Framelist& list)
    {
        add(list.size());
        for (std::size_t i = 0; i < list.size(); ++i) {
            add(list[i].target);
            add(list[i].delta);
        }
    }
    std::uint64_t hash = 0xcbf29ce484222325ull;
};

void addFighter(Hasher& h, const Character* c)
{
    if (!c) {
        h.add(-1);
        return;
    }
    h.add(int(c->kind()));
    forEachValue([&](const auto& value) { h.add(value); }, static_cast<const FighterValues&>(*c));
}

// The match's values in list order. A run of late values is held back until
// it ends, and taken only if one of them is not as a fresh match has it.
class MatchHasher {
public:
    explicit MatchHasher(Hasher& h) : h(h) {}
    template <class T>
    void operator()(ValueRole role, const T& value, const T& fresh)
    {
        if (!role.has(RULES))
            return;
        if (!role.has(LATE)) {
            endRun();
            h.add(value);
            return;
        }
        lateSet = lateSet || std::memcmp(&value, &fresh, sizeof(T)) != 0;
        if (lateSize + sizeof(T) <= sizeof late) {
            std::memcpy(late + lateSize, &value, sizeof(T));
            lateSize += sizeof(T);
        }
    }
    void endRun()
    {
        if (lateSet)
            h.addBytes(late, lateSize);
        lateSize = 0;
        lateSet = false;
    }

private:
    Hasher& h;
    unsigned char late[64] = {};
    std::size_t lateSize = 0;
    bool lateSet = false;
};

}  // namespace

std::uint64_t stateHash(const Match& m)
{
    Hasher h;
    static const MatchValues fresh;
    MatchHasher values(h);
    forEachValue(values, static_cast<const MatchValues&>(m), fresh);
    values.endRun();
    addFighter(h, m.playerOne.get());
    addFighter(h, m.playerTwo.get());
    return h.hash;
}
