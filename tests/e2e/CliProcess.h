#pragma once

// Helpers of the kvtcli end-to-end tests: run the program, check its JSON, patch its files.
// Header only, everything inline in a namespace of its own.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/TempDir.h"

namespace kvt::test::cli_e2e {

// What a finished run left.
struct CliRun {
    int exitCode = -1;  // -1: did not end in time (killed) or ended by a signal
    std::string out;
    std::string err;
};

// kvtcli as a child process with its stdout and stderr read through pipes.
class CliProcess {
  public:
    // With stderrOnTerminal the program's stderr is a pseudo-terminal, as in a shell.
    CliProcess(const std::vector<std::string>& args,
               const std::vector<std::pair<std::string, std::string>>& env,
               const std::string& folder, bool stderrOnTerminal = false) {
        int outPipe[2];
        int errPipe[2];
        if (::pipe(outPipe) != 0) {
            return;
        }
        if (stderrOnTerminal) {
            if (::openpty(&errPipe[0], &errPipe[1], nullptr, nullptr, nullptr) != 0) {
                return;
            }
        } else if (::pipe(errPipe) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(outPipe[1], STDOUT_FILENO);
            ::dup2(errPipe[1], STDERR_FILENO);
            ::close(outPipe[0]);
            ::close(outPipe[1]);
            ::close(errPipe[0]);
            ::close(errPipe[1]);
            if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
                ::_exit(126);
            }
            for (const auto& [name, value] : env) {
                ::setenv(name.c_str(), value.c_str(), 1);
            }
            std::vector<char*> argv;
            static std::string program = KVT_CLI_PATH;
            argv.push_back(program.data());
            std::vector<std::string> copies = args;
            for (std::string& a : copies) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(outPipe[1]);
        ::close(errPipe[1]);
        out_ = outPipe[0];
        err_ = errPipe[0];
    }

    ~CliProcess() {
        if (pid_ > 0 && !reaped_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        closeFd(out_);
        closeFd(err_);
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    void signal(int number) {
        if (pid_ > 0 && !reaped_) {
            ::kill(pid_, number);
        }
    }

    // Reads both pipes until the program ends; kills it when the time-out passes first.
    CliRun wait(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (out_ >= 0 || err_ >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                ::kill(pid_, SIGKILL);
                break;
            }
            pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
            if (::poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) {
                break;
            }
            drain(fds[0], out_, run_.out);
            drain(fds[1], err_, run_.err);
        }
        int status = 0;
        if (pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_) {
            reaped_ = true;
            run_.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return run_;
    }

  private:
    static void closeFd(int& fd) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
    static void drain(const pollfd& p, int& fd, std::string& into) {
        if (fd < 0 || (p.revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
            return;
        }
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            closeFd(fd);
        }
    }

    pid_t pid_ = -1;
    bool reaped_ = false;
    int out_ = -1;
    int err_ = -1;
    CliRun run_;
};

inline CliRun runCli(const std::vector<std::string>& args,
                     const std::vector<std::pair<std::string, std::string>>& env,
                     const std::string& folder,
                     std::chrono::milliseconds timeout = std::chrono::seconds(120)) {
    CliProcess process(args, env, folder);
    return process.wait(timeout);
}

// Whether kvtcli's --json output is one line holding one object with each of the members written
// as given ({R"("ok":true)", R"("serialNumber":4711)"}). A member ends where a value ends, unless
// its last character opens more ('{', '[' or ':', as in R"("error":"Baudrate Error:)").
inline ::testing::AssertionResult hasJson(const CliRun& run,
                                          std::initializer_list<std::string_view> members) {
    const std::string& out = run.out;
    if (out.size() < 3 || out.front() != '{' || out.find('\n') != out.size() - 1 ||
        out[out.size() - 2] != '}') {
        return ::testing::AssertionFailure() << "not one JSON line: " << out << run.err;
    }
    for (std::string_view member : members) {
        const bool opens = std::string_view("{[:").find(member.back()) != std::string_view::npos;
        bool found = false;
        for (std::size_t at = out.find(member); at != std::string::npos && !found;
             at = out.find(member, at + 1)) {
            found = opens ||
                    std::string_view(",}]").find(out[at + member.size()]) != std::string_view::npos;
        }
        if (!found) {
            return ::testing::AssertionFailure() << "no " << member << " in " << out;
        }
    }
    return ::testing::AssertionSuccess();
}

using test::readFile;
using test::TempDir;
using test::writeFile;

// Patches a 32-bit little-endian value into a file at an offset.
template <typename T>
inline bool patchFile(const std::string& path, std::size_t offset, T value) {
    static_assert(sizeof(T) == 4);
    std::string bytes = readFile(path);
    if (bytes.size() < offset + sizeof(T)) {
        return false;
    }
    std::memcpy(bytes.data() + offset, &value, sizeof(T));
    return writeFile(path, bytes);
}

}  // namespace kvt::test::cli_e2e
