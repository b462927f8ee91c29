#pragma once

namespace kvt::cli {

// Ctrl+C (SIGINT), SIGTERM and SIGHUP only count: the handler sets a flag and the main thread,
// which looks at it while it waits for the engine, stops the action in order.
class Interrupt {
  public:
    // Installs the handlers (without SA_RESTART, so that a blocking call returns early).
    static void install();
    // Signals received since start.
    static int count();
    static bool requested() { return count() > 0; }
};

}  // namespace kvt::cli
