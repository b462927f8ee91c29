#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <fstream>

#include "support/LinkHarness.h"
#include "support/Pty.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::LinkHarness;
using test::Pty;

std::vector<std::string> infoLines(const test::RecordingTrace& trace) {
    std::vector<std::string> out;
    for (const auto& line : trace.lines()) {
        if (line.kind == 5) {
            out.push_back(line.text);
        }
    }
    return out;
}

TEST(SerialPort, OpensAndConfiguresAPseudoTerminal) {
    Pty pty;
    LinkHarness h;
    ASSERT_TRUE(h.open(pty.slavePath(), PortSettings::Baud19200));
    EXPECT_EQ(h.link().portOpen.load(), 1);
    EXPECT_EQ(infoLines(h.trace()),
              (std::vector<std::string>{" Init Com Port, Baudrate 19200", " RxQueue: 4096 bytes",
                                        "ClearComPortInputBuffer: 0", "ClearRcvQueue",
                                        " Init Com Port, ok with Baudrate: 19200"}));
    termios tio{};
    ASSERT_EQ(tcgetattr(pty.masterFd(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);

    h.port().CloseComPort();
    EXPECT_EQ(h.link().portOpen.load(), 0);
    EXPECT_EQ(infoLines(h.trace()).back(), " Close Com Port");

    ASSERT_TRUE(h.open(pty.slavePath(), PortSettings::Baud57600));
    ASSERT_EQ(tcgetattr(pty.masterFd(), &tio), 0);
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B57600));
    EXPECT_EQ(infoLines(h.trace()).back(), " Init Com Port, ok with Baudrate: 57600");
}

TEST(SerialPort, DrainsAndCountsBytesThatArrivedBeforeTheOpen) {
    Pty pty;
    pty.write(Bytes(250, 0x55));
    ASSERT_TRUE(pty.waitQueued(250));
    LinkHarness h;
    ASSERT_TRUE(h.open(pty.slavePath()));
    EXPECT_TRUE(h.trace().contains("ClearComPortInputBuffer: 250"));
    EXPECT_EQ(h.port().queuedBytes(), 0);
}

TEST(SerialPort, RefusesUnsupportedCodesBeforeAnySystemCall) {
    LinkHarness h;
    h.settings().baudCode = 4;
    EXPECT_FALSE(h.port().InitComPort());
    h.settings().baudCode = PortSettings::Baud19200;
    h.settings().portCode = 8;
    EXPECT_FALSE(h.port().InitComPort());
    EXPECT_EQ(infoLines(h.trace()),
              (std::vector<std::string>{" Init Com Port, not supported Baudrate: 4",
                                        " Init Com Port, Baudrate 19200",
                                        " Init Com Port, not supported Com: 8"}));
    EXPECT_FALSE(h.port().isOpen());
}

TEST(SerialPort, UnknownBaudrateIsRefusedLikeABadLineSetting) {
    Pty pty;
    LinkHarness h;
    EXPECT_FALSE(h.open(pty.slavePath(), PortSettings::BaudUnknown));
    EXPECT_EQ(infoLines(h.trace()),
              (std::vector<std::string>{" Init Com Port, unknown Baudrate",
                                        " Init Com Port, CommState error: 22", " Close Com Port"}));
    EXPECT_EQ(h.link().portOpen.load(), 0);
}

TEST(SerialPort, AMissingDeviceOrAFileThatIsNoTerminalIsRefused) {
    struct Case {
        const char* path;
        std::vector<std::string> lastLines;
    };
    const Case cases[] = {
        {"/dev/kvt-no-such-device", {" Init Com Port, Handle error: 2"}},
        {"/dev/null", {" Init Com Port, CommState error: 25", " Close Com Port"}}};
    for (const Case& c : cases) {
        LinkHarness h;
        EXPECT_FALSE(h.open(c.path));
        EXPECT_FALSE(h.port().isOpen());
        const auto lines = infoLines(h.trace());
        ASSERT_GE(lines.size(), c.lastLines.size());
        EXPECT_EQ(std::vector<std::string>(lines.end() - c.lastLines.size(), lines.end()),
                  c.lastLines)
            << c.path;
    }
}

TEST(SerialPort, WritesAndReadsBytes) {
    Pty pty;
    LinkHarness h;
    ASSERT_TRUE(h.open(pty.slavePath()));
    EXPECT_EQ(h.port().writeAll(Bytes{0x02, 0x23, 0x00, 0x23}), SerialPort::WriteResult::Written);
    EXPECT_EQ(pty.read(4, std::chrono::seconds(2)), (Bytes{0x02, 0x23, 0x00, 0x23}));
    pty.write({0x02, 0x17, 0x17});
    std::uint8_t buffer[8];
    int got = 0;
    for (int i = 0; i < 200 && got < 3; ++i) {
        const int n = h.port().readSome(std::span(buffer + got, sizeof buffer - got));
        ASSERT_GE(n, 0);
        got += n;
        if (got < 3) {
            h.port().waitReadable(h.link().readComWakeup, std::chrono::milliseconds(10));
        }
    }
    EXPECT_EQ(Bytes(buffer, buffer + got), (Bytes{0x02, 0x17, 0x17}));
}

TEST(SerialPort, AClosedFarEndIsReportedAsADeviceGone) {
    Pty pty;
    LinkHarness h;
    ASSERT_TRUE(h.open(pty.slavePath()));
    pty.closeMaster();
    EXPECT_EQ(h.port().waitReadable(h.link().readComWakeup, std::chrono::milliseconds(1000)),
              SerialPort::WaitResult::Gone);
    EXPECT_EQ(h.link().deviceGone.load(), 1);
    EXPECT_EQ(h.port().writeAll(Bytes{1, 2, 3}), SerialPort::WriteResult::Failed);
    h.port().ClearComPortInputBuffer();  // must return although the line is dead
}

}  // namespace
}  // namespace kvt
