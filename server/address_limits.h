#pragma once

// How much one source address may do: a token bucket per IPv4 address,
// filling at a steady rate up to a burst. The table is bounded: when it is
// full, addresses whose buckets have filled again are forgotten, and an
// address that finds no room is refused until some are.
#include <cstddef>
#include <cstdint>
#include <unordered_map>

struct Rate {
    double perSecond = 1;
    double burst = 1;
};

class AddressBuckets {
public:
    AddressBuckets(Rate rate, std::size_t capacity) : rate(rate), capacity(capacity) {}

    // Takes one from the address's bucket; false when it is empty.
    bool take(std::uint32_t ip, double nowSeconds);
    // Forgets the addresses whose buckets are full again.
    void forgetIdle(double nowSeconds);
    std::size_t size() const { return buckets.size(); }

private:
    struct Bucket {
        double tokens = 0;
        double since = 0;
    };
    double level(const Bucket& b, double nowSeconds) const;

    Rate rate;
    std::size_t capacity;
    double lastSweep = -1e9;
    std::unordered_map<std::uint32_t, Bucket> buckets;
};
