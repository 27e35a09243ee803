#include "net/time_sync.h"

#include <algorithm>
#include <cmath>

#include "match/match.h"

bool TimeSync::frame(std::uint32_t present, std::uint32_t remotePresent, int roundTripMs)
{
    // The other side has played on for half a round trip since it said so.
    local = double(present) - (double(remotePresent) + roundTripMs * TICK_RATE / 2000.0);
    if (owed > 0) {
        if (++sinceWait < WAIT_SPACING)
            return false;
        sinceWait = 0;
        ++waits;
        if (--owed == 0)
            figures = 0;
        return true;
    }
    localFigures[std::size_t(figures % WINDOW)] = local;
    remoteFigures[std::size_t(figures % WINDOW)] = remote;
    ++figures;
    if (figures < WINDOW)
        return false;
    double localMean = 0.0;
    double remoteMean = 0.0;
    for (int i = 0; i < WINDOW; ++i) {
        localMean += localFigures[std::size_t(i)] / WINDOW;
        remoteMean += remoteFigures[std::size_t(i)] / WINDOW;
    }
    // Both must say this side is the one ahead; then it gives up half the gap between their figures.
    const double ahead = (localMean - remoteMean) / 2.0;
    if (localMean <= 0.0 || remoteMean >= 0.0 || ahead < AHEAD_TO_WAIT)
        return false;
    owed = std::min(int(ahead), MOST_WAITED);
    sinceWait = WAIT_SPACING - 1;
    return frame(present, remotePresent, roundTripMs);
}

std::int8_t TimeSync::advantage() const
{
    return std::int8_t(std::clamp(std::lround(local), -127L, 127L));
}
