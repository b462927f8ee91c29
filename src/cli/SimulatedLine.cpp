#include "cli/SimulatedLine.h"

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace kvt::cli {

bool SimulatedLine::open(std::string* error) {
    std::array<char, 256> name{};
    termios raw{};
    cfmakeraw(&raw);
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, name.data(), &raw, nullptr) != 0) {
        if (error != nullptr) {
            *error =
                std::string("no pseudo-terminal for the simulated device: ") + std::strerror(errno);
        }
        return false;
    }
    master_.reset(master);
    slave_.reset(slave);
    path_ = name.data();
    return true;
}

}  // namespace kvt::cli
