#include "characters/core/framelist.h"

#include "characters/core/trace.h"
#include <cmath>

namespace {

// A field this close to its target snaps onto it.
constexpr double SNAP_MARGIN = 0.005;

}  // namespace

Framelist& Framelist::operator=(const Framelist& other)
{
    if (this == &other)
        return *this;
    for (int i = 0; i < other.count; ++i)
        ring[std::size_t(i)] = other[std::size_t(i)];
    head = 0;
    count = other.count;
    return *this;
}

void Framelist::push(const Frame& target, const Frame& delta)
{
    // Never reached by the moves as written; a longer queue drops its oldest entry.
    if (count == CAPACITY)
        discardFront();
    ring[std::size_t(head + count) % CAPACITY] = {target, delta};
    ++count;
}

void Framelist::discardFront()
{
    head = (head + 1) % CAPACITY;
    --count;
}

void Framelist::add(const Frame& target, int steps, bool interrupt, const Frame& pose)
{
    Frame delta{};
    if (count == 0) {
        // Nothing to blend from: the owner puts the pose on this target first.
        trace("adding 0th frame\n");
        push(target, delta);
        return;
    }
    if (interrupt) {
        for (int i = 0; i < Frame::FIELDS; ++i)
            delta[i] = (target[i] - pose[i]) / steps;
        while (count > 0) {
            discardFront();
            trace("interrupt: discarding %dth frame\n", count);
        }
        trace("adding %dth frame\n", 0);
        push(target, delta);
        return;
    }
    trace("adding %dth frame\n", count);
    const Frame& last = back().target;
    for (int i = 0; i < Frame::FIELDS; ++i)
        delta[i] = (target[i] - last[i]) / steps;
    push(target, delta);
}

bool Framelist::advance(Frame& pose)
{
    if (count == 0) {
        trace("no more frames in Framelist\n");
        return false;
    }
    const Frame& target = front().target;
    const Frame& delta = front().delta;
    bool reached = true;
    for (int i = 0; i < Frame::FIELDS; ++i) {
        float& value = pose[i];
        if (value == target[i])
            continue;
        double gap = std::fabs(static_cast<double>(target[i]) - static_cast<double>(value));
        if (std::fabs(static_cast<double>(delta[i])) + SNAP_MARGIN > gap) {
            value = target[i];
        } else {
            value += delta[i];
            reached = false;
        }
    }
    if (!reached)
        return false;
    if (count == 1)
        return true;
    discardFront();
    trace("discarding %dth frame\n", count);
    if (count == 0)
        trace("no more frames in Framelist\n");
    return false;
}
