#pragma once

// Stand-ins and fixtures shared by the widget tests: scripted message boxes and project prompts,
// marked library texts, and the main window in a folder of its own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QFocusEvent>
#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/MainFrame.h"
#include "data/ProjectCommands.h"
#include "data/StringTable.h"
#include "data/Strings.h"
#include "support/Pty.h"
#include "widgets/MessageBoxes.h"

namespace kvt::test {

// Answers every message box from a script (or with its default button) and keeps them all.
class ScriptedBoxes final : public MessageBoxes {
  public:
    BoxResult show(const MessageBoxRequest& request, QWidget*) override {
        shown.push_back(request);
        if (!answers.empty()) {
            const BoxResult answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return request.defaultButton;
    }
    int count(const std::string& text) const {
        return static_cast<int>(std::count_if(shown.begin(), shown.end(),
                                              [&](const auto& b) { return b.text == text; }));
    }

    std::vector<MessageBoxRequest> shown;
    std::deque<BoxResult> answers;
};

// The project questions and file dialogs: warnings are kept, questions answered with `yes`, and
// the file dialog chooses `file` (cancelled while it is empty).
class FramePrompts final : public ProjectPrompts {
  public:
    void warn(const std::string& text, const std::string&) override { warnings.push_back(text); }
    bool askYesNo(const std::string&, const std::string&) override { return yes; }
    FileChoice chooseFile(const FileDialog&) override {
        if (file.empty()) {
            return {Choice::Cancelled, {}};
        }
        return {Choice::Ok, file};
    }

    std::vector<std::string> warnings;
    bool yes = false;
    std::string file;
};

// The program's texts as a language library would give them: marked, so a test sees which
// captions went through the lookup.
class MarkedLibraryStrings final : public Strings {
  public:
    std::string text(int id) override { return "<" + table.builtin(id) + ">"; }
    std::string builtin(int id) override { return table.builtin(id); }
    bool libraryLoaded() const override { return true; }
    StringTable table;
};

// Takes the keyboard focus from the widget, as leaving an edit does.
inline void leave(QWidget* widget) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &out);
}

inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The main window, run in a fresh working folder of each test's own (named after the prefix, the
// process and the test) with a pseudo-terminal for its port.
class FrameFixture : public ::testing::Test {
  protected:
    explicit FrameFixture(std::string folderPrefix) : folderPrefix_(std::move(folderPrefix)) {}

    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              (folderPrefix_ + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }

    void TearDown() override {
        frame.reset();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(dir);
    }

    // The window's environment: the folder, the prompts, the pseudo-terminal and short time-outs.
    CMainFrame::Environment frameEnvironment() {
        CMainFrame::Environment env{strings, boxes};
        env.workingDirectory = dir.string();
        env.prompts = &prompts;
        env.timing = LinkTiming{500, 400, 20, 4};
        env.deviceOverride = pty.slavePath();
        return env;
    }

    // Creates the window and shows it at 1280 x 1000.
    CMainFrame& openFrame(CMainFrame::Environment env) {
        frame = std::make_unique<CMainFrame>(std::move(env));
        EXPECT_TRUE(frame->create());
        frame->resize(1280, 1000);
        frame->show();
        return *frame;
    }

    std::filesystem::path dir;
    std::filesystem::path previous;
    StringTable strings;
    ScriptedBoxes boxes;
    FramePrompts prompts;
    Pty pty;
    std::unique_ptr<CMainFrame> frame;

  private:
    std::string folderPrefix_;
};

}  // namespace kvt::test
