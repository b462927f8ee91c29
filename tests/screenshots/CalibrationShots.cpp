#include "CalibrationShots.h"

#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "calib/CalibrationDlg.h"
#include "calib/CalibrationMatrixDlg.h"
#include "calib/CalibrationSetupDlg.h"
#include "calib/StartCalibrationDialog.h"
#include "data/CalibrationText.h"
#include "engine/CommandWord.h"
#include "engine/Notifier.h"
#include "gui/GuiTestSupport.h"
#include "screenshots/ShotWorkspace.h"
#include "support/Devsim.h"

namespace kvt::test {
namespace {

constexpr int kWaitMs = 30000;

QImage grabShown(QWidget& widget) {
    widget.show();
    QTest::qWait(20);
    // No caret in the first edit: the pictures show values, not where typing would go.
    if (QWidget* focused = widget.focusWidget()) {
        focused->clearFocus();
    }
    return widget.grab().toImage();
}

CalibrationLink linkOf(CMainFrame& frame) {
    return {frame.records().calibration, frame.records().calibrationWriteAllowed,
            [&frame] { return frame.commandWord(); },
            [&frame](std::uint32_t bits) { frame.session().engine().post(bits); }};
}

bool settle(CMainFrame& frame) {
    return QTest::qWaitFor([&] { return frame.commandWord() == 0; }, kWaitMs);
}

bool runAction(CMainFrame& frame, std::uint32_t bit) {
    frame.session().engine().post(bit);
    return settle(frame);
}

void pick(CToolDialog& dialog, int radio) {
    dialog.control<QRadioButton>("radio", radio)->click();
}

}  // namespace

std::vector<std::pair<QString, QImage>> calibrationShots(const std::string& devsimPath) {
    std::vector<std::pair<QString, QImage>> shots;
    Devsim sim(devsimPath);
    if (!sim.started()) {
        return shots;
    }
    ShotWorkspace work;
    StringTable& strings = work.strings;
    ScriptedBoxes& boxes = work.boxes;
    CMainFrame::Environment env = work.environment(sim.terminalPath());
    env.switches.calibration = true;
    {
        CMainFrame frame(std::move(env));
        // The dialogs show what a Read Matrix and a first calibration check brought.
        if (frame.create() && runAction(frame, cmd::kReadMatrix)) {
            CalibrationRecord& cal = frame.records().calibration;
            cal.CAL_TEMP_WRITE = 25;
            cal.CAL_DISPLAY_FACTOR = 1000;
            cal.CAL_DECIMAL_POINT = 1;
            cal.decimalPointRead = 1;
            cal.decimalPointValid = 1;
            {
                CCalibrationDlg dialog(&frame, strings, boxes, linkOf(frame));
                dialog.control<QPushButton>("button", CalibrationDialogBase::kCopyButton)->click();
                pick(dialog, 1134);
                pick(dialog, 1347);
                shots.emplace_back("dialog-calibration.png", grabShown(dialog));

                // A calibration under way: started, then checked until the controller reports 6.
                dialog.setStartQuestion(
                    [](std::int32_t) { return std::optional<std::int32_t>(1); });
                dialog.findChild<QPushButton*>(CCalibrationDlg::startButtonName())->click();
                (void)settle(frame);
                dialog.onNotification(notify::kCalibrationStarted, 0);
                for (int check = 0; check < 6; ++check) {
                    dialog.tick();
                    (void)settle(frame);
                    dialog.onNotification(notify::kCalibrationChecked,
                                          calibrationProgress(cal.CAL_STATUS));
                }
                shots.emplace_back("dialog-calibration-running.png", grabShown(dialog));
                dialog.findChild<QPushButton*>(CCalibrationDlg::startButtonName())->click();
                (void)settle(frame);
                dialog.onNotification(notify::kCalibrationStopped,
                                      calibrationProgress(cal.CAL_STATUS));
                dialog.reject();
            }
            {
                StartCalibrationDialog question(&frame, strings, 1);
                shots.emplace_back("dialog-calibration-start.png", grabShown(question));
            }
            {
                CCalibrationMatrixDlg dialog(&frame, strings, boxes, linkOf(frame));
                pick(dialog, 1309);
                shots.emplace_back("dialog-calibration-matrix.png", grabShown(dialog));
                dialog.reject();
            }
            {
                CCalibrationSetupDlg dialog(&frame, strings, boxes, linkOf(frame));
                shots.emplace_back("dialog-calibration-setup.png", grabShown(dialog));
                dialog.reject();
            }
        }
    }
    return shots;
}

}  // namespace kvt::test
