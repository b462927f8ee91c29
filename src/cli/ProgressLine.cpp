#include "cli/ProgressLine.h"

#include <unistd.h>

namespace kvt::cli {
namespace {

// Carriage return, the text, erase to the end of the line.
constexpr const char* kReturn = "\r";
constexpr const char* kEraseToEnd = "\x1b[K";

void writeErr(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

bool ProgressLine::wanted(bool json) {
    return !json && ::isatty(STDERR_FILENO) == 1;
}

void ProgressLine::show(const std::string& text) {
    if (!enabled_ || text == shown_) {
        return;
    }
    if (text.empty()) {
        clear();
        return;
    }
    writeErr(std::string(kReturn) + text + kEraseToEnd);
    shown_ = text;
}

void ProgressLine::clear() {
    if (!enabled_ || shown_.empty()) {
        return;
    }
    writeErr(std::string(kReturn) + kEraseToEnd);
    shown_.clear();
}

}  // namespace kvt::cli
