#include "shell/quit_signals.h"

#include <unistd.h>

#include <csignal>

namespace {

constexpr int QUIT_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t caught = 0;

void onQuitSignal(int signal)
{
    // Only async-signal-safe calls here: the frame may be anywhere.
    if (caught != 0)
        _exit(128 + signal);
    caught = signal;
}

}  // namespace

void catchQuitSignals()
{
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : QUIT_SIGNALS) {
        struct sigaction before = {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
}

int quitSignal()
{
    return caught;
}

const char* signalName(int signal)
{
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
    }
}
