#pragma once

// Little-endian bytes for every packet the game and its server send: a writer,
// and a reader that marks the packet bad on any read past its end.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace wire {

class Writer {
public:
    void u8(std::uint8_t v) { bytes.push_back(v); }
    void u16(std::uint16_t v) { little(v, 2); }
    void u32(std::uint32_t v) { little(v, 4); }
    void u64(std::uint64_t v) { little(v, 8); }
    std::vector<std::uint8_t> bytes;

private:
    void little(std::uint64_t v, int count)
    {
        for (int i = 0; i < count; ++i)
            u8(std::uint8_t(v >> (8 * i)));
    }
};

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    std::uint8_t u8()
    {
        if (at >= size) {
            bad = true;
            return 0;
        }
        return data[at++];
    }
    std::uint16_t u16() { return std::uint16_t(little(2)); }
    std::uint32_t u32() { return std::uint32_t(little(4)); }
    std::uint64_t u64() { return little(8); }
    bool flag()
    {
        std::uint8_t v = u8();
        if (v > 1)
            bad = true;
        return v == 1;
    }
    bool finished() const { return !bad && at == size; }
    std::size_t left() const { return at < size ? size - at : 0; }
    bool bad = false;

private:
    // Byte by byte in order: the bytes' reads must not be reordered.
    std::uint64_t little(int count)
    {
        std::uint64_t v = 0;
        for (int i = 0; i < count; ++i)
            v |= std::uint64_t(u8()) << (8 * i);
        return v;
    }

    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

}  // namespace wire
