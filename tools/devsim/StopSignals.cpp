#include "StopSignals.h"

#include <csignal>

namespace kvt::devsim {

namespace {
volatile std::sig_atomic_t gStopSignal = 0;

void onStopSignal(int signal) {
    gStopSignal = signal;
}

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
// A background job must not be stopped for reading or writing its terminal, and a closed reader
// of stdout must not end the emulated controller.
constexpr int kIgnoredSignals[] = {SIGPIPE, SIGTTIN, SIGTTOU};
}  // namespace

StopSignals::StopSignals() {
    sigset_t blocked;
    sigemptyset(&blocked);
    for (int signal : kStopSignals) {
        sigaddset(&blocked, signal);
    }
    ::sigprocmask(SIG_BLOCK, &blocked, &waitMask_);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : kStopSignals) {
        ::sigaction(signal, &action, nullptr);
        sigdelset(&waitMask_, signal);
    }
    for (int signal : kIgnoredSignals) {
        std::signal(signal, SIG_IGN);
    }
}

bool StopSignals::raised() {
    return gStopSignal != 0;
}

}  // namespace kvt::devsim
