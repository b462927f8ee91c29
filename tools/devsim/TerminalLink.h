#pragma once

#include <string>

namespace kvt::devsim {

// A fixed name (--link PATH) for the terminal, whose /dev/pts number changes from run to run.
// The link is replaced atomically and removed when the terminal closes or the program ends; a
// file at PATH that is not a symbolic link is never touched.
class TerminalLink {
  public:
    explicit TerminalLink(std::string path = {}) : path_(std::move(path)) {}
    ~TerminalLink() { remove(); }
    TerminalLink(const TerminalLink&) = delete;
    TerminalLink& operator=(const TerminalLink&) = delete;

    bool enabled() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    bool pointTo(const std::string& target, std::string& error);
    void remove();

  private:
    std::string path_;
    std::string target_;  // what the link made here points to
};

}  // namespace kvt::devsim
