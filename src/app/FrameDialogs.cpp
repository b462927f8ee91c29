#include "app/FrameDialogs.h"

namespace kvt {
namespace {

// The dialogs of the program that exist so far. The commands of those still missing open nothing.
class ProgramDialogs final : public FrameDialogs {
  public:
    Outcome runProjectInfo(CMainFrame&, bool) override { return {}; }
    Outcome runSerialPort(CMainFrame&) override { return {}; }
    Outcome runScopeSetup(CMainFrame&) override { return {}; }
    void runDebug(CMainFrame&) override {}
    void runPrint(CMainFrame&) override {}
    std::unique_ptr<CToolDialog> createSlotDialog(CMainFrame&, DialogSlot) override {
        return nullptr;
    }
};

}  // namespace

std::unique_ptr<FrameDialogs> makeFrameDialogs() {
    return std::make_unique<ProgramDialogs>();
}

}  // namespace kvt
