#pragma once

// Cookies: proof that an address receives what the server sends there. A
// cookie is a keyed hash (SipHash-2-4 with a secret drawn at start) of the
// address and the half-minute, so the server keeps nothing per request and
// only the address it was sent to can know it.
#include <cstdint>

#include "net/meeting_protocol.h"

std::uint64_t sipHash(const std::uint64_t key[2], const std::uint8_t* data, std::size_t size);

class CookieJar {
public:
    // A cookie made in one period is taken in the next too.
    static constexpr std::int64_t PERIOD_SECONDS = 30;

    CookieJar();  // a random secret
    explicit CookieJar(const std::uint64_t secret[2]);

    std::uint32_t cookieFor(const Endpoint& address, std::int64_t nowSeconds) const;
    bool valid(const Endpoint& address, std::uint32_t cookie, std::int64_t nowSeconds) const;

private:
    std::uint32_t make(const Endpoint& address, std::int64_t period) const;
    std::uint64_t key[2];
};
