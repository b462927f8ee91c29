#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace kvt::test {

// One line of the emulator's request log ("0.512345 rx KPR 02 02 00 02 # note").
struct DevsimLogLine {
    double seconds = 0;
    std::string direction;  // "rx", "tx" or "--"
    std::string mnemonic;   // "KPR", or "---" for bytes and events
    std::vector<std::uint8_t> bytes;
    std::string note;
};

// kvt-devsim as a child process: started with arguments, its terminal path learnt from its first
// line, driven by control commands on its stdin, its request log read back, stopped at the end.
// The e2e tests get the program's path from the build as KVT_DEVSIM_PATH.
class Devsim {
  public:
    static constexpr std::chrono::milliseconds kReplyTimeout{5000};

    // Starts the emulator, logging into a private temporary folder.
    explicit Devsim(std::string program, std::vector<std::string> args = {});
    ~Devsim();
    Devsim(const Devsim&) = delete;
    Devsim& operator=(const Devsim&) = delete;

    bool started() const { return !terminalPath_.empty(); }
    const std::string& startError() const { return startError_; }
    // The slave path of the current terminal (a "reopen" announces a new one).
    const std::string& terminalPath() const { return terminalPath_; }

    // Sends one control command and returns its reply ("ok ..." or "error: ..."), or an empty
    // string when none came in time.
    std::string command(const std::string& line, std::chrono::milliseconds timeout = kReplyTimeout);

    // The number after "key=" in a reply, or -1.
    static std::int64_t field(const std::string& reply, const std::string& key);
    std::int64_t counter(const std::string& name) { return field(command("counters"), name); }
    // Asks again until `done` holds for the reply of `line`, or the time-out passes.
    bool waitFor(const std::string& line, const std::function<bool(const std::string&)>& done,
                 std::chrono::milliseconds timeout = kReplyTimeout);

    std::vector<DevsimLogLine> log() const;
    std::vector<std::string> logText() const;
    // The bytes of each request with this mnemonic the emulator has received, in order.
    std::vector<std::vector<std::uint8_t>> received(const std::string& mnemonic) const;

    // "quit", then SIGTERM, then SIGKILL; returns the exit status (-1 when killed or not run).
    int stop();

  private:
    bool readLine(std::string& line, std::chrono::steady_clock::time_point deadline);
    bool waitForExit(std::chrono::milliseconds timeout);

    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    int exitStatus_ = -1;
    bool exited_ = false;
    std::string pending_;  // stdout bytes after the last complete line
    std::string terminalPath_;
    std::string startError_;
    TempDir folder_;  // holds the request log
    std::string logPath_;
};

// The PC end of the line in tests of the emulator itself: opens the terminal the way the
// program's serial code does (raw 8N1 at 19200 baud, non-blocking).
class DevsimPort {
  public:
    explicit DevsimPort(const std::string& path);
    ~DevsimPort();
    DevsimPort(const DevsimPort&) = delete;
    DevsimPort& operator=(const DevsimPort&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    void write(const std::vector<std::uint8_t>& bytes);
    // STX, code, data, BCC.
    static std::vector<std::uint8_t> frame(std::uint8_t code, std::vector<std::uint8_t> data);
    static std::vector<std::uint8_t> request(std::uint8_t code, std::uint8_t data = 0) {
        return frame(code, {data});
    }
    // Reads until `count` bytes came or the time-out passed.
    std::vector<std::uint8_t> read(std::size_t count, std::chrono::milliseconds timeout);
    // Sends a request and reads a reply of the given length.
    std::vector<std::uint8_t> exchange(const std::vector<std::uint8_t>& request,
                                       std::size_t replyLength,
                                       std::chrono::milliseconds timeout = kReplyTimeout) {
        write(request);
        return read(replyLength, timeout);
    }

    static constexpr std::chrono::milliseconds kReplyTimeout{3000};

  private:
    bool configure();

    int fd_ = -1;
};

}  // namespace kvt::test
