#pragma once

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/ProjectCommands.h"
#include "data/Records.h"
#include "data/Strings.h"
#include "support/TempDir.h"

namespace kvt::test {

// Whether the process can write where the permission bits say it may not (root can).
inline bool permissionsBindThisProcess() {
    return ::geteuid() != 0;
}

// Files written while the object lives cannot grow beyond the limit: writing past it fails with
// EFBIG, as a full disk would fail a write halfway.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        previousSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit previous_{};
    void (*previousSignal_)(int) = nullptr;
};

// The records are too big for the stack.
inline std::unique_ptr<Records> makeRecords() {
    return std::make_unique<Records>();
}

// Texts by id from a map; counts the lookups.
class FakeStrings final : public Strings {
  public:
    std::map<int, std::string> texts{
        {25, "Could not open File\n"},
        {26, "Open Project"},
        {27, "No Project is open"},
        {28, "Save Project"},
        {31, "UNKNOWN"},
        {50, "Project Files"},
        {51, "All Files"},
        {32, "Do you want to save the modified project ? "},
    };
    std::string text(int id) override { return texts.count(id) ? texts[id] : std::string(); }
    std::string builtin(int id) override { return text(id); }
    bool libraryLoaded() const override { return false; }
};

// Scripted answers for the project commands, with a record of what was asked.
class ScriptedPrompts final : public ProjectPrompts {
  public:
    struct Box {
        std::string text;
        std::string caption;
    };

    bool answerYes = true;
    FileChoice nextChoice;
    std::vector<Box> warnings;
    std::vector<Box> questions;
    std::vector<FileDialog> dialogs;

    void warn(const std::string& text, const std::string& caption) override {
        warnings.push_back({text, caption});
    }
    bool askYesNo(const std::string& text, const std::string& caption) override {
        questions.push_back({text, caption});
        return answerYes;
    }
    FileChoice chooseFile(const FileDialog& dialog) override {
        dialogs.push_back(dialog);
        return nextChoice;
    }
    void choose(const std::filesystem::path& path) { nextChoice = {Choice::Ok, path.string()}; }
};

}  // namespace kvt::test
