#include "RequestLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "TextParse.h"

namespace kvt::devsim {

bool RequestLog::open(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot open log " + path + ": " + std::strerror(errno);
        return false;
    }
    file_.reset(fd);
    return true;
}

void RequestLog::bytes(Clock::time_point when, std::string_view direction,
                       std::string_view mnemonic, std::span<const std::uint8_t> data,
                       std::string_view note) {
    if (isOpen()) {
        write(when, direction, mnemonic, hexBytes(data.data(), data.size()), note);
    }
}

void RequestLog::event(Clock::time_point when, std::string_view text) {
    if (isOpen()) {
        write(when, "--", "---", {}, text);
    }
}

void RequestLog::write(Clock::time_point when, std::string_view direction,
                       std::string_view mnemonic, std::string_view hex, std::string_view note) {
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(when - origin_).count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%lld.%06lld", static_cast<long long>(micros / 1000000),
                  static_cast<long long>(micros % 1000000));
    std::string line;
    line.reserve(64 + hex.size() + note.size());
    line.append(stamp).append(" ").append(direction).append(" ").append(mnemonic);
    if (!hex.empty()) {
        line.append(" ").append(hex);
    }
    if (!note.empty()) {
        line.append(" # ").append(note);
    }
    line.push_back('\n');
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(file_.get(), line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;  // a full disk must not stop the emulated controller
        }
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace kvt::devsim
