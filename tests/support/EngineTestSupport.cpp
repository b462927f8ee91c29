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
