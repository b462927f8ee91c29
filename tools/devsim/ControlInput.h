#pragma once

#include <string>
#include <vector>

#include "Constants.h"

namespace kvt::devsim {

// Control commands arrive on stdin, one per line. When stdin ends (or cannot be read, as for a
// job in the background of an interactive shell) the emulator goes on without it.
class ControlInput {
  public:
    explicit ControlInput(int fd) : fd_(fd) {}

    bool open() const { return open_; }
    int fd() const { return fd_; }
    // Reads what is there; returns the complete lines (overlong lines come back as an empty
    // marker line "\x01" so the caller can refuse them).
    std::vector<std::string> readLines();

    static constexpr char kOverlong[] = "\x01";

  private:
    int fd_;
    bool open_ = true;
    bool skipping_ = false;  // inside an overlong line, up to its end
    std::string partial_;
};

}  // namespace kvt::devsim
