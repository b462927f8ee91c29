#pragma once

#include <signal.h>

namespace kvt::devsim {

// SIGINT, SIGTERM and SIGHUP end the emulator cleanly: they are blocked from the start and let
// through only while the event loop waits, so the loop notices them between two events and
// closes the terminal, removes the link and completes the log. Created once, first thing in main.
class StopSignals {
  public:
    StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal mask to wait with (the stop signals unblocked).
    const sigset_t& waitMask() const { return waitMask_; }
    static bool raised();

  private:
    sigset_t waitMask_;
};

}  // namespace kvt::devsim
