#pragma once

// Little-endian byte builders for hand-made RIFF WAVE (and other) files.

#include <cstdint>
#include <vector>

using Bytes = std::vector<unsigned char>;

// The low `count` bytes of `v`, least significant first.
inline void putLittle(Bytes& b, std::uint64_t v, unsigned count)
{
    for (unsigned i = 0; i < count; i++)
        b.push_back((v >> (8 * i)) & 0xFF);
}

inline void put16(Bytes& b, unsigned v)
{
    putLittle(b, v, 2);
}

inline void put32(Bytes& b, std::uint32_t v)
{
    putLittle(b, v, 4);
}

// A chunk: id, size, body and (unless told not to) the pad byte an odd body needs.
inline void chunk(Bytes& b, const char* id, const Bytes& body, bool pad = true)
{
    b.insert(b.end(), id, id + 4);
    put32(b, static_cast<std::uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && body.size() % 2)
        b.push_back(0);
}

// A "fmt " body; `extra`, when given, is the size field of a longer record.
inline Bytes formatBody(unsigned tag, unsigned channels, std::uint32_t rate, unsigned bits, int extra = -1)
{
    Bytes f;
    unsigned align = channels * bits / 8;
    put16(f, tag);
    put16(f, channels);
    put32(f, rate);
    put32(f, rate * align);
    put16(f, align);
    put16(f, bits);
    if (extra >= 0)
        put16(f, static_cast<unsigned>(extra));
    return f;
}

// An extensible record: the plain 18 bytes, valid bits, channel mask and the
// sub-format GUID (tag plus the fixed suffix).
inline Bytes extensibleBody(
    unsigned coding, unsigned channels, unsigned bits, std::uint32_t mask, std::uint32_t rate = 44100)
{
    Bytes f = formatBody(0xFFFE, channels, rate, bits, 22);
    put16(f, bits);
    put32(f, mask);
    put16(f, coding);
    f.insert(f.end(), {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71});
    return f;
}

// A RIFF WAVE image of the given chunks, the form's size set to fit.
inline Bytes riff(const Bytes& chunks)
{
    Bytes b = {'R', 'I', 'F', 'F'};
    put32(b, static_cast<std::uint32_t>(4 + chunks.size()));
    b.insert(b.end(), {'W', 'A', 'V', 'E'});
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}
