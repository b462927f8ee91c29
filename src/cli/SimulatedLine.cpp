#include "cli/SimulatedLine.h"

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace kvt::cli {

SimulatedLine::~SimulatedLine() {
    if (slave_ >= 0) {
        ::close(slave_);
    }
    if (master_ >= 0) {
        ::close(master_);
    }
}

bool SimulatedLine::open(std::string* error) {
    std::array<char, 256> name{};
    termios raw{};
    cfmakeraw(&raw);
    if (::openpty(&master_, &slave_, name.data(), &raw, nullptr) != 0) {
        if (error != nullptr) {
            *error =
                std::string("no pseudo-terminal for the simulated device: ") + std::strerror(errno);
        }
        master_ = slave_ = -1;
        return false;
    }
    path_ = name.data();
    return true;
}

}  // namespace kvt::cli
