// Draws the pictures of the documentation: the main window at its first start and after a
// recording, the scope view with a recording and zoomed with its grid, and the dialogs. A picture
// checks nothing, so this is no test; scripts/screenshots runs it offscreen with docs/ as the
// folder.
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include <QDateTime>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include "CalibrationShots.h"
#include "DiagnosisShots.h"
#include "GuiTestSupport.h"
#include "ParameterShots.h"
#include "ReportTestSupport.h"
#include "SampleProjectInfo.h"
#include "ShotWorkspace.h"
#include "StepRecording.h"
#include "app/DebugDialog.h"
#include "app/MainFrame.h"
#include "app/ProjectInfoDialog.h"
#include "app/SerialPortDialog.h"
#include "data/ProjectFile.h"
#include "print/PrintPreviewDialog.h"
#include "print/SelectPrintDialog.h"
#include "scope/ScopeViewModel.h"
#include "scope/view/ChildView.h"
#include "scope/view/ScopeSetupDialog.h"
#include "support/Devsim.h"
#include "support/Pty.h"
#include "support/RecordingTrace.h"

namespace kvt::test {
namespace {

// A dialog as it first comes up, before a caret blinks in its focused edit.
QImage grabShown(QWidget& widget) {
    widget.show();
    return widget.grab().toImage();
}

// The main window in test mode, after a 4 s step recording from the simulated device, in a
// working folder of its own.
QImage mainWindow() {
    ShotWorkspace work;
    Pty pty;
    CMainFrame::Environment env = work.environment(pty.slavePath());
    env.timing = LinkTiming{500, 400, 20, 4};
    env.switches.testMode = 1;
    env.buildStamp = "20261206 120000";
    QImage shot;
    {
        CMainFrame frame(std::move(env));
        if (frame.create()) {
            frame.resize(1280, 1000);
            frame.show();
            frame.records().scope.mode = ScopeSettings::StepMode;
            frame.records().scope.acqTime = 4;
            frame.startAcquisition();
            if (QTest::qWaitFor([&] { return frame.commandWord() == 0; }, 20000)) {
                frame.toggleGrid();
                frame.updateStatusBars();
                QTest::qWait(50);
                shot = frame.grab().toImage();
            }
        }
    }
    return shot;
}

// The main window as a first start shows it where nothing maximizes it (a kiosk, a remote
// display): the restored size the window gives itself, the default project, an empty scope.
QImage firstWindow() {
    ShotWorkspace work;
    Pty pty;
    CMainFrame::Environment env = work.environment(pty.slavePath());
    env.buildStamp = "20261206 120000";
    QImage shot;
    {
        CMainFrame frame(std::move(env));
        if (frame.create()) {
            frame.show();
            frame.updateStatusBars();
            QTest::qWait(50);
            shot = frame.grab().toImage();
        }
    }
    return shot;
}

// The scope view after the engine's display updates and the end of a Step Mode recording;
// zoomed around the step (0.8 .. 3.2 s, 0 .. 100 %) with the grid on when asked.
QImage scopeView(bool zoomedWithGrid) {
    ScopeSettings settings{};
    resetScopeSettings(settings);
    auto samples = std::make_unique<AcquisitionBuffers>();
    fillStepResponse(settings, *samples, 2000);
    AcquisitionFlags flags;
    ScopeStrings strings;
    RecordingTrace trace;
    CChildView view(settings, *samples, flags, strings, trace, [] { return 0u; });
    view.resize(1280, 960);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view)) {
        return {};
    }
    view.startAcquisitionView(ScopeSettings::StepMode);
    flags.acquisitionActive = 1;
    for (int n = 122; n < 2000; n += 122) {
        flags.displayUpdatePending = 1;
        view.onDisplayUpdate(n);
    }
    flags.displayUpdatePending = 1;
    view.onDisplayUpdate(2000);
    flags.acquisitionActive = 0;
    view.onAcquisitionEnded();
    if (zoomedWithGrid) {
        QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, QPoint(500, 100));
        QTest::mouseMove(&view, QPoint(600, 300));
        QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, QPoint(710, 550));
        view.setGrid(true);
    }
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage projectInfoDialog() {
    ProjectInfo info = sampleProjectInfo();
    StringTable strings;
    ScriptedBoxes boxes;
    ProjectInfoDialog dialog(nullptr, strings, boxes, info, true);
    return grabShown(dialog);
}

QImage serialPortDialog() {
    StringTable strings;
    ScriptedBoxes boxes;
    PortSettings port;
    port.portCode = 2;
    port.baudCode = PortSettings::Baud19200;
    DevicePaths devices{};
    devices[1] = "/dev/ttyUSB0";
    devices[2] = "/dev/serial/by-id/usb-Acme_Lines_USB_Serial_232-if00-port0";
    SerialPortDialog dialog(
        nullptr, strings, boxes, port, devices, [] { return 0u; },
        [] { return std::vector<SerialDevice>{}; });
    return grabShown(dialog);
}

QImage scopeSetupDialog() {
    StringTable strings;
    ScriptedBoxes boxes;
    ScopeSettings settings;
    std::memset(&settings, 0, sizeof settings);
    resetScopeSettings(settings);
    settings.acqTimeRead = 8;
    settings.acqTimeReadValid = 1;
    settings.analogSelReadValid = 1;
    settings.triggerChannel = 1;
    ParameterRecord current{};
    ScopeSetupDialog dialog(nullptr, strings, boxes, settings, current, [] { return 0u; });
    return grabShown(dialog);
}

QImage selectPrintDialog() {
    StringTable strings;
    PrintObject object = PrintObject::Parameters;
    SelectPrintDialog dialog(nullptr, strings, object);
    return grabShown(dialog);
}

// The preview of a whole report, on the second page.
QImage printPreviewDialog() {
    StringTable strings;
    const auto records = knownProject();
    ScopeViewModel scope(records->scope, records->samples);
    scope.resetView();
    const ReportSource source{*records, scope, strings, QDateTime(QDate(2026, 3, 4), QTime(9, 5))};
    const ReportDocument document(source, PrintObject::All);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageOrientation(QPageLayout::Landscape);
    PrintPreviewDialog dialog(nullptr, strings, printer, document);
    dialog.resize(1000, 760);
    dialog.show();
    QApplication::processEvents();
    if (auto* preview = dialog.findChild<QPrintPreviewWidget*>()) {
        preview->fitInView();
        preview->setCurrentPage(2);
    }
    QApplication::processEvents();
    return dialog.grab().toImage();
}

QImage debugDialog() {
    StringTable strings;
    DebugDialog::StatusWords words{};
    words[0] = 0x3;
    words[1] = 0x800;
    words[2] = 0x1;
    words[6] = 0x250;
    DebugDialog dialog(nullptr, strings, words);
    return grabShown(dialog);
}

// The four Diagnosis dialogs, filled by a main window from kvt-devsim; true when all were written.
bool diagnosisShots(const QString& folder) {
    Devsim sim(KVT_DEVSIM_PATH);
    if (!sim.started()) {
        return false;
    }
    ShotWorkspace work;
    CMainFrame frame(work.environment(sim.terminalPath()));
    if (!frame.create()) {
        return false;
    }
    frame.resize(1280, 1000);
    frame.show();
    const QStringList files = shots::shootDiagnosisDialogs(
        frame, [&sim](const std::string& line) { return sim.command(line); }, folder);
    for (const QString& file : files) {
        std::printf("wrote %s\n", file.toLocal8Bit().constData());
    }
    return files.size() == 4;
}

struct Picture {
    const char* file;
    std::function<QImage()> draw;
};

}  // namespace
}  // namespace kvt::test

int main(int argc, char** argv) {
    using namespace kvt::test;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QString folder =
        QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".")).absolutePath();
    QDir().mkpath(folder);
    const Picture pictures[] = {
        {"main-window.png", mainWindow},
        {"first-window.png", firstWindow},
        {"scope-recording.png", [] { return scopeView(false); }},
        {"scope-zoomed-grid.png", [] { return scopeView(true); }},
        {"dialog-project-info.png", projectInfoDialog},
        {"dialog-serial-port.png", serialPortDialog},
        {"dialog-scope-setup.png", scopeSetupDialog},
        {"dialog-debug.png", debugDialog},
        {"dialog-select-print.png", selectPrintDialog},
        {"dialog-print-preview.png", printPreviewDialog},
    };
    int failed = 0;
    for (const Picture& picture : pictures) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(picture.file);
        const QImage shot = picture.draw();
        const bool saved = !shot.isNull() && shot.save(path, "PNG", 9);
        std::printf("%s %s\n", saved ? "wrote" : "FAILED", path.toLocal8Bit().constData());
        failed += saved ? 0 : 1;
    }
    // The dialogs that show what a controller holds, filled from kvt-devsim.
    auto save = [&](const QString& file, const QImage& shot) {
        const QString path = folder + QLatin1Char('/') + file;
        const bool saved = !shot.isNull() && shot.save(path, "PNG", 9);
        std::printf("%s %s\n", saved ? "wrote" : "FAILED", path.toLocal8Bit().constData());
        failed += saved ? 0 : 1;
    };
    const auto calibration = kvt::test::calibrationShots(KVT_DEVSIM_PATH);
    failed += calibration.empty() ? 1 : 0;
    for (const auto& [file, shot] : calibration) {
        save(file, shot);
    }
    failed += diagnosisShots(folder) ? 0 : 1;
    const auto parameters = kvt::test::parameterShots(KVT_DEVSIM_PATH);
    failed += parameters.size() == 8 ? 0 : 1;
    for (const auto& [file, shot] : parameters) {
        save(file, shot);
    }
    return failed == 0 ? 0 : 1;
}
