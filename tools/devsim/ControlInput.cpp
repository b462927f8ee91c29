#include "ControlInput.h"

#include <unistd.h>

#include <cerrno>

namespace kvt::devsim {

std::vector<std::string> ControlInput::readLines() {
    std::vector<std::string> lines;
    char buffer[1024];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return lines;
    }
    if (n <= 0) {
        open_ = false;
        if (!partial_.empty() && !skipping_) {
            lines.push_back(std::move(partial_));
        }
        partial_.clear();
        return lines;
    }
    for (ssize_t i = 0; i < n; ++i) {
        const char c = buffer[i];
        if (c == '\n') {
            if (!skipping_) {
                lines.push_back(std::move(partial_));
            }
            partial_.clear();
            skipping_ = false;
        } else if (!skipping_) {
            partial_.push_back(c);
            if (partial_.size() > kMaxControlLine) {
                partial_.clear();
                skipping_ = true;
                lines.emplace_back(kOverlong);
            }
        }
    }
    return lines;
}

}  // namespace kvt::devsim
