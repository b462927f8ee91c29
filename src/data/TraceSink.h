#pragma once

#include <cstdint>
#include <source_location>
#include <span>
#include <string_view>

namespace kvt {

// Line kinds of the trace file; the number is part of the file format.
enum class TraceKind : int {
    SendBytes = 1,
    SendText = 2,
    ReceiveBytes = 3,
    ReceiveText = 4,
    Info = 5,
    ChecksumError = 7,
};

// Where every part of the program reports what it did. The link's trace log writes debug.txt;
// tests record the lines. Reporting never fails and never influences the caller.
class TraceSink {
  public:
    virtual ~TraceSink() = default;

    virtual bool enabled() const = 0;
    virtual void bytes(std::span<const std::uint8_t> data, int kind, const char* file,
                       unsigned line) = 0;
    virtual void text(std::string_view text, int kind, const char* file, unsigned line) = 0;

    void info(std::string_view message,
              std::source_location where = std::source_location::current()) {
        text(message, static_cast<int>(TraceKind::Info), where.file_name(), where.line());
    }
    void text(std::string_view message, TraceKind kind,
              std::source_location where = std::source_location::current()) {
        text(message, static_cast<int>(kind), where.file_name(), where.line());
    }
    void bytes(std::span<const std::uint8_t> data, TraceKind kind,
               std::source_location where = std::source_location::current()) {
        bytes(data, static_cast<int>(kind), where.file_name(), where.line());
    }
};

// A sink that drops everything, for code run without a trace.
class NullTrace final : public TraceSink {
  public:
    bool enabled() const override { return false; }
    void bytes(std::span<const std::uint8_t>, int, const char*, unsigned) override {}
    void text(std::string_view, int, const char*, unsigned) override {}
};

}  // namespace kvt
