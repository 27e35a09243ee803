#pragma once

#include <cstddef>
#include <deque>

#include "characters/core/frame.h"

// One queued keyframe. The caller allocates both records; from add() on the
// Framelist owns them and releases them when it discards the entry.
struct FramelistEntry {
    Frame* target;
    Frame* delta;
};

// A character's queue of target poses, played one tick per displayed frame.
class Framelist {
public:
    Framelist() = default;
    ~Framelist();
    // A copy owns copies of the queued records and plays on no pose until
    // its owner gives it one.
    Framelist(const Framelist& other);
    Framelist& operator=(const Framelist&) = delete;

    void setPose(Frame* livePose);
    void add(FramelistEntry entry, int steps, bool interrupt);
    // True once the last queued entry has been reached.
    bool advance();
    std::size_t size() const { return entries.size(); }

    const FramelistEntry& front() const { return entries.front(); }
    const FramelistEntry& back() const { return entries.back(); }
    const std::deque<FramelistEntry>& all() const { return entries; }

private:
    void discardFront();

    std::deque<FramelistEntry> entries;
    Frame* pose = nullptr;
};
