#include "screenshots/DiagnosisShots.h"

#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "diag/DeviceInfoDialog.h"
#include "diag/SerialSetpointDialog.h"
#include "diag/StatusInfoDialog.h"
#include "diag/TestFunctionDialog.h"

namespace kvt::shots {
namespace {

constexpr int kWaitMs = 20000;

QString save(QWidget& dialog, const QString& folder, const char* name) {
    dialog.adjustSize();
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    dialog.grab().toImage().convertToFormat(QImage::Format_RGB32).save(path, "PNG", 9);
    return path;
}

void deviceInfo(CMainFrame& frame, const QString& folder, QStringList& files) {
    withSlotDialog(frame, DialogSlot::DeviceInfo, [&](CToolDialog& dialog) {
        auto& d = static_cast<DeviceInfoDialog&>(dialog);
        d.readButton()->click();
        // The engine's report reaches the dialog after the action has ended.
        (void)QTest::qWaitFor(
            [&] {
                return d.edit(DeviceInfoDialog::kFirmwareEdit)->text() != QStringLiteral(" -- ") &&
                       d.readButton()->isEnabled();
            },
            kWaitMs);
        files << save(d, folder, "dialog-device-info.png");
    });
}

void statusInfo(CMainFrame& frame, const DeviceControl& device, const QString& folder,
                QStringList& files) {
    device("set status 0x10");
    device("set leds 0x0D");  // green lit, yellow blinking, red dark
    withSlotDialog(frame, DialogSlot::StatusInfo, [&](CToolDialog& dialog) {
        auto& d = static_cast<StatusInfoDialog&>(dialog);
        d.pollTimer()->stop();
        d.blinkTimer()->stop();
        waitIdle(frame);
        d.pollTick();
        // The first reading has reached the dialog when a radio is checked.
        (void)QTest::qWaitFor([&] { return d.radio(1291)->isChecked(); }, kWaitMs);
        waitIdle(frame);
        device("set status 0x30");  // overtemperature
        d.pollTick();
        (void)QTest::qWaitFor([&] { return d.changeList()->count() > 0; }, kWaitMs);
        if (!d.blinkPhase()) {
            d.blinkTick();
        }
        files << save(d, folder, "dialog-status-info.png");
    });
}

void serialSetpoint(CMainFrame& frame, const QString& folder, QStringList& files) {
    withSlotDialog(frame, DialogSlot::SerialSetpoint, [&](CToolDialog& dialog) {
        auto& d = static_cast<SerialSetpointDialog&>(dialog);
        waitIdle(frame);
        d.edit()->setText(QStringLiteral("42.7"));
        d.transmit();
        waitIdle(frame);
        d.onNotification(0, 0);
        files << save(d, folder, "dialog-serial-setpoint.png");
        d.switchOff();
        waitIdle(frame);
    });
}

void testFunction(CMainFrame& frame, const QString& folder, QStringList& files) {
    withSlotDialog(frame, DialogSlot::TestFunction, [&](CToolDialog& dialog) {
        auto& d = static_cast<TestFunctionDialog&>(dialog);
        waitIdle(frame);
        d.radio(1)->setChecked(true);
        d.edit(TestFunctionDialog::kTimeEdit)->setText(QStringLiteral("2.5"));
        d.write();
        waitIdle(frame);
        d.read();
        waitIdle(frame);
        d.updateEnabling();
        files << save(d, folder, "dialog-test-function.png");
    });
}

}  // namespace

bool waitIdle(CMainFrame& frame) {
    // Let a posted action start before looking for its end.
    QTest::qWait(0);
    return QTest::qWaitFor([&] { return frame.commandWord() == 0; }, kWaitMs);
}

void withSlotDialog(CMainFrame& frame, DialogSlot slot,
                    const std::function<void(CToolDialog&)>& body) {
    QTimer::singleShot(0, &frame, [&frame, slot, &body] {
        CToolDialog* dialog = frame.slotDialog(slot);
        if (dialog == nullptr) {
            return;
        }
        body(*dialog);
        // done() rather than reject(): the picture may have been taken in a state that refuses
        // leaving.
        dialog->done(QDialog::Rejected);
    });
    frame.openSlotDialog(slot);
}

QStringList shootDiagnosisDialogs(CMainFrame& frame, const DeviceControl& device,
                                  const QString& folder) {
    QStringList files;
    deviceInfo(frame, folder, files);
    statusInfo(frame, device, folder, files);
    serialSetpoint(frame, folder, files);
    testFunction(frame, folder, files);
    return files;
}

}  // namespace kvt::shots
