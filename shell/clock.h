#pragma once

// Wall-clock time for the bout clock and the end-of-bout pause, in whole
// calendar seconds. Tests replace both hooks to run bouts without waiting.
extern long (*calendarSeconds)();
extern void (*sleepUntilSecond)(long second);

long systemCalendarSeconds();
void systemSleepUntilSecond(long second);
