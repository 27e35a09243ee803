#pragma once

#include <string>
#include <vector>

// The game's trace lines (state changes, keyframes, hits) all go through
// here; by default they are printed to standard output as they happen.
void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// While one exists, trace lines are kept in it instead of being printed.
class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    // Everything traced so far, concatenated.
    std::string text() const;
    // Complete lines traced so far, without their line ends.
    std::vector<std::string> lines() const;
    void clear() { captured.clear(); }

private:
    std::string captured;
    TraceCapture* previous;
    friend void trace(const char*, ...);
};

// While one exists, trace lines are dropped (re-simulated or headless ticks).
class TraceSilence {
public:
    TraceSilence();
    ~TraceSilence();
    TraceSilence(const TraceSilence&) = delete;
    TraceSilence& operator=(const TraceSilence&) = delete;

private:
    bool previous;
};
