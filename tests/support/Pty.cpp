#include "support/Pty.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace kvt::test {

Pty::Pty() {
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    int master = -1;
    if (openpty(&master, &keepSlave_, name, &raw, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    master_ = master;
    slavePath_ = name;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

Pty::~Pty() {
    closeMaster();
    if (keepSlave_ >= 0) {
        close(keepSlave_);
    }
}

void Pty::write(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        std::lock_guard lock(ioMutex_);
        const int fd = master_.load();
        if (fd < 0) {
            return;
        }
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        } else {
            pollfd entry{fd, POLLOUT, 0};
            poll(&entry, 1, 100);
        }
    }
}

std::vector<std::uint8_t> Pty::read(std::size_t count, std::chrono::milliseconds timeout) {
    std::vector<std::uint8_t> out;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        const auto chunk = readAvailable(std::min(left, std::chrono::milliseconds(20)));
        if (chunk.empty() && master_.load() < 0) {
            break;
        }
        const std::size_t take = std::min(chunk.size(), count - out.size());
        out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<long>(take));
    }
    return out;
}

std::vector<std::uint8_t> Pty::readAvailable(std::chrono::milliseconds timeout) {
    std::lock_guard lock(ioMutex_);
    const int fd = master_.load();
    if (fd < 0) {
        return {};
    }
    pollfd entry{fd, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(timeout.count())) <= 0 || (entry.revents & POLLIN) == 0) {
        return {};
    }
    std::uint8_t buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    return n > 0 ? std::vector<std::uint8_t>(buffer, buffer + n) : std::vector<std::uint8_t>{};
}

bool Pty::waitQueued(int count, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int queued = 0;
        if (ioctl(keepSlave_, FIONREAD, &queued) == 0 && queued >= count) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        pollfd entry{keepSlave_, POLLIN, 0};
        poll(&entry, 1, 5);
    }
}

void Pty::closeMaster() {
    std::lock_guard lock(ioMutex_);
    const int master = master_.exchange(-1);
    if (master >= 0) {
        close(master);
    }
    if (keepSlave_ >= 0) {
        close(keepSlave_);
        keepSlave_ = -1;
    }
}

}  // namespace kvt::test
