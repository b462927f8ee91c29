#include "OutputLine.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace kvt::devsim {

void OutputLine::enqueue(std::span<const std::uint8_t> bytes, Clock::time_point now) {
    if (!paced()) {
        for (std::uint8_t byte : bytes) {
            bytes_.push_back({byte, now});
        }
        return;
    }
    // A byte has left the line one byte time after the line became free for it.
    Clock::time_point free = std::max(lineFreeAt_, now);
    for (std::uint8_t byte : bytes) {
        free += byteTime_;
        bytes_.push_back({byte, free});
    }
    lineFreeAt_ = free;
}

void OutputLine::clear() {
    bytes_.clear();
    lineFreeAt_ = {};
}

OutputLine::Flush OutputLine::flush(int fd, Clock::time_point now) {
    std::array<std::uint8_t, 4096> chunk;
    while (!bytes_.empty() && bytes_.front().due <= now) {
        std::size_t count = 0;
        while (count < bytes_.size() && count < chunk.size() && bytes_[count].due <= now) {
            chunk[count] = bytes_[count].byte;
            ++count;
        }
        const ssize_t written = ::write(fd, chunk.data(), count);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno == EAGAIN || errno == EWOULDBLOCK ? Flush::Blocked : Flush::Failed;
        }
        bytes_.erase(bytes_.begin(), bytes_.begin() + written);
        if (static_cast<std::size_t>(written) < count) {
            return Flush::Blocked;
        }
    }
    return Flush::Done;
}

std::optional<Clock::time_point> OutputLine::nextDue(Clock::time_point now) const {
    if (bytes_.empty() || bytes_.front().due <= now) {
        return std::nullopt;
    }
    // Wake once for every byte that falls due within the batch window, at the last one's time:
    // no byte leaves early, and a record does not cost a wake-up per byte.
    const Clock::time_point windowEnd = bytes_.front().due + kPacingBatch;
    Clock::time_point wake = bytes_.front().due;
    for (const Pending& pending : bytes_) {
        if (pending.due > windowEnd) {
            break;
        }
        wake = pending.due;
    }
    return wake;
}

}  // namespace kvt::devsim
