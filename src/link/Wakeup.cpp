#include "link/Wakeup.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace kvt {

void Wakeup::signal() {
    {
        std::lock_guard lock(mutex_);
        pending_ = true;
    }
    cv_.notify_one();
}

bool Wakeup::waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    const bool rung = cv_.wait_for(lock, timeout, [this] { return pending_; });
    pending_ = false;
    return rung;
}

FdWakeup::FdWakeup() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

FdWakeup::~FdWakeup() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

void FdWakeup::signal() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(fd_, &one, sizeof one);
}

void FdWakeup::consume() {
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t got = read(fd_, &value, sizeof value);
}

bool FdWakeup::waitFor(std::chrono::milliseconds timeout) {
    pollfd entry{fd_, POLLIN, 0};
    const int ready = poll(&entry, 1, static_cast<int>(timeout.count()));
    consume();
    return ready > 0;
}

}  // namespace kvt
