#pragma once

#include <atomic>
#include <ctime>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

#include "data/TraceSink.h"

namespace kvt {

// debug.txt: one line per event, written whole with a single write so that the file is
// complete up to the last event if the program stops. Safe to call from every thread.
class TraceLog final : public TraceSink {
  public:
    using Clock = std::function<std::tm()>;

    static constexpr const char* kFileName = "debug.txt";
    static constexpr const char* kVersionText = "Release 0.05";
    // A line holds the largest frame the link carries as hexadecimal digits, plus head and tail;
    // longer texts are cut to this many characters.
    static constexpr std::size_t kMaxBodyChars = 2 * 20000;

    explicit TraceLog(Clock clock = localNow);
    ~TraceLog() override;
    TraceLog(const TraceLog&) = delete;
    TraceLog& operator=(const TraceLog&) = delete;

    // The log flag: 1 when the program was started with "-LOG".
    void setLogFlag(bool on) { logFlag_ = on; }
    bool logFlag() const { return logFlag_; }

    // Creates debug.txt in the directory, replacing any old file, and writes the header. When the
    // file cannot be created tracing stays off; nothing is reported.
    void open(const std::filesystem::path& directory, const std::string& title,
              std::uint32_t testModeWord);
    void close();
    bool isOpen() const;

    bool enabled() const override;
    void bytes(std::span<const std::uint8_t> data, int kind, const char* file,
               unsigned line) override;
    void text(std::string_view text, int kind, const char* file, unsigned line) override;
    using TraceSink::bytes;
    using TraceSink::text;

    // The complete line for a kind, as it goes into the file (exposed for tests).
    std::string formatLine(int kind, std::string_view body, const char* file, unsigned line) const;

    static std::tm localNow();

  private:
    void writeLine(const std::string& line);

    Clock clock_;
    std::atomic<bool> logFlag_{false};
    mutable std::mutex mutex_;
    int fd_ = -1;
    std::atomic<bool> open_{false};
};

}  // namespace kvt
