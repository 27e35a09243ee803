#include "shell/clock.h"

#include <cerrno>
#include <ctime>

long systemCalendarSeconds()
{
    return static_cast<long>(std::time(nullptr));
}

void systemSleepUntilSecond(long second)
{
    timespec until{};
    until.tv_sec = static_cast<time_t>(second);
    while (clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &until, nullptr) == EINTR) {}
}

long (*calendarSeconds)() = systemCalendarSeconds;
void (*sleepUntilSecond)(long second) = systemSleepUntilSecond;
