#include "characters/core/framelist.h"

#include "characters/core/trace.h"
#include <cmath>

namespace {

// A field this close to its target snaps onto it.
constexpr double SNAP_MARGIN = 0.005;

}  // namespace

Framelist::~Framelist()
{
    while (!entries.empty())
        discardFront();
}

Framelist::Framelist(const Framelist& other)
{
    for (const FramelistEntry& e : other.entries)
        entries.push_back({new Frame(*e.target), new Frame(*e.delta)});
}

void Framelist::setPose(Frame* livePose)
{
    pose = livePose;
}

void Framelist::discardFront()
{
    delete entries.front().target;
    delete entries.front().delta;
    entries.pop_front();
}

void Framelist::add(FramelistEntry entry, int steps, bool interrupt)
{
    if (entries.empty()) {
        // Nothing to blend from: the owner puts the pose on this target first.
        trace("adding 0th frame\n");
        for (int i = 0; i < Frame::FIELDS; ++i)
            (*entry.delta)[i] = 0.0f;
        entries.push_back(entry);
        return;
    }
    if (interrupt) {
        for (int i = 0; i < Frame::FIELDS; ++i)
            (*entry.delta)[i] = ((*entry.target)[i] - (*pose)[i]) / steps;
        while (!entries.empty()) {
            discardFront();
            trace("interrupt: discarding %dth frame\n", static_cast<int>(entries.size()));
        }
        trace("adding %dth frame\n", 0);
        entries.push_back(entry);
        return;
    }
    trace("adding %dth frame\n", static_cast<int>(entries.size()));
    const Frame& last = *entries.back().target;
    for (int i = 0; i < Frame::FIELDS; ++i)
        (*entry.delta)[i] = ((*entry.target)[i] - last[i]) / steps;
    entries.push_back(entry);
}

bool Framelist::advance()
{
    if (entries.empty()) {
        trace("no more frames in Framelist\n");
        return false;
    }
    const Frame& target = *entries.front().target;
    const Frame& delta = *entries.front().delta;
    bool reached = true;
    for (int i = 0; i < Frame::FIELDS; ++i) {
        float& value = (*pose)[i];
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
    if (entries.size() == 1)
        return true;
    discardFront();
    trace("discarding %dth frame\n", static_cast<int>(entries.size()));
    if (entries.empty())
        trace("no more frames in Framelist\n");
    return false;
}
