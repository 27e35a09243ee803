#include "server/cookie.h"

#include "server/entropy.h"

namespace {

std::uint64_t rotate(std::uint64_t x, int b)
{
    return (x << b) | (x >> (64 - b));
}

struct SipState {
    std::uint64_t v0, v1, v2, v3;
    void round()
    {
        v0 += v1;
        v1 = rotate(v1, 13);
        v1 ^= v0;
        v0 = rotate(v0, 32);
        v2 += v3;
        v3 = rotate(v3, 16);
        v3 ^= v2;
        v0 += v3;
        v3 = rotate(v3, 21);
        v3 ^= v0;
        v2 += v1;
        v1 = rotate(v1, 17);
        v1 ^= v2;
        v2 = rotate(v2, 32);
    }
    void absorb(std::uint64_t m)
    {
        v3 ^= m;
        round();
        round();
        v0 ^= m;
    }
};

}  // namespace

std::uint64_t sipHash(const std::uint64_t key[2], const std::uint8_t* data, std::size_t size)
{
    SipState s{key[0] ^ 0x736f6d6570736575ull, key[1] ^ 0x646f72616e646f6dull, key[0] ^ 0x6c7967656e657261ull,
        key[1] ^ 0x7465646279746573ull};
    std::size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        std::uint64_t m = 0;
        for (int i = 0; i < 8; ++i)
            m |= std::uint64_t(data[at + std::size_t(i)]) << (8 * i);
        s.absorb(m);
    }
    std::uint64_t last = std::uint64_t(size) << 56;
    for (int i = 0; at + std::size_t(i) < size; ++i)
        last |= std::uint64_t(data[at + std::size_t(i)]) << (8 * i);
    s.absorb(last);
    s.v2 ^= 0xff;
    for (int i = 0; i < 4; ++i)
        s.round();
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

CookieJar::CookieJar()
{
    fillRandom(key, sizeof key);
}

CookieJar::CookieJar(const std::uint64_t secret[2]) : key{secret[0], secret[1]}
{}

std::uint32_t CookieJar::make(const Endpoint& address, std::int64_t period) const
{
    std::uint8_t bytes[14];
    for (int i = 0; i < 4; ++i)
        bytes[i] = std::uint8_t(address.ip >> (8 * i));
    bytes[4] = std::uint8_t(address.port);
    bytes[5] = std::uint8_t(address.port >> 8);
    for (int i = 0; i < 8; ++i)
        bytes[6 + i] = std::uint8_t(std::uint64_t(period) >> (8 * i));
    return std::uint32_t(sipHash(key, bytes, sizeof bytes));
}

std::uint32_t CookieJar::cookieFor(const Endpoint& address, std::int64_t nowSeconds) const
{
    return make(address, nowSeconds / PERIOD_SECONDS);
}

bool CookieJar::valid(const Endpoint& address, std::uint32_t cookie, std::int64_t nowSeconds) const
{
    const std::int64_t period = nowSeconds / PERIOD_SECONDS;
    return cookie == make(address, period) || cookie == make(address, period - 1);
}
