// The user-interface thread while recording: the main window in test mode records in Trigger Mode
// at 4 ms for a number of seconds (default 10) and the user-interface thread's CPU time is
// reported as a share of the wall time, with the display updates it painted.
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "BenchSupport.h"
#include "app/MainFrame.h"
#include "scope/view/ChildView.h"

namespace {

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kvt;
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("KVT_AUTO_ANSWER", "1");
    QApplication app(argc, argv);
    const auto dir = std::filesystem::temp_directory_path() / "kvt-recording-bench";
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);

    bench::RawPty pty;

    StringTable strings;
    QtMessageBoxes boxes;
    CMainFrame::Environment env{strings, boxes};
    env.switches.testMode = 1;
    env.workingDirectory = dir.string();
    env.deviceOverride = pty.path();
    CMainFrame frame(std::move(env));
    frame.create();
    frame.resize(1280, 1000);
    frame.show();
    frame.records().scope.mode = ScopeSettings::TriggerMode;
    frame.records().scope.sampleRateIndex = 0;
    frame.records().scope.acqTime = 20;
    frame.startAcquisition();
    (void)QTest::qWaitFor([&] { return frame.records().acquisition.acquisitionActive.load() == 1; },
                          20000);

    const double cpuBefore = threadCpuMs();
    const int updatesBefore = frame.view().model().state().displayUpdates;
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(seconds * 1000);
    const double cpu = threadCpuMs() - cpuBefore;
    const double wallMs = static_cast<double>(wall.elapsed());
    const int updates = frame.view().model().state().displayUpdates - updatesBefore;
    frame.stopAcquisition();
    (void)QTest::qWaitFor([&] { return frame.commandWord() == 0; }, 20000);
    std::printf(
        "user-interface thread while recording Trigger Mode at 4 ms: %.0f ms CPU over "
        "%.0f ms = %.2f %% busy, %d display updates (%.2f ms each)\n",
        cpu, wallMs, 100.0 * cpu / wallMs, updates, updates > 0 ? cpu / updates : 0.0);
    return 0;
}
