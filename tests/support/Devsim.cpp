#include "support/Devsim.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "link/Frame.h"

namespace kvt::test {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kStartTimeout{5000};
constexpr std::chrono::milliseconds kQuitTimeout{3000};
constexpr std::chrono::milliseconds kWaitForStep{2};
constexpr const char* kPathPrefix = "kvt-devsim: ";

void writeAll(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd entry{fd, POLLOUT, 0};
            ::poll(&entry, 1, 100);
        } else if (!(n < 0 && errno == EINTR)) {
            return;
        }
    }
}

int millisLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}

// Reads what `fd` holds once it is readable: 0 at the deadline or the end of the stream.
ssize_t readBefore(int fd, Clock::time_point deadline, void* buffer, std::size_t size) {
    while (true) {
        pollfd entry{fd, POLLIN, 0};
        const int ready = ::poll(&entry, 1, millisLeft(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready <= 0 ? 0 : ::read(fd, buffer, size);
    }
}

}  // namespace

Devsim::Devsim(std::string program, std::vector<std::string> args) {
    // A command written to an emulator that has already ended must fail, not kill the test.
    static const bool pipeSignalIgnored = [] { return ::signal(SIGPIPE, SIG_IGN) != SIG_ERR; }();
    (void)pipeSignalIgnored;
    logPath_ = folder_.file("requests.log");
    args.insert(args.begin(), {"--log", logPath_});

    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
        startError_ = "pipe failed";
        return;
    }
    std::vector<char*> argv;
    argv.push_back(program.data());
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();

    pid_ = ::fork();
    if (pid_ == 0) {
        // Only async-signal-safe calls between fork and exec.
        ::dup2(input[0], STDIN_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        // A crashed test must not leave an emulator behind.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) {
            ::_exit(127);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(input[0]);
    ::close(output[1]);
    toChild_ = input[1];
    fromChild_ = output[0];
    if (pid_ < 0) {
        startError_ = "fork failed";
        return;
    }

    std::string line;
    if (!readLine(line, Clock::now() + kStartTimeout)) {
        startError_ = "no terminal path announced";
        return;
    }
    if (line.rfind(kPathPrefix, 0) != 0) {
        startError_ = "unexpected first line: " + line;
        return;
    }
    terminalPath_ = line.substr(std::strlen(kPathPrefix));
}

Devsim::~Devsim() {
    stop();
    if (toChild_ >= 0) {
        ::close(toChild_);
    }
    if (fromChild_ >= 0) {
        ::close(fromChild_);
    }
}

bool Devsim::readLine(std::string& line, Clock::time_point deadline) {
    while (true) {
        const std::size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return true;
        }
        char buffer[4096];
        const ssize_t n =
            fromChild_ < 0 ? 0 : readBefore(fromChild_, deadline, buffer, sizeof buffer);
        if (n <= 0) {
            return false;  // the time-out, or the emulator has ended
        }
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string Devsim::command(const std::string& line, std::chrono::milliseconds timeout) {
    if (pid_ <= 0 || exited_) {
        return {};
    }
    const std::string text = line + "\n";
    writeAll(toChild_, text.data(), text.size());
    const auto deadline = Clock::now() + timeout;
    std::string reply;
    while (readLine(reply, deadline)) {
        if (reply.rfind(kPathPrefix, 0) == 0) {
            terminalPath_ = reply.substr(std::strlen(kPathPrefix));
        }
        if (reply == "ok" || reply.rfind("ok ", 0) == 0 || reply.rfind("error", 0) == 0) {
            return reply;
        }
    }
    return {};
}

std::int64_t Devsim::field(const std::string& reply, const std::string& key) {
    const std::string wanted = " " + key + "=";
    const std::size_t at = (" " + reply).find(wanted);
    if (at == std::string::npos) {
        return -1;
    }
    return std::strtoll(reply.c_str() + at + wanted.size() - 1, nullptr, 10);
}

bool Devsim::waitFor(const std::string& line, const std::function<bool(const std::string&)>& done,
                     std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (true) {
        if (done(command(line))) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kWaitForStep);
    }
}

std::vector<std::string> Devsim::logText() const {
    std::vector<std::string> lines;
    std::ifstream file(logPath_);
    std::string line;
    while (std::getline(file, line)) {
        if (!file.eof()) {  // a last line without its newline is still being written
            lines.push_back(line);
        }
    }
    return lines;
}

std::vector<DevsimLogLine> Devsim::log() const {
    std::vector<DevsimLogLine> entries;
    for (const std::string& text : logText()) {
        DevsimLogLine entry;
        std::string body = text;
        if (const std::size_t hash = text.find(" # "); hash != std::string::npos) {
            entry.note = text.substr(hash + 3);
            body = text.substr(0, hash);
        }
        std::istringstream words(body);
        words >> entry.seconds >> entry.direction >> entry.mnemonic;
        std::string hex;
        while (words >> hex) {
            entry.bytes.push_back(
                static_cast<std::uint8_t>(std::strtoul(hex.c_str(), nullptr, 16)));
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::vector<std::uint8_t>> Devsim::received(const std::string& mnemonic) const {
    std::vector<std::vector<std::uint8_t>> frames;
    for (DevsimLogLine& line : log()) {
        if (line.direction == "rx" && line.mnemonic == mnemonic) {
            frames.push_back(std::move(line.bytes));
        }
    }
    return frames;
}

bool Devsim::waitForExit(std::chrono::milliseconds timeout) {
    // The emulator's stdout closes when it ends: wait for that, then reap it.
    const auto deadline = Clock::now() + timeout;
    std::string line;
    while (readLine(line, deadline)) {
    }
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, Clock::now() < deadline ? 0 : WNOHANG);
    if (done != pid_) {
        return false;
    }
    exited_ = true;
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

int Devsim::stop() {
    if (pid_ <= 0 || exited_) {
        return exitStatus_;
    }
    writeAll(toChild_, "quit\n", 5);
    if (waitForExit(kQuitTimeout)) {
        return exitStatus_;
    }
    ::kill(pid_, SIGTERM);
    if (!waitForExit(kQuitTimeout)) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        exited_ = true;
        exitStatus_ = -1;
    }
    return exitStatus_;
}

DevsimPort::DevsimPort(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ >= 0 && !configure()) {
        ::close(fd_);
        fd_ = -1;
    }
}

DevsimPort::~DevsimPort() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool DevsimPort::configure() {
    termios settings{};
    if (::tcgetattr(fd_, &settings) != 0) {
        return false;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSTOPB | PARENB);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    return ::cfsetispeed(&settings, B19200) == 0 && ::cfsetospeed(&settings, B19200) == 0 &&
           ::tcsetattr(fd_, TCSANOW, &settings) == 0;
}

void DevsimPort::write(const std::vector<std::uint8_t>& bytes) {
    writeAll(fd_, bytes.data(), bytes.size());
}

std::vector<std::uint8_t> DevsimPort::frame(std::uint8_t code, std::vector<std::uint8_t> data) {
    std::vector<std::uint8_t> out(data.size() + 3);
    buildRequest(out, code, data);
    return out;
}

std::vector<std::uint8_t> DevsimPort::read(std::size_t count, std::chrono::milliseconds timeout) {
    std::vector<std::uint8_t> out;
    const auto deadline = Clock::now() + timeout;
    while (out.size() < count) {
        std::uint8_t buffer[4096];
        const ssize_t n =
            readBefore(fd_, deadline, buffer, std::min(sizeof buffer, count - out.size()));
        if (n > 0) {
            out.insert(out.end(), buffer, buffer + n);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            break;  // the time-out, or the terminal is gone
        }
    }
    return out;
}

}  // namespace kvt::test
