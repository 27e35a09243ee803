#pragma once

// Wall-clock time for the bout clock and the end-of-bout pause, in whole
// calendar seconds.
long systemCalendarSeconds();
