// Whole device actions through the engine and the three link threads against kvt-devsim on a
// pseudo-terminal: Read Parameter (42 exchanges, 3-byte replies) and Read Matrix (57 exchanges,
// 26 of them with 12-byte replies), with the emulator answering at once and paced at 19200 baud.
// For comparison, the same requests in a plain single-threaded blocking loop on the same line;
// the difference per exchange is what the hand-offs between the four threads cost.
//
// The line-time floor counts 10 bits per byte at 19200 baud over every request and reply byte.
// A pseudo-terminal does not delay the PC's request bytes (the paced emulator delays only its
// own output), so the floor of the replies alone is printed as well.
//
// Usage: EngineActionsBench [RUNS]   (unpaced runs per figure; paced runs are a tenth of that)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "data/Records.h"
#include "engine/DeviceSession.h"
#include "link/Frame.h"

namespace {

using namespace kvt;
using Clock = std::chrono::steady_clock;

constexpr int kBaud = 19200;
constexpr double kBitsPerByte = 10.0;
constexpr std::chrono::seconds kActionTimeout{30};

// --- the emulator as a child process ---

class DevsimProcess {
  public:
    explicit DevsimProcess(bool paced) {
        int out[2];
        int in[2];
        if (pipe(out) != 0 || pipe(in) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            close(in[1]);
            close(out[0]);
            const char* args[] = {KVT_DEVSIM_PATH, "--baud", "19200", paced ? "--paced" : nullptr,
                                  nullptr};
            execv(KVT_DEVSIM_PATH, const_cast<char* const*>(args));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        toChild_ = in[1];
        fromChild_ = out[0];
        path_ = readFirstLine();
    }

    ~DevsimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
        if (toChild_ >= 0) {
            close(toChild_);
        }
        if (fromChild_ >= 0) {
            close(fromChild_);
        }
    }
    DevsimProcess(const DevsimProcess&) = delete;
    DevsimProcess& operator=(const DevsimProcess&) = delete;

    // The terminal path, empty when the emulator did not start.
    const std::string& path() const { return path_; }

  private:
    std::string readFirstLine() {
        static constexpr std::string_view kPrefix = "kvt-devsim: ";
        std::string line;
        char c = 0;
        while (read(fromChild_, &c, 1) == 1 && c != '\n') {
            line += c;
        }
        return line.rfind(kPrefix, 0) == 0 ? line.substr(kPrefix.size()) : std::string{};
    }

    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::string path_;
};

// --- what the engine needs from the user interface ---

class WaitingNotifier final : public Notifier {
  public:
    void send(int code, std::intptr_t, const AbandonCheck&) override { add(code); }
    void post(int code, std::intptr_t) override { add(code); }
    BoxResult messageBox(const MessageBoxRequest& request, const AbandonCheck&) override {
        std::fprintf(stderr, "message box: %s\n", request.text.c_str());
        return BoxResult::Ok;
    }

    // Waits for the next notification; returns its code, or -1 after the time-out.
    int next() {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_for(lock, kActionTimeout, [&] { return !codes_.empty(); })) {
            return -1;
        }
        const int code = codes_.front();
        codes_.erase(codes_.begin());
        return code;
    }

  private:
    void add(int code) {
        std::lock_guard lock(mutex_);
        codes_.push_back(code);
        cv_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<int> codes_;
};

class TitleStrings final : public Strings {
  public:
    std::string text(int id) override { return builtin(id); }
    std::string builtin(int id) override { return id == ids::kAppTitle ? "KVT" : "?"; }
    bool libraryLoaded() const override { return false; }
};

// The engine with its link threads, connected to a fresh emulator.
struct Rig {
    explicit Rig(const std::string& path) {
        session.port().setDeviceOverride(path);
        session.start();
    }
    ~Rig() { session.stop(); }

    bool connect() {
        // Sends nothing itself, but runs the baud-rate test that opens the port.
        return run(cmd::kResetCalibrationCounter, notify::kCalibrationCounterReset);
    }

    bool run(std::uint32_t bit, int doneCode) {
        session.engine().post(bit);
        return notifier.next() == doneCode;
    }

    std::unique_ptr<Records> records = std::make_unique<Records>();
    NullTrace trace;
    WaitingNotifier notifier;
    TitleStrings strings;
    DeviceSession session{*records, trace, notifier, strings};
};

struct ActionShape {
    const char* name;
    std::uint32_t bit;
    int doneCode;
    int exchanges;
    int requestBytes;
    int replyBytes;
};

// 42 × (4 + 3) bytes.
constexpr ActionShape kReadParameter{
    "Read Parameter", cmd::kReadParameter, notify::kParametersRead, 42, 42 * 4, 42 * 3};
// 26 × (ARS 4 + 1, WAR 4 + 12) + 5 × (4 + 3) bytes.
constexpr ActionShape kReadMatrix{"Read Matrix", cmd::kReadMatrix,     notify::kMatrixRead, 57,
                                  57 * 4,        26 * (1 + 12) + 5 * 3};

double lineMs(int bytes) {
    return bytes * kBitsPerByte * 1000.0 / kBaud;
}

// The requests of an action with their reply lengths.
std::vector<std::pair<std::vector<std::uint8_t>, std::size_t>> requestsOf(const ActionShape& s) {
    std::vector<std::pair<std::vector<std::uint8_t>, std::size_t>> out;
    auto add = [&](std::uint8_t code, std::uint8_t value, std::size_t reply) {
        out.push_back({{STX, code, value, static_cast<std::uint8_t>(code + value)}, reply});
    };
    if (s.bit == cmd::kReadParameter) {
        const std::uint8_t codes[] = {
            0x02, 0x04, 0x06, 0x08, 0x33, 0x35, 0x37, 0x39, 0x3b, 0x65, 0x12, 0x61, 0x18, 0x31,
            0x0e, 0x10, 0x63, 0x0a, 0x43, 0x67, 0x55, 0x14, 0x45, 0x6b, 0x49, 0x4b, 0x47, 0x69,
            0x41, 0x1a, 0x0c, 0x3d, 0x1c, 0x2d, 0x4d, 0x7f, 0x94, 0x8f, 0x77, 0x79, 0x16, 0x3f};
        for (std::uint8_t code : codes) {
            add(code, 0, 3);
        }
        return out;
    }
    constexpr std::array<int, 6> kSingleRows = {0x00, 0x0A, 0x14, 0x1E, 0xF0, 0xFA};
    for (int row = 0; row < 26; ++row) {
        const int address = row < 6    ? kSingleRows[static_cast<std::size_t>(row)]
                            : row < 16 ? 0x28 + 10 * (row - 6)
                                       : 0x8C + 10 * (row - 16);
        add(0x73, static_cast<std::uint8_t>(address), 1);
        add(0x75, 0, 12);
    }
    for (std::uint8_t code : {0x5c, 0x5e, 0x58, 0x5a, 0x54}) {
        add(code, 0, 3);
    }
    return out;
}

int openRaw(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        return -1;
    }
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

bool exchangePlain(int fd, const std::vector<std::uint8_t>& request, std::size_t replyLength) {
    if (write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        return false;
    }
    std::uint8_t reply[32];
    std::size_t got = 0;
    while (got < replyLength) {
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, 1000) <= 0) {
            return false;
        }
        const ssize_t n = read(fd, reply + got, replyLength - got);
        got += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    return true;
}

// Times `runs` calls of `once` (after a few to warm up); empty when one failed.
template <class Once>
std::vector<double> timeRuns(int runs, Once once) {
    constexpr int kWarmUp = 3;
    std::vector<double> ms;
    for (int i = 0; i < kWarmUp + runs; ++i) {
        const auto start = Clock::now();
        if (!once()) {
            return {};
        }
        const std::chrono::duration<double, std::milli> took = Clock::now() - start;
        if (i >= kWarmUp) {
            ms.push_back(took.count());
        }
    }
    return ms;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

bool measure(const ActionShape& shape, bool paced, int runs) {
    DevsimProcess devsim(paced);
    if (devsim.path().empty()) {
        std::fprintf(stderr, "kvt-devsim did not start (%s)\n", KVT_DEVSIM_PATH);
        return false;
    }
    const auto requests = requestsOf(shape);
    const int fd = openRaw(devsim.path());
    const std::vector<double> plain = timeRuns(runs, [&] {
        return std::all_of(requests.begin(), requests.end(),
                           [&](const auto& r) { return exchangePlain(fd, r.first, r.second); });
    });
    close(fd);

    Rig rig(devsim.path());
    if (plain.empty() || !rig.connect()) {
        std::fprintf(stderr, "%s: kvt-devsim did not answer\n", shape.name);
        return false;
    }
    const std::vector<double> engine =
        timeRuns(runs, [&] { return rig.run(shape.bit, shape.doneCode); });
    if (engine.empty()) {
        std::fprintf(stderr, "%s: the action did not complete\n", shape.name);
        return false;
    }

    const double plainMs = median(plain);
    const double plainMin = *std::min_element(plain.begin(), plain.end());
    const double engineMs = median(engine);
    const double engineMin = *std::min_element(engine.begin(), engine.end());
    const double floorMs = lineMs(shape.requestBytes + shape.replyBytes);
    std::printf("%-15s %-8s %4d %8.2f %8.2f %8.2f %8.2f %8.3f %8.3f %8.3f %7.1f %7.1f %7.2f\n",
                shape.name, paced ? "paced" : "at once", shape.exchanges, plainMs, plainMin,
                engineMs, engineMin, engineMs / shape.exchanges,
                (engineMs - plainMs) / shape.exchanges, (engineMin - plainMin) / shape.exchanges,
                floorMs, lineMs(shape.replyBytes), engineMs / floorMs);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
    std::printf("medians of %d runs at once and %d paced at %d baud, milliseconds\n", runs,
                runs / 10, kBaud);
    std::printf("%-15s %-8s %4s %8s %8s %8s %8s %8s %8s %8s %7s %7s %7s\n", "action", "devsim",
                "exch", "plain", "pl.min", "engine", "en.min", "per.exch", "ovh.med", "ovh.min",
                "floor", "replies", "x.floor");
    bool ok = true;
    for (const ActionShape* shape : {&kReadParameter, &kReadMatrix}) {
        ok = measure(*shape, false, runs) && ok;
    }
    for (const ActionShape* shape : {&kReadParameter, &kReadMatrix}) {
        ok = measure(*shape, true, std::max(5, runs / 10)) && ok;
    }
    std::printf(
        "plain: single-threaded blocking loop; engine: the action through the four threads;\n"
        "per.exch: engine median per exchange; ovh: (engine - plain) per exchange, of the\n"
        "medians and of the minima; floor: all request and reply bytes on the line; replies:\n"
        "the reply bytes only; x.floor: engine median / floor\n");
    return ok ? 0 : 1;
}
