#include "server/address_limits.h"

#include <algorithm>

double AddressBuckets::level(const Bucket& b, double now) const
{
    return std::min(rate.burst, b.tokens + std::max(0.0, now - b.since) * rate.perSecond);
}

bool AddressBuckets::take(std::uint32_t ip, double now)
{
    auto found = buckets.find(ip);
    if (found == buckets.end()) {
        // At most one sweep a second: a flood from many addresses must not make each packet sweep.
        if (buckets.size() >= capacity && now - lastSweep >= 1)
            forgetIdle(now);
        if (buckets.size() >= capacity)
            return false;
        found = buckets.emplace(ip, Bucket{rate.burst, now}).first;
    }
    Bucket& b = found->second;
    b.tokens = level(b, now);
    b.since = now;
    if (b.tokens < 1)
        return false;
    b.tokens -= 1;
    return true;
}

void AddressBuckets::forgetIdle(double now)
{
    lastSweep = now;
    std::erase_if(buckets, [&](const auto& entry) { return level(entry.second, now) >= rate.burst; });
}
