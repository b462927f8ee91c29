#include "ParameterShots.h"

#include <QTest>

#include "data/ParameterPages.h"
#include "engine/CommandWord.h"
#include "gui/GuiTestSupport.h"
#include "paramui/ParameterPropertySheets.h"
#include "paramui/ParametersDlg.h"
#include "screenshots/ShotWorkspace.h"
#include "support/Devsim.h"

namespace kvt::test {
namespace {

constexpr int kWaitMs = 30000;

// The file name part of each tab, in tab order.
constexpr const char* kPageNames[] = {"control",     "setpoint", "digital-input", "display-keys",
                                      "digital-out", "error",    "analog-in",     "analog-out"};

// Values the controller holds for the pictures: a PI controller with a ramp and a display range.
constexpr const char* kDeviceRegisters[] = {"reg KPR 23", "reg SPR 90", "reg TDR 12"};

// The edited set: what was read, changed on every page so that each shows a red device choice.
void editBesideTheDevice(ParameterRecord& set) {
    set.CONTROLLER_STRUCTURE = set.CONTROLLER_STRUCTURE == 7 ? 6 : 7;
    set.PROPORTIONAL_GAIN = 3.5f;
    set.SETPOINT_SIGNAL = set.SETPOINT_SIGNAL == 2 ? 1 : 2;
    set.RAMP_FUNCTION = 3;
    set.RAMP_RISE_TIME = 2.5f;
    set.SELECT_FUNCTION = set.SELECT_FUNCTION == 4 ? 1 : 4;
    set.LED_RED = set.LED_RED == 1 ? 2 : 1;
    set.RANGE_SENSOR = 250;
    set.OUTPUT_MODE = set.OUTPUT_MODE == 0 ? 1 : 0;
    set.WINDOW_SIZE = 5.0f;
    set.ERROR_SELECT = set.ERROR_SELECT == 5 ? 1 : 5;
    set.ANALOG_IN_2_SIGNAL = set.ANALOG_IN_2_SIGNAL == 2 ? 0 : 2;
    set.ANALOG_OUT_SELECT = set.ANALOG_OUT_SELECT == 3 ? 0 : 3;
}

}  // namespace

std::vector<std::pair<QString, QImage>> parameterShots(const std::string& devsimPath) {
    std::vector<std::pair<QString, QImage>> shots;
    Devsim sim(devsimPath);
    if (!sim.started()) {
        return shots;
    }
    for (const char* line : kDeviceRegisters) {
        sim.command(line);
    }
    ShotWorkspace work;
    {
        CMainFrame frame(work.environment(sim.terminalPath()));
        if (frame.create()) {
            frame.session().engine().post(cmd::kReadParameter);
        }
        if (QTest::qWaitFor([&] { return frame.commandWord() == 0; }, kWaitMs) &&
            frame.records().params.deviceValid()) {
            ParameterSets& sets = frame.records().params;
            sets.currentSet = sets.deviceSet;
            editBesideTheDevice(sets.currentSet);
            frame.records().parameterWriteAllowed = 1;
            CParametersDlg dialog(
                &frame, work.strings, work.boxes,
                {sets, frame.records().parameterWriteAllowed,
                 [&frame] { return frame.commandWord(); },
                 [&frame](std::uint32_t bits) { frame.session().engine().post(bits); }});
            dialog.show();
            QTest::qWait(20);
            CParameterPropertySheets& sheet = dialog.sheet();
            for (int tab = 0; tab < sheet.count() && tab < 8; ++tab) {
                sheet.setCurrentIndex(tab);
                if (QWidget* focused = dialog.focusWidget()) {
                    focused->clearFocus();
                }
                QTest::qWait(10);
                shots.emplace_back(
                    QStringLiteral("dialog-parameters-%1.png").arg(QLatin1String(kPageNames[tab])),
                    dialog.grab().toImage());
            }
            dialog.done(0);
        }
    }
    return shots;
}

}  // namespace kvt::test
