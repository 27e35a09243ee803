#include "characters/core/trace.h"

#include <cstdarg>
#include <cstdio>

namespace {

// Per thread: the tournament plays bouts on several at once.
thread_local TraceCapture* capture = nullptr;
thread_local bool silent = false;

}  // namespace

void trace(const char* format, ...)
{
    if (silent)
        return;
    va_list args;
    va_start(args, format);
    if (capture) {
        char line[256];
        int n = std::vsnprintf(line, sizeof line, format, args);
        if (n > 0)
            capture->captured.append(line, n < int(sizeof line) ? size_t(n) : sizeof line - 1);
    } else {
        std::vprintf(format, args);
    }
    va_end(args);
}

TraceCapture::TraceCapture() : previous(capture)
{
    capture = this;
}

TraceCapture::~TraceCapture()
{
    capture = previous;
}

std::string TraceCapture::text() const
{
    return captured;
}

std::vector<std::string> TraceCapture::lines() const
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = captured.find('\n', start)) != std::string::npos; start = end + 1)
        out.push_back(captured.substr(start, end - start));
    return out;
}

TraceSilence::TraceSilence() : previous(silent)
{
    silent = true;
}

TraceSilence::~TraceSilence()
{
    silent = previous;
}
