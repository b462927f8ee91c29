#pragma once

// Helpers of the kvtcli end-to-end tests: run the program, read its JSON, keep a scratch folder.
// Header only, everything inline in a namespace of its own.

#include <fcntl.h>
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
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

    bool started() const { return pid_ > 0; }
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

// A parsed JSON value, for checking kvtcli's --json output in tests.
struct JsonNode {
    enum Type { Null, Bool, Number, String, Array, Object } type = Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonNode> items;
    std::vector<std::pair<std::string, JsonNode>> members;

    const JsonNode* get(std::string_view key) const {
        for (const auto& [name, value] : members) {
            if (name == key) {
                return &value;
            }
        }
        return nullptr;
    }
    // The value at a path of keys; a Null node when any is missing.
    const JsonNode& at(std::initializer_list<std::string_view> keys) const {
        static const JsonNode missing;
        const JsonNode* node = this;
        for (std::string_view key : keys) {
            node = node->get(key);
            if (node == nullptr) {
                return missing;
            }
        }
        return *node;
    }
};

class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : s_(text) {}

    std::optional<JsonNode> document() {
        JsonNode node;
        if (!value(node)) {
            return std::nullopt;
        }
        skip();
        if (i_ != s_.size()) {
            return std::nullopt;
        }
        return node;
    }

  private:
    void skip() {
        while (i_ < s_.size() &&
               (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) {
            ++i_;
        }
    }
    bool literal(std::string_view word) {
        if (s_.substr(i_, word.size()) != word) {
            return false;
        }
        i_ += word.size();
        return true;
    }
    bool value(JsonNode& node) {
        skip();
        if (i_ >= s_.size()) {
            return false;
        }
        const char c = s_[i_];
        if (c == '{') {
            return object(node);
        }
        if (c == '[') {
            return array(node);
        }
        if (c == '"') {
            node.type = JsonNode::String;
            return string(node.text);
        }
        if (literal("true")) {
            node.type = JsonNode::Bool;
            node.boolean = true;
            return true;
        }
        if (literal("false")) {
            node.type = JsonNode::Bool;
            return true;
        }
        if (literal("null")) {
            return true;
        }
        const std::string rest(s_.substr(i_, 64));
        char* end = nullptr;
        node.number = std::strtod(rest.c_str(), &end);
        if (end == rest.c_str()) {
            return false;
        }
        node.type = JsonNode::Number;
        i_ += static_cast<std::size_t>(end - rest.c_str());
        return true;
    }
    bool string(std::string& out) {
        ++i_;
        while (i_ < s_.size() && s_[i_] != '"') {
            char c = s_[i_++];
            if (static_cast<unsigned char>(c) < 0x20) {
                return false;  // control characters must be escaped
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ >= s_.size()) {
                return false;
            }
            c = s_[i_++];
            switch (c) {
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    const unsigned code = static_cast<unsigned>(
                        std::stoul(std::string(s_.substr(i_, 4)), nullptr, 16));
                    i_ += 4;
                    if (code < 0x80) {
                        out += static_cast<char>(code);
                    } else {
                        out += static_cast<char>(0xC0 | (code >> 6));
                        out += static_cast<char>(0x80 | (code & 0x3F));
                    }
                    break;
                }
                default:
                    out += c;
            }
        }
        if (i_ >= s_.size()) {
            return false;
        }
        ++i_;
        return true;
    }
    bool array(JsonNode& node) {
        node.type = JsonNode::Array;
        ++i_;
        skip();
        if (i_ < s_.size() && s_[i_] == ']') {
            ++i_;
            return true;
        }
        for (;;) {
            JsonNode item;
            if (!value(item)) {
                return false;
            }
            node.items.push_back(std::move(item));
            skip();
            if (i_ < s_.size() && s_[i_] == ',') {
                ++i_;
                continue;
            }
            if (i_ < s_.size() && s_[i_] == ']') {
                ++i_;
                return true;
            }
            return false;
        }
    }
    bool object(JsonNode& node) {
        node.type = JsonNode::Object;
        ++i_;
        skip();
        if (i_ < s_.size() && s_[i_] == '}') {
            ++i_;
            return true;
        }
        for (;;) {
            skip();
            std::string key;
            if (i_ >= s_.size() || s_[i_] != '"' || !string(key)) {
                return false;
            }
            skip();
            if (i_ >= s_.size() || s_[i_] != ':') {
                return false;
            }
            ++i_;
            JsonNode item;
            if (!value(item)) {
                return false;
            }
            node.members.emplace_back(std::move(key), std::move(item));
            skip();
            if (i_ < s_.size() && s_[i_] == ',') {
                ++i_;
                continue;
            }
            if (i_ < s_.size() && s_[i_] == '}') {
                ++i_;
                return true;
            }
            return false;
        }
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

// kvtcli's --json output: exactly one line holding one object.
inline std::optional<JsonNode> parseOutput(const std::string& out) {
    if (out.empty() || out.back() != '\n' || out.find('\n') != out.size() - 1) {
        return std::nullopt;
    }
    return JsonReader(std::string_view(out).substr(0, out.size() - 1)).document();
}

// A private scratch folder, removed at the end.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kvtcli-e2e-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, ec);
        }
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline bool writeWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Patches a 32-bit little-endian value into a file at an offset.
template <typename T>
inline bool patchFile(const std::string& path, std::size_t offset, T value) {
    static_assert(sizeof(T) == 4);
    std::string bytes = readWholeFile(path);
    if (bytes.size() < offset + sizeof(T)) {
        return false;
    }
    std::memcpy(bytes.data() + offset, &value, sizeof(T));
    return writeWholeFile(path, bytes);
}

}  // namespace kvt::test::cli_e2e
