#pragma once

// Whole numbers stored least significant byte first, as BMP and WAV files keep them.
#include <cstdint>

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
