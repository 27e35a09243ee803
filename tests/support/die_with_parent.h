#pragma once

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

// Called first in a forked test process: it is killed when the test process
// that forked it ends, even by a crash that runs no destructor.
inline void dieWithParent(pid_t parent)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The parent may have ended before the line above.
    if (getppid() != parent)
        _exit(1);
}
