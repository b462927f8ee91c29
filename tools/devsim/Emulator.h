#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "Constants.h"
#include "ControlInput.h"
#include "Counters.h"
#include "DeviceModel.h"
#include "Faults.h"
#include "OutputLine.h"
#include "RequestLog.h"
#include "RequestParser.h"
#include "StopSignals.h"
#include "Streamer.h"
#include "Terminal.h"
#include "TerminalLink.h"

namespace kvt::devsim {

// The emulated controller on its terminal: one poll() loop that reads requests, answers them,
// streams acquisition records on time and takes control commands. Single-threaded, so every
// control command acts between two requests and its reply tells the caller it has taken effect.
class Emulator {
  public:
    Emulator(Clock::time_point origin, std::string linkPath);

    bool openLog(const std::string& path, std::string& error) { return log_.open(path, error); }
    // Opens a new terminal, points the link at it and announces "kvt-devsim: PATH" on stdout.
    bool openTerminal(std::string& error);
    void closeTerminal();
    const Terminal& terminal() const { return terminal_; }

    // Runs until "quit" or a stop signal; returns the exit status.
    int run(ControlInput& input, const StopSignals& signals);
    void requestQuit() { quit_ = true; }

    int baud() const { return baud_; }
    void setBaud(int baud);
    bool paced() const { return paced_; }
    void setPaced(bool paced);

    DeviceModel& model() { return model_; }
    Faults& faults() { return faults_; }
    const Counters& counters() const { return counters_; }

    const Streamer& streamer() const { return streamer_; }
    std::uint64_t streamRecordsSent() const { return streamSent_; }
    std::uint64_t streamRecordsLost() const { return streamLost_; }

    RequestLog& log() { return log_; }
    // One line on stdout, written whole.
    static void say(std::string_view line);
    // One line on stderr, "kvt-devsim: " in front.
    static void warn(std::string_view text);

  private:
    static void writeLine(int fd, std::string_view line);
    void onParsed(RequestParser::Kind kind, std::span<const std::uint8_t> bytes);
    void handleRequest(std::span<const std::uint8_t> frame);
    void sendReply(const RequestKind& kind, Answer answer);
    void startStream(std::chrono::microseconds period, std::uint64_t records, const char* by);
    void stopStream(const char* by);
    void sendDueRecords(Clock::time_point now);
    void readTerminal();
    void pumpOutput(Clock::time_point now);
    void runControlLines(ControlInput& input);

    Clock::time_point now_;  // time of the bytes being handled
    Terminal terminal_;
    TerminalLink link_;
    RequestLog log_;
    RequestParser parser_;
    OutputLine line_;
    Streamer streamer_;
    DeviceModel model_;
    Faults faults_;
    Counters counters_;
    int baud_ = kDefaultBaud;
    bool paced_ = false;
    bool blocked_ = false;  // the terminal took no more bytes; wait until it can
    bool quit_ = false;
    std::uint64_t streamSent_ = 0;
    std::uint64_t streamLost_ = 0;
    bool streamEndLogged_ = false;
};

}  // namespace kvt::devsim
