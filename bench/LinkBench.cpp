// Round-trip cost of one request/reply exchange (4-byte request, 3-byte reply) against a peer on
// a pseudo-terminal that answers at once: through the link threads, and the floor of a plain
// single-threaded write and read on the same line. The difference is what the link adds.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "BenchSupport.h"

namespace {

using namespace kvt;

// The controller: answers every 4-byte request with 02 40 40.
class EchoPeer {
  public:
    EchoPeer() {
        thread_ = std::thread([this] { run(); });
    }
    ~EchoPeer() {
        stop_ = true;
        thread_.join();
    }
    const std::string& path() const { return pty_.path(); }

  private:
    void run() {
        std::uint8_t buffer[64];
        std::size_t have = 0;
        const std::uint8_t reply[] = {0x02, 0x40, 0x40};
        const int master = pty_.master();
        while (!stop_) {
            pollfd entry{master, POLLIN, 0};
            if (poll(&entry, 1, 50) <= 0) {
                continue;
            }
            const ssize_t n = read(master, buffer + have, sizeof buffer - have);
            if (n <= 0) {
                continue;
            }
            have += static_cast<std::size_t>(n);
            while (have >= 4) {
                [[maybe_unused]] auto w = write(master, reply, sizeof reply);
                std::copy(buffer + 4, buffer + have, buffer);
                have -= 4;
            }
        }
    }

    bench::RawPty pty_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void BM_PlainWriteRead(benchmark::State& state) {
    EchoPeer peer;
    const int fd = open(peer.path().c_str(), O_RDWR | O_NOCTTY);
    termios raw{};
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd, TCSANOW, &raw);
    const std::uint8_t request[] = {0x02, 0x02, 0x00, 0x02};
    for (auto _ : state) {
        [[maybe_unused]] auto w = write(fd, request, sizeof request);
        std::uint8_t reply[3];
        std::size_t got = 0;
        while (got < 3) {
            pollfd entry{fd, POLLIN, 0};
            poll(&entry, 1, 1000);
            const ssize_t n = read(fd, reply + got, 3 - got);
            got += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
    }
    close(fd);
}
BENCHMARK(BM_PlainWriteRead)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

void BM_LinkExchange(benchmark::State& state) {
    EchoPeer peer;
    bench::LinkUnderTest line(peer.path());
    LinkState& link = line.link;
    line.settings.baudCode = PortSettings::Baud57600;
    line.port.InitComPort();
    line.startThreads();
    const std::uint8_t request[] = {0x02, 0x02, 0x00, 0x02};
    auto waitWhile = [&](std::atomic<std::int32_t>& word, std::int32_t value) {
        while (word.load() == value) {
            link.actionWakeup.waitFor(std::chrono::milliseconds(100));
        }
    };
    for (auto _ : state) {
        std::copy(std::begin(request), std::end(request), link.transmitBuffer.begin());
        link.transmitLength = 4;
        link.SEND_STATE = SendRequested;
        link.wake(ThreadId::MainCtrl);
        waitWhile(link.SEND_STATE, SendRequested);
        link.expectedLength = 3;
        link.RECEIVE_STATE = ReceiveAwaited;
        link.wake(ThreadId::MainCtrl);
        link.wake(ThreadId::ReadCom);
        waitWhile(link.RECEIVE_STATE, ReceiveAwaited);
        if (link.RECEIVE_STATE.load() != ReceiveDone) {
            state.SkipWithError("exchange failed");
            break;
        }
        link.SEND_STATE = SendIdle;
        link.RECEIVE_STATE = ReceiveIdle;
    }
    line.stop();
}
BENCHMARK(BM_LinkExchange)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
