#pragma once

#include <string>

#include "data/UniqueFd.h"

namespace kvt::cli {

// The line that --simulate opens. The simulated device answers inside the program, but the
// baud-rate test still opens a serial port, and a machine may have none: a pseudo-terminal pair
// stands in for it. Both ends stay open for the whole run and nobody reads the master, so what
// the link writes just waits there.
class SimulatedLine {
  public:
    // Opens the pair; false with the reason when the system gives none.
    bool open(std::string* error);
    // The device path for the serial port (the slave end).
    const std::string& devicePath() const { return path_; }

  private:
    UniqueFd master_;
    UniqueFd slave_;
    std::string path_;
};

}  // namespace kvt::cli
