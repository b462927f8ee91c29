#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "data/TraceSink.h"

namespace kvt::test {

// Keeps every trace call as (kind, text); byte kinds are kept as upper-case hexadecimal.
class RecordingTrace final : public TraceSink {
  public:
    struct Line {
        int kind;
        std::string text;
    };

    bool enabled() const override { return true; }
    void bytes(std::span<const std::uint8_t> data, int kind, const char* file,
               unsigned line) override;
    void text(std::string_view text, int kind, const char* file, unsigned line) override;
    using TraceSink::bytes;
    using TraceSink::text;

    std::vector<Line> lines() const;
    std::vector<std::string> texts() const;
    // How many lines have exactly this text.
    int count(const std::string& text) const;
    bool contains(const std::string& text) const { return count(text) > 0; }
    // How many lines begin with the prefix.
    int countStartingWith(const std::string& prefix) const;
    void clear();

  private:
    mutable std::mutex mutex_;
    std::vector<Line> lines_;
};

}  // namespace kvt::test
