#pragma once

#include <string>

#include "data/UniqueFd.h"

namespace kvt::devsim {

// The pseudo-terminal the emulated controller sits behind. The program under test opens the
// slave path as its serial port; the emulator reads and writes the master. The emulator keeps
// the slave open too, so the terminal (and its settings) outlive the program's closes.
class Terminal {
  public:
    // Opens a new pseudo-terminal in raw mode at `baud`. On failure returns false and says why.
    bool open(int baud, std::string& error);
    // Closes both sides: whoever has the slave open sees the device gone.
    void close();
    bool isOpen() const { return master_.valid(); }

    int masterFd() const { return master_.get(); }
    const std::string& slavePath() const { return slavePath_; }

    // The rate the program set on its side (both sides of a pty share one setting); 0 when it is
    // none of the standard rates or cannot be read.
    int lineBaud() const;

  private:
    UniqueFd master_;
    UniqueFd slave_;
    std::string slavePath_;
};

// Speed constant of a baud rate, 0 when termios has none.
unsigned baudToSpeed(int baud);

}  // namespace kvt::devsim
