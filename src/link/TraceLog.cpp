#include "link/TraceLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "data/Format.h"

namespace kvt {
namespace {

std::string strftimeText(const char* fmt, const std::tm& when) {
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, fmt, &when);
    return std::string(buffer, n);
}

const char* baseName(const char* path) {
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\') {
            name = p + 1;
        }
    }
    return name;
}

// Head of a line by kind; the time follows the head's first word.
const char* headOf(int kind) {
    switch (kind) {
        case 1:
        case 2:
            return "Snd  ";
        case 3:
        case 4:
        case 7:
            return "Rcv  ";
        case 5:
            return "Info ";
        default:
            return "xxx  ";
    }
}

}  // namespace

TraceLog::TraceLog(Clock clock) : clock_(std::move(clock)) {}

TraceLog::~TraceLog() {
    close();
}

std::tm TraceLog::localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

void TraceLog::open(const std::filesystem::path& directory, const std::string& title,
                    std::uint32_t testModeWord) {
    close();
    const std::filesystem::path path = directory / kFileName;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    if (fd <= STDERR_FILENO) {
        // Started with a standard stream closed: keep library messages meant for that stream out
        // of the trace file.
        const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        ::close(fd);
        if (moved < 0) {
            return;
        }
        fd = moved;
    }
    {
        std::lock_guard lock(mutex_);
        fd_ = fd;
        open_ = true;
    }
    const std::tm now = clock_();
    writeLine(format("%s  '%s' DEBUG-File %s \r\n", title.c_str(), kVersionText,
                     strftimeText("%x %X", now).c_str()));
    if (testModeWord != 0) {
        writeLine(format(" uTestMode Flag: %x \r\n", testModeWord));
    }
}

void TraceLog::close() {
    std::lock_guard lock(mutex_);
    open_ = false;
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool TraceLog::isOpen() const {
    return open_;
}

bool TraceLog::enabled() const {
    return logFlag_ && open_;
}

std::string TraceLog::formatLine(int kind, std::string_view body, const char* file,
                                 unsigned line) const {
    if (body.size() > kMaxBodyChars) {
        body = body.substr(0, kMaxBodyChars);
    }
    const std::string time = strftimeText("%X", clock_());
    std::string out;
    out.reserve(body.size() + 128);
    out += headOf(kind);
    out += time;
    out += ": '";
    out += body;
    if (kind == 7) {
        out += " STX/BCC Error";
    }
    out += format("' \t[File: %s, Line: %u] \r\n", baseName(file), line);
    return out;
}

void TraceLog::bytes(std::span<const std::uint8_t> data, int kind, const char* file,
                     unsigned line) {
    if (!enabled()) {
        return;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::size_t count = std::min(data.size(), kMaxBodyChars / 2);
    std::string hex(2 * count, '0');
    for (std::size_t i = 0; i < count; ++i) {
        hex[2 * i] = kHex[data[i] >> 4];
        hex[2 * i + 1] = kHex[data[i] & 0x0F];
    }
    writeLine(formatLine(kind, hex, file, line));
}

void TraceLog::text(std::string_view message, int kind, const char* file, unsigned line) {
    if (!enabled()) {
        return;
    }
    if (kind == 1 || kind == 3) {
        // The byte kinds dump whatever they are given as hexadecimal, text included.
        const auto* data = reinterpret_cast<const std::uint8_t*>(message.data());
        bytes(std::span(data, message.size()), kind, file, line);
        return;
    }
    writeLine(formatLine(kind, message, file, line));
}

void TraceLog::writeLine(const std::string& line) {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) {
        return;
    }
    // One write per line; a failed write is ignored, as the trace never influences the protocol.
    [[maybe_unused]] const ssize_t written = ::write(fd_, line.data(), line.size());
}

}  // namespace kvt
