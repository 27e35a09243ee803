#include "shell/clock.h"

#include <ctime>

long systemCalendarSeconds()
{
    return static_cast<long>(std::time(nullptr));
}
