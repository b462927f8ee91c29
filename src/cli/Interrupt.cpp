#include "cli/Interrupt.h"

#include <csignal>
#include <initializer_list>

namespace kvt::cli {
namespace {

volatile std::sig_atomic_t g_signals = 0;

extern "C" void onStopSignal(int) {
    g_signals = g_signals + 1;
}

}  // namespace

void Interrupt::install() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

int Interrupt::count() {
    return g_signals;
}

}  // namespace kvt::cli
