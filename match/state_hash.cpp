#include <cstring>

#include "match/match.h"

namespace {

// FNV-1a over the bytes of each value, field by field (never over padding).
class Hasher {
public:
    template <class T>
    void add(const T& value)
    {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (unsigned char b : bytes) {
            hash ^= b;
            hash *= 0x100000001b3ull;
        }
    }
    void add(const Frame& frame)
    {
        for (int i = 0; i < Frame::FIELDS; ++i)
            add(frame[i]);
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
    h.add(c->health);
    h.add(c->x);
    h.add(c->z);
    h.add(c->facing);
    h.add(c->player);
    h.add(c->state);
    h.add(c->pose);
    h.add(c->bodyMatrix);
    h.add(c->weaponPointMatrix);
    h.add(c->framelist->size());
    for (const FramelistEntry& e : c->framelist->all()) {
        h.add(*e.target);
        h.add(*e.delta);
    }
}

}  // namespace

std::uint64_t stateHash(const Match& m)
{
    Hasher h;
    h.add(m.gameState);
    h.add(m.playerOneChoice);
    h.add(m.playerTwoChoice);
    h.add(m.selectedPlayer);
    // Two human sides hash as they always did, so recorded hashes stay valid.
    if (m.playerOneControl != HUMAN || m.playerTwoControl != HUMAN) {
        h.add(m.playerOneControl);
        h.add(m.playerTwoControl);
    }
    h.add(m.titleShown);
    h.add(m.doorPhaseFlag);
    h.add(m.doorOffset);
    h.add(m.doorClosing);
    h.add(m.selectBrightness);
    h.add(m.selectBrightening);
    h.add(m.boutEndTime);
    h.add(m.secondsLeft);
    h.add(m.clockBrightness);
    h.add(m.clockBrightening);
    h.add(m.pauseEnd);
    h.add(m.boutNumber);
    // Only a network bout's: a local game hashes as it always has.
    if (m.countTicks)
        h.add(m.countTicks);
    h.add(m.lastSideX);
    h.add(m.lastSideZ);
    h.add(m.tick);
    addFighter(h, m.playerOne.get());
    addFighter(h, m.playerTwo.get());
    return h.hash;
}
