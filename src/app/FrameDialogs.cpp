#include "app/FrameDialogs.h"

#include <QDateTime>
#include <QPrinter>

#include "app/DebugDialog.h"
#include "app/MainFrame.h"
#include "app/ProjectInfoDialog.h"
#include "app/SerialPortDialog.h"
#include "calib/CalibrationDlg.h"
#include "calib/CalibrationMatrixDlg.h"
#include "calib/CalibrationSetupDlg.h"
#include "data/SerialDevices.h"
#include "diag/DeviceInfoDialog.h"
#include "diag/SerialSetpointDialog.h"
#include "diag/StatusInfoDialog.h"
#include "diag/TestFunctionDialog.h"
#include "paramui/ParametersDlg.h"
#include "print/PrintCommand.h"
#include "scope/view/ChildView.h"
#include "scope/view/ScopeSetupDialog.h"

namespace kvt {
namespace {

CommandWordSource commandWordOf(CMainFrame& frame) {
    return [&frame] { return frame.commandWord(); };
}

DiagAccess diagAccessOf(CMainFrame& frame) {
    return {commandWordOf(frame),
            [&frame](std::uint32_t bits) { frame.session().engine().post(bits); }};
}

CalibrationLink calibrationLinkOf(CMainFrame& frame) {
    return {frame.records().calibration, frame.records().calibrationWriteAllowed,
            commandWordOf(frame),
            [&frame](std::uint32_t bits) { frame.session().engine().post(bits); }};
}

ParameterLink parameterLinkOf(CMainFrame& frame) {
    return {frame.records().params, frame.records().parameterWriteAllowed, commandWordOf(frame),
            [&frame](std::uint32_t bits) { frame.session().engine().post(bits); }};
}

// The dialogs of the program that exist so far. The commands of those still missing open nothing.
class ProgramDialogs final : public FrameDialogs {
  public:
    Outcome runProjectInfo(CMainFrame& frame, bool newMode) override {
        ProjectInfoDialog dialog(&frame, frame.strings(), frame.boxes(),
                                 frame.records().projectInfo, newMode);
        return outcomeOf(dialog, dialog.exec());
    }

    Outcome runSerialPort(CMainFrame& frame) override {
        SerialPortDialog dialog(&frame, frame.strings(), frame.boxes(), frame.records().port,
                                frame.devicePaths(), commandWordOf(frame),
                                [] { return listSerialDevices(); });
        return outcomeOf(dialog, dialog.exec());
    }

    Outcome runScopeSetup(CMainFrame& frame) override {
        ScopeSetupDialog dialog(&frame, frame.strings(), frame.boxes(), frame.records().scope,
                                frame.records().params.currentSet, commandWordOf(frame));
        return outcomeOf(dialog, dialog.exec());
    }

    void runDebug(CMainFrame& frame) override {
        DebugDialog dialog(&frame, frame.strings(), frame.session().statusBlock());
        dialog.exec();
    }

    void runPrint(CMainFrame& frame) override {
        const auto prompts = makeDialogPrintPrompts(&frame, frame.strings());
        QPrinter printer(QPrinter::HighResolution);
        const ReportSource source{frame.records(), frame.view().model(), frame.strings(),
                                  QDateTime::currentDateTime()};
        PrintCommandContext context{&frame, frame.strings(), frame.boxes(), *prompts, printObject_};
        runPrintCommand(context, source, printer);
    }

    std::unique_ptr<CToolDialog> createSlotDialog(CMainFrame& frame, DialogSlot slot) override {
        Records& records = frame.records();
        switch (slot) {
            case DialogSlot::Parameters:
                return std::make_unique<CParametersDlg>(&frame, frame.strings(), frame.boxes(),
                                                        parameterLinkOf(frame));
            case DialogSlot::DeviceInfo:
                return std::make_unique<DeviceInfoDialog>(&frame, frame.strings(), frame.boxes(),
                                                          records.deviceInfo, diagAccessOf(frame));
            case DialogSlot::StatusInfo:
                return std::make_unique<StatusInfoDialog>(&frame, frame.strings(), frame.boxes(),
                                                          records.status, diagAccessOf(frame));
            case DialogSlot::SerialSetpoint:
                return std::make_unique<SerialSetpointDialog>(&frame, frame.strings(),
                                                              frame.boxes(), records.serialSetpoint,
                                                              diagAccessOf(frame));
            case DialogSlot::TestFunction:
                return std::make_unique<TestFunctionDialog>(&frame, frame.strings(), frame.boxes(),
                                                            records.testFunction,
                                                            diagAccessOf(frame));
            case DialogSlot::CalibrationA:
                return std::make_unique<CCalibrationDlg>(&frame, frame.strings(), frame.boxes(),
                                                         calibrationLinkOf(frame));
            case DialogSlot::CalibrationB:
                return std::make_unique<CCalibrationSetupDlg>(
                    &frame, frame.strings(), frame.boxes(), calibrationLinkOf(frame));
            case DialogSlot::CalibrationMatrix:
                return std::make_unique<CCalibrationMatrixDlg>(
                    &frame, frame.strings(), frame.boxes(), calibrationLinkOf(frame));
            default:
                return nullptr;
        }
    }

  private:
    static Outcome outcomeOf(const CToolDialog& dialog, int result) {
        return {result == QDialog::Accepted, dialog.modifiedFlag() != 0};
    }

    // The Select Print dialog opens on the object printed last.
    PrintObject printObject_ = PrintObject::None;
};

}  // namespace

std::unique_ptr<FrameDialogs> makeFrameDialogs() {
    return std::make_unique<ProgramDialogs>();
}

}  // namespace kvt
