#include "Terminal.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

namespace kvt::devsim {

namespace {
constexpr std::array<std::pair<int, speed_t>, 9> kSpeeds = {{{1200, B1200},
                                                             {2400, B2400},
                                                             {4800, B4800},
                                                             {9600, B9600},
                                                             {19200, B19200},
                                                             {38400, B38400},
                                                             {57600, B57600},
                                                             {115200, B115200},
                                                             {230400, B230400}}};
}  // namespace

unsigned baudToSpeed(int baud) {
    for (const auto& [rate, speed] : kSpeeds) {
        if (rate == baud) {
            return speed;
        }
    }
    return 0;
}

bool Terminal::open(int baud, std::string& error) {
    close();
    termios raw{};
    cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    // Start at the device's own rate so that a plain terminal program is answered at once; the
    // program under test sets its rate itself.
    cfsetispeed(&raw, baudToSpeed(baud));
    cfsetospeed(&raw, baudToSpeed(baud));
    int master = -1;
    int slave = -1;
    std::array<char, 256> name{};
    if (::openpty(&master, &slave, name.data(), &raw, nullptr) != 0) {
        error = std::string("openpty failed: ") + std::strerror(errno);
        return false;
    }
    master_.reset(master);
    slave_.reset(slave);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    slavePath_ = name.data();
    return true;
}

void Terminal::close() {
    master_.reset();
    slave_.reset();
}

int Terminal::lineBaud() const {
    termios settings{};
    if (!master_.valid() || ::tcgetattr(master_.get(), &settings) != 0) {
        return 0;
    }
    const speed_t speed = cfgetospeed(&settings);
    for (const auto& [rate, known] : kSpeeds) {
        if (known == speed) {
            return rate;
        }
    }
    return 0;
}

}  // namespace kvt::devsim
