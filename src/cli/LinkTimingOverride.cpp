#include "cli/LinkTimingOverride.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace kvt::cli {
namespace {

struct TimingKey {
    std::string_view name;
    std::int32_t LinkTiming::*field;
};

constexpr std::array<TimingKey, 3> kKeys = {{
    {"reply", &LinkTiming::replyTimeoutMs},
    {"pause", &LinkTiming::retryPauseMs},
    {"send", &LinkTiming::sendTimeoutMs},
}};

bool isSeparator(char c) {
    return c == ' ' || c == ',' || c == '\t';
}

}  // namespace

bool applyLinkTiming(std::string_view text, LinkTiming& timing, std::string* error) {
    LinkTiming result = timing;
    std::size_t i = 0;
    while (i < text.size()) {
        if (isSeparator(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !isSeparator(text[end])) {
            ++end;
        }
        const std::string_view item = text.substr(i, end - i);
        i = end;
        const auto eq = item.find('=');
        const std::string_view key = item.substr(0, eq);
        const TimingKey* found = nullptr;
        for (const TimingKey& k : kKeys) {
            if (k.name == key) {
                found = &k;
            }
        }
        std::int32_t ms = 0;
        const std::string_view value = eq == std::string_view::npos ? "" : item.substr(eq + 1);
        const auto parsed = std::from_chars(value.data(), value.data() + value.size(), ms);
        if (found == nullptr || value.empty() || parsed.ec != std::errc{} ||
            parsed.ptr != value.data() + value.size() || ms < 1 || ms > kMaxTimingMs) {
            if (error != nullptr) {
                *error = std::string(kLinkTimingVariable) + ": cannot use '" + std::string(item) +
                         "' (reply=, pause=, send= with 1 to 600000 ms)";
            }
            return false;
        }
        result.*(found->field) = ms;
    }
    timing = result;
    return true;
}

}  // namespace kvt::cli
