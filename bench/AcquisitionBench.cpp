// Acquisition figures:
//  1. decoding a block of 2000 records into the sample buffers, in ns per record (Step Mode,
//     and Trigger Mode with its shift and trigger test);
//  2. a Trigger Mode recording at 4 ms from kvt-devsim paced at 57600 baud for a number of
//     seconds (default 60): every record the emulator sent is checked in sequence as it reaches
//     the engine, and the process's CPU time while streaming is printed as a share of one core.
// Usage: AcquisitionBench [seconds]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../tools/devsim/StreamSignal.h"
#include "BenchSupport.h"
#include "data/Records.h"
#include "data/ScopeModel.h"
#include "engine/AcquisitionCommands.h"
#include "engine/AcquisitionRecorder.h"
#include "engine/DeviceSession.h"

namespace {

using namespace kvt;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr int kBlockRecords = 2000;
constexpr int kDecodeRounds = 3000;

Bytes streamBlock(std::uint64_t first, int count) {
    Bytes out;
    out.reserve(static_cast<std::size_t>(count) * kStreamRecordSize);
    for (int r = 0; r < count; ++r) {
        const auto record = devsim::streamRecordAt(first + static_cast<std::uint64_t>(r));
        out.insert(out.end(), record.begin(), record.end());
    }
    return out;
}

// Best of three runs of `rounds` blocks, in ns per record.
template <typename Round>
double nsPerRecord(Round round) {
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        for (int i = 0; i < kDecodeRounds; ++i) {
            round();
        }
        const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        best = std::min(best, ns / (static_cast<double>(kDecodeRounds) * kBlockRecords));
    }
    return best;
}

void decodeFigures() {
    auto samples = std::make_unique<AcquisitionBuffers>();
    NullTrace trace;
    AcquisitionRecorder recorder(*samples, trace);
    const Bytes block = streamBlock(0, kBlockRecords);
    ScopeSettings settings;
    resetScopeSettings(settings);
    settings.acqTime = 20;

    const AcquisitionPlan step = AcquisitionPlan::from(settings, false);
    const double stepNs = nsPerRecord([&] {
        recorder.start(step);
        recorder.takeBlock(block);
    });

    const AcquisitionPlan roll = AcquisitionPlan::from(settings, true);
    recorder.start(roll);
    const double rollNs = nsPerRecord([&] { recorder.takeBlock(block); });

    settings.triggerChannel = 1;
    settings.triggerValue = 101;  // above every value a byte gives: tested on every record
    const AcquisitionPlan armed = AcquisitionPlan::from(settings, true);
    recorder.start(armed);
    recorder.restartSampleCounter();
    const double armedNs = nsPerRecord([&] { recorder.takeBlock(block); });

    std::printf(
        "decode, block of %d records: Step Mode %.2f ns/record; Trigger Mode rolling "
        "(shift of 5000 entries x 8 channels) %.2f ns/record; with the trigger test "
        "%.2f ns/record\n",
        kBlockRecords, stepNs, rollNs, armedNs);
}

// Checks every stream record that reaches the engine against the emulator's numbering.
class SequenceTrace final : public TraceSink {
  public:
    bool enabled() const override { return false; }
    void text(std::string_view, int, const char*, unsigned) override {}
    void bytes(std::span<const std::uint8_t> data, int kind, const char*, unsigned) override {
        if (kind != static_cast<int>(TraceKind::ReceiveBytes) ||
            data.size() % kStreamRecordSize != 0 || data.size() < kStreamRecordSize ||
            !counting.load()) {
            return;
        }
        for (std::size_t r = 0; r < data.size(); r += kStreamRecordSize) {
            const auto expected = devsim::streamRecordAt(next_);
            if (std::equal(expected.begin(), expected.end(), data.begin() + static_cast<long>(r))) {
                ++next_;
                ++inSequence;
                continue;
            }
            ++outOfSequence;
            // Find the record again among the next ones, to count what was skipped.
            for (std::uint64_t k = next_ + 1; k < next_ + 100000; ++k) {
                const auto candidate = devsim::streamRecordAt(k);
                if (std::equal(candidate.begin(), candidate.end(),
                               data.begin() + static_cast<long>(r))) {
                    skipped += k - next_;
                    next_ = k + 1;
                    break;
                }
            }
        }
    }

    std::atomic<bool> counting{true};
    std::atomic<std::uint64_t> inSequence{0};
    std::atomic<std::uint64_t> outOfSequence{0};
    std::atomic<std::uint64_t> skipped{0};

  private:
    std::uint64_t next_ = 0;
};

// The scope view without a window: every display update is painted at once.
class CountingView final : public Notifier {
  public:
    explicit CountingView(AcquisitionFlags& flags) : flags_(flags) {}
    void send(int code, std::intptr_t, const AbandonCheck&) override {
        if (code == notify::kDisplayUpdate) {
            flags_.displayUpdatePending = 0;
            ++updates;
        }
        std::lock_guard lock(mutex_);
        codes_.push_back(code);
        cv_.notify_all();
    }
    void post(int code, std::intptr_t) override {
        std::lock_guard lock(mutex_);
        codes_.push_back(code);
        cv_.notify_all();
    }
    BoxResult messageBox(const MessageBoxRequest&, const AbandonCheck&) override {
        return BoxResult::Ok;
    }
    bool waitFor(int code, std::chrono::seconds timeout) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, timeout, [&] {
            return std::find(codes_.begin(), codes_.end(), code) != codes_.end();
        });
    }
    std::atomic<int> updates{0};

  private:
    AcquisitionFlags& flags_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<int> codes_;
};

class BenchStrings final : public Strings {
  public:
    std::string text(int) override { return {}; }
    std::string builtin(int) override { return {}; }
    bool libraryLoaded() const override { return false; }
};

// kvt-devsim as a child: its terminal from the first line, control commands on stdin.
class Emulator {
  public:
    explicit Emulator(const std::vector<std::string>& args) {
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(KVT_DEVSIM_PATH));
            for (const auto& a : args) {
                argv.push_back(const_cast<char*>(a.c_str()));
            }
            argv.push_back(nullptr);
            ::execv(KVT_DEVSIM_PATH, argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        toChild_ = in[1];
        fromChild_ = out[0];
        const std::string first = readLine();
        const std::string prefix = "kvt-devsim: ";
        if (first.rfind(prefix, 0) == 0) {
            path_ = first.substr(prefix.size());
        }
    }
    ~Emulator() {
        command("quit");
        if (pid_ > 0) {
            int status = 0;
            for (int i = 0; i < 300 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
        ::close(toChild_);
        ::close(fromChild_);
    }
    const std::string& path() const { return path_; }

    std::string command(const std::string& line) {
        const std::string text = line + "\n";
        if (::write(toChild_, text.data(), text.size()) < 0) {
            return {};
        }
        for (int i = 0; i < 50; ++i) {
            const std::string reply = readLine();
            if (reply.rfind("ok", 0) == 0 || reply.rfind("error", 0) == 0 || reply.empty()) {
                return reply;
            }
        }
        return {};
    }
    static long long field(const std::string& reply, const std::string& key) {
        const std::size_t at = reply.find(key + "=");
        return at == std::string::npos ? -1 : std::atoll(reply.c_str() + at + key.size() + 1);
    }

  private:
    std::string readLine() {
        std::string line;
        for (;;) {
            const std::size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            pollfd entry{fromChild_, POLLIN, 0};
            if (::poll(&entry, 1, 5000) <= 0) {
                return {};
            }
            char chunk[512];
            const ssize_t n = ::read(fromChild_, chunk, sizeof chunk);
            if (n <= 0) {
                return {};
            }
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::string buffer_;
    std::string path_;
};

int streamFigures(int seconds) {
    Emulator emulator({"--baud", "57600", "--paced"});
    if (emulator.path().empty()) {
        std::fprintf(stderr, "kvt-devsim did not start\n");
        return 1;
    }
    auto records = std::make_unique<Records>();
    resetScopeSettings(records->scope);  // Trigger Mode, 8 s, 4 ms, no trigger channel: rolls
    SequenceTrace trace;
    CountingView view(records->acquisition);
    BenchStrings strings;
    DeviceSession session(*records, trace, view, strings);
    session.port().setDeviceOverride(emulator.path());
    records->port.baudCode = PortSettings::Baud57600;
    if (!session.port().InitComPort()) {
        std::fprintf(stderr, "cannot open %s\n", emulator.path().c_str());
        return 1;
    }
    session.start();
    session.engine().post(cmd::kTriggerAcquisition);
    if (!view.waitFor(notify::kDisplayUpdate, std::chrono::seconds(10))) {
        std::fprintf(stderr, "no display update from the stream\n");
        return 1;
    }
    const double cpuBefore = bench::processCpuSeconds();
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double cpu = bench::processCpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    const int updates = view.updates.load();

    requestAcquisitionStop(session.engine());
    const bool ended = view.waitFor(notify::kAcquisitionEnded, std::chrono::seconds(10));
    trace.counting = false;
    session.stop();
    const std::string count = emulator.command("count");

    const long long generated = Emulator::field(count, "records");
    const long long sent = Emulator::field(count, "sent");
    const long long lostByEmulator = Emulator::field(count, "lost");
    const auto received = static_cast<long long>(trace.inSequence.load());
    std::printf("stream, Trigger Mode at 4 ms, kvt-devsim paced at 57600 baud, %.1f s:\n", wall);
    std::printf(
        "  emulator: %lld records generated, %lld sent, %lld lost at its end (%s)\n", generated,
        sent, lostByEmulator,
        count.find("streaming=no") != std::string::npos ? "stopped by PAS" : "STILL STREAMING");
    std::printf(
        "  engine: %lld records reached the buffers in sequence, %llu out of sequence, "
        "%llu skipped\n",
        received, static_cast<unsigned long long>(trace.outOfSequence.load()),
        static_cast<unsigned long long>(trace.skipped.load()));
    std::printf("  sent but not stored: %lld (in the line when the stop emptied the input)\n",
                sent - received);
    std::printf("  display updates: %d (%.2f per second); stop %s\n", updates, updates / wall,
                ended ? "ended with 0x31" : "DID NOT END");
    std::printf("  CPU while streaming: %.3f s over %.1f s = %.2f %% of one core\n", cpu, wall,
                100.0 * cpu / wall);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    decodeFigures();
    return streamFigures(seconds);
}
