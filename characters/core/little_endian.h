#pragma once

// Whole numbers stored least significant byte first, as BMP and WAV files,
// replays and network packets keep them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

inline std::uint16_t read16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t read32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t read64(const unsigned char* p)
{
    return read32(p) | std::uint64_t{read32(p + 4)} << 32;
}

// Appends numbers least significant byte first, floats as their bits, and
// varints: 7 bits a byte, lowest first, the top bit set on all but the last.
class ByteWriter {
public:
    std::vector<std::uint8_t> bytes;

    void u8(std::uint8_t v) { bytes.push_back(v); }
    void little(std::uint64_t v, int size)
    {
        for (int i = 0; i < size; ++i)
            bytes.push_back(std::uint8_t(v >> (8 * i)));
    }
    void u16(std::uint16_t v) { little(v, 2); }
    void u32(std::uint32_t v) { little(v, 4); }
    void u64(std::uint64_t v) { little(v, 8); }
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

// What a reader says when the bytes run out or a varint is malformed.
struct ReadProblems {
    const char* pastEnd = "a field runs past the end";
    const char* tooLarge = "a number is too large";
    const char* padded = "a number is padded";
};

// Reads what ByteWriter writes, within [data, data + size), byte by byte.
// The first problem sticks; a read past the end gives 0.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size, ReadProblems problems = {})
        : data(data),
          size(size),
          problems(problems)
    {}

    bool atEnd() const { return at == size; }
    std::size_t left() const { return size - at; }
    bool failed() const { return !error.empty(); }
    // Every byte read and nothing wrong.
    bool finished() const { return !failed() && atEnd(); }
    const std::string& problem() const { return error; }
    void fail(const std::string& what)
    {
        if (error.empty())
            error = what;
    }

    std::uint64_t little(int n)
    {
        if (size - at < std::size_t(n)) {
            fail(problems.pastEnd);
            return 0;
        }
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= std::uint64_t(data[at + i]) << (8 * i);
        at += std::size_t(n);
        return v;
    }
    std::uint8_t u8() { return std::uint8_t(little(1)); }
    std::uint16_t u16() { return std::uint16_t(little(2)); }
    std::uint32_t u32() { return std::uint32_t(little(4)); }
    std::uint64_t u64() { return little(8); }
    // A byte that must be 0 or 1.
    bool flag()
    {
        const std::uint8_t v = u8();
        if (v > 1)
            fail("a flag is neither 0 nor 1");
        return v == 1;
    }
    float f32()
    {
        const std::uint32_t bits = u32();
        float v;
        std::memcpy(&v, &bits, 4);
        return v;
    }
    // In as few bytes as the number needs: a padded one is refused.
    std::uint64_t varint()
    {
        std::uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (at == size) {
                fail(problems.pastEnd);
                return 0;
            }
            const std::uint8_t b = data[at++];
            if (shift == 63 && b > 1) {
                fail(problems.tooLarge);
                return 0;
            }
            v |= std::uint64_t(b & 0x7f) << shift;
            if (!(b & 0x80)) {
                if (b == 0 && shift > 0)
                    fail(problems.padded);
                return v;
            }
        }
        fail(problems.tooLarge);
        return 0;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    ReadProblems problems;
    std::size_t at = 0;
    std::string error;
};
