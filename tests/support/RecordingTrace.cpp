#include "support/RecordingTrace.h"

#include <algorithm>

namespace kvt::test {

void RecordingTrace::bytes(std::span<const std::uint8_t> data, int kind, const char*, unsigned) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex;
    for (std::uint8_t b : data) {
        hex += kHex[b >> 4];
        hex += kHex[b & 0x0F];
    }
    std::lock_guard lock(mutex_);
    lines_.push_back({kind, hex});
}

void RecordingTrace::text(std::string_view text, int kind, const char*, unsigned) {
    std::lock_guard lock(mutex_);
    lines_.push_back({kind, std::string(text)});
}

std::vector<RecordingTrace::Line> RecordingTrace::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::vector<std::string> RecordingTrace::texts() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& line : lines_) {
        out.push_back(line.text);
    }
    return out;
}

int RecordingTrace::count(const std::string& text) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(
        std::count_if(lines_.begin(), lines_.end(), [&](const Line& l) { return l.text == text; }));
}

int RecordingTrace::countStartingWith(const std::string& prefix) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(
        lines_.begin(), lines_.end(), [&](const Line& l) { return l.text.rfind(prefix, 0) == 0; }));
}

void RecordingTrace::clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

}  // namespace kvt::test
