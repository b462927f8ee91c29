#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/FrameDialogs.h"
#include "app/MainFrameCommands.h"
#include "app/MainStatusBar.h"
#include "app/NotificationRoutes.h"
#include "app/QtNotifier.h"
#include "data/ComSettings.h"
#include "data/CommandLine.h"
#include "data/ProjectCommands.h"
#include "data/ProjectFile.h"
#include "data/Records.h"
#include "data/StringTable.h"
#include "engine/DeviceSession.h"
#include "link/TraceLog.h"
#include "widgets/MessageBoxes.h"

class QAction;
class QTimer;

namespace kvt {

class CChildView;
class HelpWindow;

// The program's only top-level window: the scope view as its client, the menu, two status bars
// and a one-second timer. It owns the project commands, opens every dialog, starts and stops the
// four worker threads, routes the engine's notifications and enforces the exit rules.
class CMainFrame : public QMainWindow {
    Q_OBJECT

  public:
    struct Environment {
        StringTable& strings;
        MessageBoxes& boxes;
        StartupSwitches switches = {};
        std::string workingDirectory = {};
        std::string buildStamp = {};
        // Optional replacements for tests and tools.
        ProjectPrompts* prompts = nullptr;  // file dialogs and project questions
        FrameDialogs* dialogs = nullptr;    // the dialogs the frame opens
        LinkTiming timing = {};
        std::string deviceOverride = {};  // one device path for every port code
        // Where F1 looks for the help text after the working folder (data/HelpFile.h).
        std::vector<std::string> helpFolders = {};
    };

    // Construction: project data reset, default names, the caution message.
    explicit CMainFrame(Environment environment);
    ~CMainFrame() override;

    // Creation: status bars, menu, timer, the two INI files, the trace file, the four threads.
    // False when the window could not be created.
    bool create();

    // --- commands (also reachable from the menu) ---
    void newProject();
    void openProject();
    int saveProject();
    int saveProjectAs();
    void projectInfo();
    void serialPort();
    void scopeSetup();
    void startAcquisition();
    void stopAcquisition();
    void toggleGrid();
    void resetZoom();
    // Scope > Export Picture: the view as a PNG (or an SVG) file.
    void exportPicture();
    void autoAdapt();
    void about();
    void help();
    void debugDialog();
    void print();
    void openSlotDialog(DialogSlot slot);
    // Exit (32019), Alt+F4 and the window's close: true when the window may close.
    bool exitAllowed();

    // Message 0x8001 from the engine, on the user-interface thread.
    void onMessageReceived(int code, std::intptr_t value);

    void refreshTitle();
    void updateStatusBars();
    void updateCommandStates();

    // --- state for dialogs and tests ---
    Records& records() { return *records_; }
    DeviceSession& session() { return *session_; }
    CChildView& view() { return *view_; }
    Strings& strings() { return env_.strings; }
    MessageBoxes& boxes() { return env_.boxes; }
    TraceSink& trace() { return trace_; }
    const Environment& environment() const { return env_; }
    DevicePaths& devicePaths() { return devicePaths_; }
    bool modified() const { return modified_ != 0; }
    void setModified(bool modified);
    QAction* action(int commandId) const;
    CMainStatusBar* projectStatusBar() const { return projectBar_; }
    CMainStatusBar* fileStatusBar() const { return fileBar_; }
    CToolDialog* slotDialog(DialogSlot slot) const { return slots_[static_cast<int>(slot)].get(); }
    HelpWindow* helpWindow() const;  // the help text's window while it is open
    std::uint32_t commandWord() const;
    const std::string& buildStamp() const { return env_.buildStamp; }
    bool closing() const { return closing_; }

    static constexpr const char* kVersionText = "Release 0.05";

  protected:
    void closeEvent(QCloseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    // The menu from the menu text, and the table that runs its commands (MainFrameCommands.cpp).
    void buildMenu();
    void runCommand(int commandId);
    void applyDevicePaths();
    ProjectContext projectContext();
    ProjectPrompts& prompts();
    BoxResult showBox(const MessageBoxRequest& request);
    bool acquisitionRunning() const;
    void resetScopeView();
    void stopThreads();

    Environment env_;
    std::unique_ptr<Records> records_;
    TraceLog trace_;
    std::unique_ptr<QtNotifier> notifier_;
    std::unique_ptr<DeviceSession> session_;
    std::unique_ptr<ProjectPrompts> ownPrompts_;
    std::unique_ptr<FrameDialogs> ownDialogs_;
    CChildView* view_ = nullptr;
    QPointer<HelpWindow> helpWindow_;
    CMainStatusBar* projectBar_ = nullptr;
    CMainStatusBar* fileBar_ = nullptr;
    QTimer* statusTimer_ = nullptr;
    std::map<int, QAction*> actions_;
    std::array<std::unique_ptr<CToolDialog>, kDialogSlotCount> slots_;
    DevicePaths devicePaths_{};
    int screenClass_ = 1024;
    int modified_ = 0;
    bool recordingStarted_ = false;  // from Start Acquisition until its end is announced
    bool closing_ = false;
    bool exitApproved_ = false;
    bool threadsStopped_ = false;
};

}  // namespace kvt
