#pragma once

#include <array>
#include <cstddef>

#include "characters/core/frame.h"

// One queued keyframe: the pose to reach, and what each tick adds towards it.
struct FramelistEntry {
    Frame target;
    Frame delta;
};

// A character's queue of target poses, played one tick per displayed frame
// on the pose its owner hands it. The entries are plain values in a ring of
// fixed size, so a copy (a saved tick) allocates nothing.
class Framelist {
public:
    // Beyond what any fighter queues: its longest swing with a win behind it.
    static constexpr int CAPACITY = 48;

    constexpr Framelist() = default;
    Framelist(const Framelist& other) { *this = other; }
    // Copies only the queued entries.
    Framelist& operator=(const Framelist& other);

    // Queues a target `steps` ticks away from the last one, or with interrupt
    // from the live pose with the rest of the queue discarded.
    void add(const Frame& target, int steps, bool interrupt, const Frame& pose);
    // Moves the pose one tick on; true once the last queued entry has been reached.
    bool advance(Frame& pose);
    std::size_t size() const { return std::size_t(count); }

    const FramelistEntry& operator[](std::size_t i) const { return ring[(std::size_t(head) + i) % CAPACITY]; }
    const FramelistEntry& front() const { return (*this)[0]; }
    const FramelistEntry& back() const { return (*this)[size() - 1]; }
    // The last entry, to adjust its step by hand.
    FramelistEntry& back() { return ring[(std::size_t(head) + size() - 1) % CAPACITY]; }

private:
    void push(const Frame& target, const Frame& delta);
    void discardFront();

    std::array<FramelistEntry, CAPACITY> ring{};
    int head = 0;
    int count = 0;
};
