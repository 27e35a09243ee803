#pragma once

// Keeps the two sides of a network bout playing at one pace. Each side
// reckons how many ticks it is ahead of the other (its frame advantage) and
// sends that with its inputs. Each averages its own figure and the other's
// over the last WINDOW frames and waits only when both agree that it is the
// one ahead: a tick at a time, spread over several frames, then it judges
// afresh on figures from after the wait. A side whose clock runs fast is so
// brought back without bursts of stalls, and jitter on the link does not make
// the two sides take turns waiting.
#include <array>
#include <cstdint>

class TimeSync {
public:
    // Frames a judgement averages over.
    static constexpr int WINDOW = 40;
    // Ticks ahead, by both sides' reckoning, from which a side waits.
    static constexpr double AHEAD_TO_WAIT = 1.0;
    // Frames from one waited tick to the next.
    static constexpr int WAIT_SPACING = 6;
    // The most ticks one judgement waits.
    static constexpr int MOST_WAITED = 4;

    // One frame, before it plays: the ticks this side has played, the ticks
    // the other side last said it had played, and the round trip. True when
    // this frame should wait instead of playing a tick.
    bool frame(std::uint32_t present, std::uint32_t remotePresent, int roundTripMs);
    // The other side's reckoning, from its inputs.
    void heard(int remoteAdvantage) { remote = remoteAdvantage; }
    // This side's reckoning, for its inputs.
    std::int8_t advantage() const;
    long waited() const { return waits; }

private:
    std::array<double, WINDOW> localFigures{};
    std::array<double, WINDOW> remoteFigures{};
    int figures = 0;  // in the window since the last judgement's waits
    double local = 0.0;
    int remote = 0;
    int owed = 0;       // ticks this judgement still waits
    int sinceWait = 0;  // frames since its last waited tick
    long waits = 0;
};
