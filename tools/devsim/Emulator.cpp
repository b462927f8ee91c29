#include "Emulator.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "ControlCommands.h"
#include "StreamSignal.h"
#include "link/Frame.h"

namespace kvt::devsim {

namespace {

std::chrono::nanoseconds byteTimeAt(int baud) {
    return std::chrono::nanoseconds(1'000'000'000LL * kBitsPerByte / baud);
}

bool checksumRight(std::span<const std::uint8_t> frame) {
    return ComputeBcc(frame.subspan(1, frame.size() - 2)) == frame.back();
}

std::string baudNote(int line, int device) {
    return "ignored: line at " + (line > 0 ? std::to_string(line) : std::string("an unknown")) +
           " baud, device at " + std::to_string(device);
}

}  // namespace

Emulator::Emulator(Clock::time_point origin, std::string linkPath)
    : now_(origin),
      link_(std::move(linkPath)),
      log_(origin),
      parser_([this](RequestParser::Kind kind, std::span<const std::uint8_t> bytes) {
          onParsed(kind, bytes);
      }) {}

void Emulator::say(std::string_view line) {
    writeLine(STDOUT_FILENO, line);
}

void Emulator::warn(std::string_view text) {
    writeLine(STDERR_FILENO, "kvt-devsim: " + std::string(text));
}

void Emulator::writeLine(int fd, std::string_view line) {
    std::string text(line);
    text.push_back('\n');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

bool Emulator::openTerminal(std::string& error) {
    if (!terminal_.open(baud_, error)) {
        return false;
    }
    std::string linkError;
    if (!link_.pointTo(terminal_.slavePath(), linkError)) {
        warn(linkError);
    }
    log_.event(Clock::now(), "terminal " + terminal_.slavePath() + " open");
    say("kvt-devsim: " + terminal_.slavePath());
    return true;
}

void Emulator::closeTerminal() {
    if (!terminal_.isOpen()) {
        return;
    }
    parser_.reset();
    line_.clear();
    blocked_ = false;
    log_.event(Clock::now(), "terminal " + terminal_.slavePath() + " closed");
    terminal_.close();
    link_.remove();
}

void Emulator::setBaud(int baud) {
    baud_ = baud;
    line_.setByteTime(paced_ ? byteTimeAt(baud) : std::chrono::nanoseconds(0));
}

void Emulator::setPaced(bool paced) {
    paced_ = paced;
    setBaud(baud_);
}

int Emulator::run(ControlInput& input, const StopSignals& signals) {
    while (!quit_ && !StopSignals::raised()) {
        const Clock::time_point now = Clock::now();
        sendDueRecords(now);
        pumpOutput(now);

        pollfd fds[2];
        nfds_t count = 0;
        int inputIndex = -1;
        int terminalIndex = -1;
        if (input.open()) {
            inputIndex = static_cast<int>(count);
            fds[count++] = {input.fd(), POLLIN, 0};
        }
        if (terminal_.isOpen()) {
            terminalIndex = static_cast<int>(count);
            fds[count++] = {terminal_.masterFd(),
                            static_cast<short>(POLLIN | (blocked_ ? POLLOUT : 0)), 0};
        }

        std::optional<Clock::time_point> wake = streamer_.nextDue();
        if (const auto due = line_.nextDue(now); due && (!wake || *due < *wake)) {
            wake = due;
        }
        timespec timeout{};
        timespec* timeoutPointer = nullptr;
        if (wake) {
            const auto wait = std::max(Clock::duration::zero(), *wake - Clock::now());
            const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
            timeout.tv_sec = static_cast<time_t>(nanos / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(nanos % 1'000'000'000);
            timeoutPointer = &timeout;
        }
        const int ready = ::ppoll(fds, count, timeoutPointer, &signals.waitMask());
        if (ready <= 0) {
            continue;  // time-out, or a signal that the loop condition picks up
        }
        if (terminalIndex >= 0) {
            const short events = fds[terminalIndex].revents;
            if (events & POLLOUT) {
                blocked_ = false;
            }
            if (events & (POLLIN | POLLHUP | POLLERR)) {
                readTerminal();
            }
        }
        if (inputIndex >= 0 && (fds[inputIndex].revents & (POLLIN | POLLHUP | POLLERR))) {
            runControlLines(input);
        }
    }
    const Clock::time_point end = Clock::now();
    log_.event(end, "counters " + counters_.format());
    closeTerminal();
    return 0;
}

void Emulator::runControlLines(ControlInput& input) {
    for (const std::string& line : input.readLines()) {
        if (line == ControlInput::kOverlong) {
            say("error: line longer than " + std::to_string(kMaxControlLine) + " characters");
            continue;
        }
        CommandContext context{*this, [](std::string_view text) { say(text); }, false, 0};
        const std::string reply = runControlCommand(context, line);
        if (!reply.empty()) {
            say(reply);
        }
        if (quit_) {
            return;
        }
    }
}

void Emulator::readTerminal() {
    std::uint8_t buffer[4096];
    const ssize_t n = ::read(terminal_.masterFd(), buffer, sizeof buffer);
    if (n <= 0) {
        if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
            log_.event(Clock::now(), "terminal read failed, closing it");
            closeTerminal();
        }
        return;
    }
    now_ = Clock::now();
    const std::span<const std::uint8_t> bytes(buffer, static_cast<std::size_t>(n));
    const int lineBaud = terminal_.lineBaud();
    if (lineBaud != baud_) {
        // At another rate a UART sees only framing errors: nothing it could answer.
        parser_.reset();
        counters_.wrongBaudBytes += bytes.size();
        log_.bytes(now_, "rx", "---", bytes, baudNote(lineBaud, baud_));
        return;
    }
    parser_.feed(bytes, now_);
}

void Emulator::onParsed(RequestParser::Kind kind, std::span<const std::uint8_t> bytes) {
    switch (kind) {
        case RequestParser::Kind::Request:
            handleRequest(bytes);
            break;
        case RequestParser::Kind::Discarded:
            counters_.strayBytes += bytes.size();
            log_.bytes(now_, "rx", "---", bytes, "no STX, discarded");
            break;
        case RequestParser::Kind::Incomplete:
            ++counters_.incomplete;
            log_.bytes(now_, "rx", "---", bytes, "incomplete request given up");
            break;
    }
}

void Emulator::handleRequest(std::span<const std::uint8_t> frame) {
    ++counters_.requests;
    const RequestKind* kind = findRequest(frame[1]);
    const char* mnemonic = kind != nullptr ? kind->mnemonic : "---";
    if (faults_.dead) {
        ++counters_.dropped;
        log_.bytes(now_, "rx", mnemonic, frame, "dead line, no answer");
        return;
    }
    if (kind == nullptr || !model_.knows(*kind)) {
        ++counters_.unknown;
        log_.bytes(now_, "rx", mnemonic, frame, "unknown request, no answer");
        return;
    }
    if (faults_.drop > 0) {
        --faults_.drop;
        ++counters_.dropped;
        log_.bytes(now_, "rx", mnemonic, frame, "dropped on request, no answer");
        return;
    }

    Answer answer;
    if (faults_.nak > 0) {
        --faults_.nak;
        answer.reply = model_.rejectReply(*kind);
        log_.bytes(now_, "rx", mnemonic, frame, "refused on request");
    } else if (!checksumRight(frame)) {
        ++counters_.badChecksums;
        answer.reply = model_.rejectReply(*kind);
        log_.bytes(now_, "rx", mnemonic, frame, "wrong BCC, refused");
    } else {
        log_.bytes(now_, "rx", mnemonic, frame);
        answer = model_.handle(*kind, frame);
    }

    // PAS: the last record goes out whole before the ACK. SAS, TAS: the ACK goes first.
    if (answer.stream == StreamChange::Stop) {
        stopStream(mnemonic);
    }
    const StreamChange change = answer.stream;
    const auto period = answer.streamPeriod;
    const std::uint64_t records = answer.streamRecords;
    sendReply(*kind, std::move(answer));
    if (change == StreamChange::Start) {
        startStream(period, records, mnemonic);
    }
}

void Emulator::sendReply(const RequestKind& kind, Answer answer) {
    if (answer.reply.empty()) {
        return;
    }
    // Noise goes out with the reply in one piece, so the tool finds it in front of the reply
    // however fast it reads.
    std::vector<std::uint8_t> noise(faults_.noise, faults_.noiseByte);
    if (!noise.empty()) {
        counters_.noiseBytes += noise.size();
        faults_.noise = 0;
        log_.bytes(now_, "tx", "---", noise, "noise on request");
    }
    std::string note = std::move(answer.note);
    if (answer.dataReply && faults_.badBcc > 0) {
        --faults_.badBcc;
        ++counters_.corrupted;
        answer.reply.back() = static_cast<std::uint8_t>(answer.reply.back() + 1);
        note = note.empty() ? "wrong BCC on request" : note + "; wrong BCC on request";
    }
    if (answer.dataReply) {
        ++counters_.dataReplies;
    } else if (answer.reply.front() == ACK) {
        ++counters_.acks;
    } else {
        ++counters_.naks;
    }
    log_.bytes(now_, "tx", kind.mnemonic, answer.reply, note);
    noise.insert(noise.end(), answer.reply.begin(), answer.reply.end());
    line_.enqueue(noise, now_);
}

void Emulator::startStream(std::chrono::microseconds period, std::uint64_t records,
                           const char* by) {
    const bool restart = streamer_.active();
    streamer_.start(now_, period, records);
    streamSent_ = 0;
    streamLost_ = 0;
    streamEndLogged_ = false;
    ++counters_.streams;
    log_.event(now_, std::string(restart ? "stream restarted by " : "stream started by ") + by +
                         ", period " + std::to_string(period.count()) + " us");
}

void Emulator::stopStream(const char* by) {
    if (!streamer_.active()) {
        return;
    }
    sendDueRecords(now_);
    streamer_.stop();
    log_.event(now_, std::string("stream stopped by ") + by + " after " +
                         std::to_string(streamer_.records()) + " records (" +
                         std::to_string(streamLost_) + " lost)");
}

void Emulator::sendDueRecords(Clock::time_point now) {
    if (!streamer_.due(now)) {
        return;
    }
    // A record the PC cannot receive is lost, as on a real line; the numbering goes on.
    const bool deliverable = terminal_.isOpen() && !faults_.dead && terminal_.lineBaud() == baud_;
    while (const auto k = streamer_.due(now)) {
        streamer_.advance();
        if (!deliverable || line_.pending() + kStreamRecordSize > kMaxPendingOutput) {
            ++streamLost_;
            ++counters_.recordsLost;
            continue;
        }
        const StreamRecord record = streamRecordAt(*k);
        line_.enqueue(record, now);
        ++streamSent_;
        ++counters_.recordsSent;
    }
    if (streamer_.finished() && !streamer_.active() && !streamEndLogged_) {
        streamEndLogged_ = true;
        log_.event(now, "stream ended by itself after " + std::to_string(streamer_.records()) +
                            " records (" + std::to_string(streamLost_) + " lost)");
    }
}

void Emulator::pumpOutput(Clock::time_point now) {
    if (!terminal_.isOpen() || blocked_ || line_.pending() == 0) {
        return;
    }
    switch (line_.flush(terminal_.masterFd(), now)) {
        case OutputLine::Flush::Done:
            break;
        case OutputLine::Flush::Blocked:
            blocked_ = true;
            break;
        case OutputLine::Flush::Failed:
            log_.event(now, "terminal write failed, output dropped");
            line_.clear();
            break;
    }
}

}  // namespace kvt::devsim
