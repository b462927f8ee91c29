#pragma once

#include <QTemporaryDir>
#include <filesystem>
#include <string>

#include "app/MainFrame.h"
#include "data/StringTable.h"
#include "gui/GuiTestSupport.h"

namespace kvt::test {

// What a main window of a picture needs: a working folder of its own, made the process's current
// folder while the picture is drawn (the window writes its INI files there), the texts, and boxes
// and prompts that a picture answers without a user.
class ShotWorkspace {
  public:
    ShotWorkspace() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(path());
    }
    ~ShotWorkspace() { std::filesystem::current_path(previous_); }
    ShotWorkspace(const ShotWorkspace&) = delete;
    ShotWorkspace& operator=(const ShotWorkspace&) = delete;

    std::string path() const { return folder_.path().toStdString(); }

    // A window on the given device path.
    CMainFrame::Environment environment(const std::string& devicePath) {
        CMainFrame::Environment env{strings, boxes};
        env.workingDirectory = path();
        env.prompts = &prompts;
        env.deviceOverride = devicePath;
        return env;
    }

    StringTable strings;
    ScriptedBoxes boxes;
    FramePrompts prompts;

  private:
    QTemporaryDir folder_;
    std::filesystem::path previous_;
};

}  // namespace kvt::test
