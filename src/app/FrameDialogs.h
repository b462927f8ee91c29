#pragma once

#include <memory>

#include "app/NotificationRoutes.h"
#include "widgets/ToolDialog.h"

namespace kvt {

class CMainFrame;

// The dialogs that the main frame opens. The frame runs them and applies their result by the
// rules of each command; a dialog that does not exist yet makes its command do nothing.
class FrameDialogs {
  public:
    struct Outcome {
        bool accepted = false;  // closed with OK
        bool changed = false;   // the dialog's modified flag
    };

    virtual ~FrameDialogs() = default;

    // Project Info (32008, and the last step of New Project with newMode).
    virtual Outcome runProjectInfo(CMainFrame& frame, bool newMode) = 0;
    // Serial Port (32010).
    virtual Outcome runSerialPort(CMainFrame& frame) = 0;
    // Scope Setup (32016).
    virtual Outcome runScopeSetup(CMainFrame& frame) = 0;
    // Debug dialog (32003, Ctrl+Shift+Q).
    virtual void runDebug(CMainFrame& frame) = 0;
    // Print (32015).
    virtual void runPrint(CMainFrame& frame) = 0;
    // The dialog of a slot, or null when it does not exist yet.
    virtual std::unique_ptr<CToolDialog> createSlotDialog(CMainFrame& frame, DialogSlot slot) = 0;
};

// The dialogs the program has so far; the missing ones open nothing.
std::unique_ptr<FrameDialogs> makeFrameDialogs();

}  // namespace kvt
