#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "FileTestSupport.h"
#include "link/TraceLog.h"

namespace kvt {
namespace {

using test::readFile;

std::tm fixedTime() {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 6;
    t.tm_hour = 14;
    t.tm_min = 5;
    t.tm_sec = 9;
    return t;
}

class TraceLogTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    TraceLog log{fixedTime};
};

// The other tests open with test mode 0, which writes no flag line.
TEST_F(TraceLogTest, TheHeaderTestModeWordAndLinesWithTheirHeadBodyAndTail) {
    log.setLogFlag(true);
    log.open(dir.path(), "KVT Service", 0x1);
    const std::uint8_t request[] = {0x02, 0x02, 0x00, 0x02};
    log.bytes(request, 1, "/src/link/LinkThreads.cpp", 42);
    log.text("ClearRcvQueue", 5, "FrameExtractor.cpp", 7);
    log.text("Send Timeout ", 2, "a\\b\\ComThread.cpp", 1);
    log.bytes(std::span(request, 3), 3, "x.cpp", 2);
    log.text("Action KPR", 7, "x.cpp", 3);
    log.text("odd", 6, "x.cpp", 4);
    log.text("Receive Timeout max retry", 4, "x.cpp", 5);
    log.close();
    const std::string expected =
        "KVT Service  'Release 0.05' DEBUG-File 12/06/26 14:05:09 \r\n"
        " uTestMode Flag: 1 \r\n"
        "Snd  14:05:09: '02020002' \t[File: LinkThreads.cpp, Line: 42] \r\n"
        "Info 14:05:09: 'ClearRcvQueue' \t[File: FrameExtractor.cpp, Line: 7] \r\n"
        "Snd  14:05:09: 'Send Timeout ' \t[File: ComThread.cpp, Line: 1] \r\n"
        "Rcv  14:05:09: '020200' \t[File: x.cpp, Line: 2] \r\n"
        "Rcv  14:05:09: 'Action KPR STX/BCC Error' \t[File: x.cpp, Line: 3] \r\n"
        "xxx  14:05:09: 'odd' \t[File: x.cpp, Line: 4] \r\n"
        "Rcv  14:05:09: 'Receive Timeout max retry' \t[File: x.cpp, Line: 5] \r\n";
    EXPECT_EQ(readFile(dir / "debug.txt"), expected);
}

TEST_F(TraceLogTest, WithoutTheLogFlagOrAFileTracingStaysOff) {
    log.open(dir.path(), "T", 0);
    log.text("x", 5, "x.cpp", 1);
    EXPECT_FALSE(log.enabled());
    log.close();
    // open() is only called with the flag; the writer itself stays silent without it.
    EXPECT_EQ(readFile(dir / "debug.txt").find("'x'"), std::string::npos);

    log.setLogFlag(true);
    log.open(dir / "no" / "such" / "folder", "T", 0);
    EXPECT_FALSE(log.enabled());
    log.text("x", 5, "x.cpp", 1);  // must not crash
}

TEST_F(TraceLogTest, HoldsTheLargestFrameAndCutsOverlongTexts) {
    log.setLogFlag(true);
    log.open(dir.path(), "T", 0);
    std::vector<std::uint8_t> frame(20000, 0xAB);
    log.bytes(frame, 1, "x.cpp", 1);
    log.text(std::string(140000, 'e'), 4, "x.cpp", 2);
    log.close();
    std::istringstream lines(readFile(dir / "debug.txt"));
    std::string header, first, second;
    std::getline(lines, header);
    std::getline(lines, first);
    std::getline(lines, second);
    auto bodyOf = [](const std::string& line) {
        const auto start = line.find(": '") + 3;
        return line.substr(start, line.rfind("' \t[File:") - start);
    };
    std::string hex;
    for (int i = 0; i < 20000; ++i) {
        hex += "AB";
    }
    EXPECT_EQ(bodyOf(first), hex);
    EXPECT_EQ(bodyOf(second), std::string(40000, 'e'));
    EXPECT_NE(second.find("' \t[File: x.cpp, Line: 2] \r"), std::string::npos);
}

TEST_F(TraceLogTest, LinesFromFourThreadsNeverInterleave) {
    log.setLogFlag(true);
    log.open(dir.path(), "T", 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < 500; ++i) {
                log.text(std::string(50 + (i % 7) * 300, static_cast<char>('a' + t)), 5, "x.cpp",
                         static_cast<unsigned>(i));
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    log.close();
    std::istringstream lines(readFile(dir / "debug.txt"));
    std::string line;
    std::getline(lines, line);
    const std::string head = "Info 14:05:09: '";
    int count = 0;
    while (std::getline(lines, line)) {
        // A whole line: the head, one thread's letter repeated, and the tail.
        ASSERT_EQ(line.rfind(head, 0), 0u) << line.substr(0, 80);
        const std::size_t tail = line.find("' \t[File: x.cpp, Line: ");
        ASSERT_NE(tail, std::string::npos) << line.substr(0, 80);
        const std::string body = line.substr(head.size(), tail - head.size());
        ASSERT_FALSE(body.empty());
        ASSERT_EQ(body.find_first_not_of(body[0]), std::string::npos) << body.substr(0, 80);
        ASSERT_GE(body[0], 'a');
        ASSERT_LE(body[0], 'd');
        ASSERT_EQ(line.back(), '\r');
        ++count;
    }
    EXPECT_EQ(count, 2000);
}

}  // namespace
}  // namespace kvt
