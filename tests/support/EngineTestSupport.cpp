#include "support/EngineTestSupport.h"

#include <termios.h>

#include <algorithm>
#include <cstdio>

#include "link/Frame.h"

namespace kvt::test {

std::vector<std::uint8_t> frame(std::uint8_t code, std::uint8_t value) {
    return {STX, code, value, static_cast<std::uint8_t>(code + value)};
}

std::vector<std::uint8_t> dataReply(const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> out(data.size() + 2);
    out[0] = STX;
    std::copy(data.begin(), data.end(), out.begin() + 1);
    out.back() = ComputeBcc(data);
    return out;
}

int lineSpeed(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        return 0;
    }
    switch (cfgetospeed(&tio)) {
        case B19200:
            return 19200;
        case B57600:
            return 57600;
        default:
            return 0;
    }
}

namespace {

// Milliseconds until the nearest engine timer runs out; 0 when none runs or an exchange is in
// flight (its reply or time-out comes first).
std::int32_t engineTimerLeft(const LinkState& link) {
    if (link.SEND_STATE.load() == SendRequested || link.RECEIVE_STATE.load() == ReceiveAwaited) {
        return 0;
    }
    std::int32_t wait = 0;
    for (int timer : {TimerRetryPause, TimerEngineWait, TimerAcqBlock, TimerAcqStop}) {
        const std::int32_t left = link.timers.get(timer);
        if (left > 0 && (wait == 0 || left < wait)) {
            wait = left;
        }
    }
    return wait;
}

}  // namespace

bool advanceToEngineTimer(LinkState& link, ManualTickSource& ticks) {
    if (engineTimerLeft(link) == 0 || !ticks.settle(2, std::chrono::milliseconds(200))) {
        return false;
    }
    // Looked at again: the threads may have moved on while they settled.
    const std::int32_t wait = engineTimerLeft(link);
    if (wait == 0) {
        return false;
    }
    ticks.advance(static_cast<std::uint32_t>(wait));
    return true;
}

void printTraceTail(const RecordingTrace& trace, std::size_t count) {
    const auto lines = trace.lines();
    for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i) {
        std::printf("trace %d %.200s\n", lines[i].kind, lines[i].text.c_str());
    }
}

void PaintingView::send(int code, std::intptr_t value, const AbandonCheck& abandon) {
    if (code == notify::kDisplayUpdate && paints) {
        flags_.displayUpdatePending = 0;
    }
    recording.send(code, value, abandon);
}

std::vector<std::intptr_t> PaintingView::updates() const {
    std::vector<std::intptr_t> out;
    for (const auto& note : recording.notes()) {
        if (note.code == notify::kDisplayUpdate) {
            out.push_back(note.value);
        }
    }
    return out;
}

}  // namespace kvt::test
