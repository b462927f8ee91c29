#include <gtest/gtest.h>

#include <QAction>
#include <QScreen>
#include <QTest>
#include <filesystem>

#include "GuiTestSupport.h"
#include "app/FrameGeometry.h"
#include "app/MainFrame.h"
#include "scope/view/ChildView.h"

namespace kvt {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::readText;

class MainFrameTest : public test::FrameFixture {
  protected:
    MainFrameTest() : FrameFixture("kvt-frame-") {}

    CMainFrame& start(StartupSwitches switches = {}) {
        CMainFrame::Environment env = frameEnvironment();
        env.switches = switches;
        env.buildStamp = "20261206 120000";
        return openFrame(std::move(env));
    }

    // A 4 s step recording from the simulated device, just started.
    CMainFrame& startStepRecordingInTestMode() {
        StartupSwitches switches;
        switches.testMode = 1;
        CMainFrame& f = start(switches);
        f.records().scope.mode = ScopeSettings::StepMode;
        f.records().scope.acqTime = 4;
        f.startAcquisition();
        return f;
    }

    static bool waitFor(const std::function<bool()>& condition,
                        std::chrono::milliseconds timeout = 20s) {
        return QTest::qWaitFor(condition, static_cast<int>(timeout.count()));
    }
};

TEST_F(MainFrameTest, AFreshStartShowsTheDefaultProjectAndWritesItsFiles) {
    CMainFrame& f = start();
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown[0].text, strings.text(379)) << "the caution message comes first";
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Stop);
    EXPECT_EQ(f.windowTitle().toStdString(), "KVT -  [ UNKNOWN.KVT ]");
    f.updateStatusBars();
    EXPECT_EQ(f.projectStatusBar()->paneText(0).toStdString(), "Project: UNKNOWN");
    EXPECT_EQ(f.fileStatusBar()->paneText(0).toStdString(), "File: UNKNOWN.KVT");
    EXPECT_EQ(f.projectStatusBar()->paneText(1).toStdString(), "Setpoint: --");
    EXPECT_EQ(f.fileStatusBar()->paneText(1).toStdString(), "Parameter Set: --");
    EXPECT_NE(readText(dir / "KVT_com.ini").find("PORT=COM1"), std::string::npos);
    EXPECT_NE(readText(dir / "KVT_para.ini").find("VALUE_PROPORTIONAL_GAIN=1.0"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "debug.txt")) << "no trace without -LOG";
    EXPECT_TRUE(waitFor([&] {
        const auto& flags = f.session().link().runFlag;
        return std::all_of(flags.begin(), flags.end(),
                           [](const auto& flag) { return flag.load() == RunRunning; });
    })) << "the four threads run";
    EXPECT_FLOAT_EQ(f.records().params.currentSet.PROPORTIONAL_GAIN, 1.0f);
    EXPECT_EQ(f.action(command::kCalibration), nullptr) << "calibration only with -CAL";
    EXPECT_NE(f.action(command::kParameters), nullptr);
}

TEST_F(MainFrameTest, TheRestoredSizeIsThreeQuartersOfTheScreenAndAtLeast1024By720) {
    EXPECT_EQ(restoredFrameSize(QSize(1920, 1080)), QSize(1440, 810));
    EXPECT_EQ(restoredFrameSize(QSize(2560, 1440)), QSize(1920, 1080));
    EXPECT_EQ(restoredFrameSize(QSize(1280, 800)), QSize(1024, 720));
    EXPECT_EQ(restoredFrameGeometry(QRect(0, 0, 1920, 1080)), QRect(240, 135, 1440, 810));
    EXPECT_EQ(restoredFrameGeometry(QRect(0, 0, 800, 600)).topLeft(), QPoint(0, 0))
        << "a small screen keeps the title bar on it";

    // The window itself, before anything maximizes it.
    CMainFrame::Environment env = frameEnvironment();
    frame = std::make_unique<CMainFrame>(std::move(env));
    ASSERT_TRUE(frame->create());
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(frame->geometry(), restoredFrameGeometry(available));
    EXPECT_GE(frame->width(), 1024);
    EXPECT_GE(frame->height(), 720);
}

TEST_F(MainFrameTest, TestModeAndTheLogSwitchShowInTheTitleAndTheTrace) {
    StartupSwitches switches;
    switches.testMode = 1;
    switches.log = true;
    switches.calibration = true;
    CMainFrame& f = start(switches);
    EXPECT_EQ(f.windowTitle().toStdString(), "KVT TESTMODE  -  [ UNKNOWN.KVT ]");
    EXPECT_NE(f.action(command::kCalibration), nullptr);
    const std::string trace = readText(dir / "debug.txt");
    EXPECT_EQ(trace.rfind("KVT  'Release 0.05' DEBUG-File ", 0), 0u);
    EXPECT_NE(trace.find("\r\n uTestMode Flag: 1 \r\n"), std::string::npos);
}

TEST_F(MainFrameTest, ExitAsksToSaveAModifiedProject) {
    CMainFrame& f = start();
    EXPECT_TRUE(f.exitAllowed()) << "nothing to save";
    f.setModified(true);
    EXPECT_EQ(f.windowTitle().toStdString(), "KVT -  [ UNKNOWN.KVT *]");
    boxes.answers = {BoxResult::Cancel};
    EXPECT_FALSE(f.exitAllowed());
    EXPECT_EQ(boxes.shown.back().buttons, BoxButtons::YesNoCancel);
    EXPECT_EQ(boxes.shown.back().defaultButton, BoxResult::No);
    boxes.answers = {BoxResult::No};
    EXPECT_TRUE(f.exitAllowed());
    EXPECT_FALSE(fs::exists(dir / "UNKNOWN.KVT")) << "No leaves without writing";
    // A save that fails keeps the window open and says why.
    const std::string path = fieldText(f.records().projectInfo.fullPath);
    setFieldText(f.records().projectInfo.fullPath, (dir / "no-such-folder" / "p.KVT").string());
    boxes.answers = {BoxResult::Yes};
    EXPECT_FALSE(f.exitAllowed());
    EXPECT_TRUE(f.modified());
    EXPECT_EQ(prompts.warnings.size(), 1u);
    setFieldText(f.records().projectInfo.fullPath, path);
    boxes.answers = {BoxResult::Yes};
    EXPECT_TRUE(f.exitAllowed());
    EXPECT_EQ(fs::file_size(dir / "UNKNOWN.KVT"), 173624u);
}

TEST_F(MainFrameTest, AFileWhoseTextsHoldNewlinesKeepsTitleAndStatusBarsOneLineHigh) {
    CMainFrame& f = start();
    const fs::path file = dir / "x\npasswd.KVT";
    ProjectInfo& info = f.records().projectInfo;
    setFieldText(info.projectName, "root:x:0\ndaemon:x:1");
    setProjectPath(info, file.string(), nullptr);
    ASSERT_EQ(f.saveProject(), save_result::kSaved);
    setFieldText(info.projectName, "");
    prompts.file = file.string();
    f.openProject();
    ASSERT_EQ(fieldText(info.projectName), "root:x:0\ndaemon:x:1") << "the file's bytes load";
    f.updateStatusBars();
    EXPECT_EQ(f.windowTitle().toStdString(), "KVT -  [ " + (dir / "x").string() + " ]");
    EXPECT_EQ(f.projectStatusBar()->paneText(0).toStdString(), "Project: root:x:0");
    EXPECT_EQ(f.fileStatusBar()->paneText(0).toStdString(), "File: x");
}

TEST_F(MainFrameTest, RecordsInTestModeAndRefusesToExitMeanwhile) {
    CMainFrame& f = startStepRecordingInTestMode();
    EXPECT_NE(f.commandWord() & cmd::kStepAcquisition, 0u);
    EXPECT_FALSE(f.action(command::kStartAcquisition)->isEnabled());
    EXPECT_FALSE(f.exitAllowed());
    EXPECT_EQ(boxes.count("Communication active. Exit not possible!"), 1);
    f.newProject();
    EXPECT_EQ(boxes.count("Communication active. Exit not possible!"), 2)
        << "New is refused while recording";
    ASSERT_TRUE(waitFor([&] { return f.commandWord() == 0; }));
    EXPECT_GT(f.view().model().state().progressX, 600);
    EXPECT_NE(f.records().samples.analog[0][999], 0.0f) << "the simulated ramp was recorded";
    EXPECT_TRUE(f.exitAllowed());
}

TEST_F(MainFrameTest, ACompletedRecordingMarksTheProjectModifiedSoExitAsksToSaveIt) {
    CMainFrame& f = startStepRecordingInTestMode();
    EXPECT_FALSE(f.modified());
    ASSERT_TRUE(waitFor([&] { return f.commandWord() == 0; }));
    ASSERT_TRUE(waitFor([&] { return f.modified(); })) << "the recording is part of the project";
    EXPECT_EQ(f.windowTitle().toStdString(), "KVT TESTMODE  -  [ UNKNOWN.KVT *]");
    boxes.answers = {BoxResult::Yes};
    EXPECT_TRUE(f.exitAllowed());
    EXPECT_EQ(boxes.shown.back().text, strings.text(32)) << "Exit asked to save";
    EXPECT_EQ(fs::file_size(dir / "UNKNOWN.KVT"), 173624u);
}

TEST_F(MainFrameTest, AStopLetsTheProgramExitAndWithNothingRunningIsAHardStop) {
    StartupSwitches switches;
    switches.testMode = 1;
    switches.log = true;
    CMainFrame& f = start(switches);
    f.stopAcquisition();
    EXPECT_NE(f.commandWord() & cmd::kHardStopAcquisition, 0u);
    ASSERT_TRUE(waitFor([&] { return f.commandWord() == 0; }));
    EXPECT_NE(readText(dir / "debug.txt").find(" Acquisition hard stopped"), std::string::npos);

    f.startAcquisition();  // Trigger Mode without a trigger: runs until stopped
    ASSERT_TRUE(waitFor([&] { return f.records().acquisition.acquisitionActive.load() == 1; }));
    f.stopAcquisition();
    EXPECT_TRUE(f.exitAllowed()) << "a pending stop lets the program close";
    ASSERT_TRUE(waitFor([&] { return f.commandWord() == 0; }));
}

TEST_F(MainFrameTest, NotificationsGoWhereTheirRouteSays) {
    CMainFrame& f = start();
    boxes.shown.clear();
    f.records().params.currentSet.SETPOINT_SPAN = 77;
    f.onMessageReceived(0x31, 0);  // what a hard stop with nothing running announces
    EXPECT_FALSE(f.modified());
    f.onMessageReceived(65, 0);
    EXPECT_EQ(f.records().params.deviceSet.SETPOINT_SPAN, 77) << "write done with no dialog open";
    f.onMessageReceived(7, 0);
    f.onMessageReceived(4, 0);
    f.onMessageReceived(0, 0);
    f.onMessageReceived(130, 0);
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].text, "Baudrate Error");
    EXPECT_EQ(boxes.shown[1].text, "Communication Error");
    EXPECT_EQ(boxes.shown[1].caption, "KVT");
    EXPECT_EQ(boxes.shown[2].text, "ERROR OnMsgReceive ");
    EXPECT_EQ(boxes.shown[2].caption, "ZEB");
}

TEST_F(MainFrameTest, ACommunicationErrorDuringARecordingEndsTheRecordingLook) {
    CMainFrame& f = startStepRecordingInTestMode();
    ASSERT_TRUE(waitFor([&] { return f.view().model().state().progressX > 0; }));
    f.onMessageReceived(4, 0);  // as a time-out that used up its retries announces itself
    EXPECT_EQ(f.view().model().state().progressX, 0) << "no progress bar mid-plot";
    EXPECT_EQ(f.records().acquisition.acquisitionActive.load(), 0) << "the traces drawn wide";
    EXPECT_EQ(boxes.count("Communication Error"), 1);
    EXPECT_TRUE(f.modified()) << "part of a recording replaced the project's";
}

TEST_F(MainFrameTest, ABaudrateErrorSaysWhyThePortWouldNotOpen) {
    const std::string missing = (dir / "no-such-tty").string();
    CMainFrame::Environment env = frameEnvironment();
    env.deviceOverride = missing;
    CMainFrame& f = openFrame(std::move(env));
    f.startAcquisition();
    ASSERT_TRUE(waitFor([&] { return boxes.count("Baudrate Error") == 1; }));
    const auto box = std::find_if(boxes.shown.begin(), boxes.shown.end(),
                                  [](const auto& b) { return b.text == "Baudrate Error"; });
    EXPECT_EQ(box->informative, missing + ": No such file or directory");
}

TEST_F(MainFrameTest, ShuttingDownDuringARecordingNeverHangs) {
    StartupSwitches switches;
    switches.testMode = 1;
    switches.log = true;
    CMainFrame& f = start(switches);
    f.startAcquisition();
    ASSERT_TRUE(waitFor([&] { return f.records().acquisition.acquisitionActive.load() == 1; }));
    frame.reset();  // the destructor stops the threads while display updates are being sent
    const std::string trace = readText(dir / "debug.txt");
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace.substr(trace.size() - 2), "\r\n") << "the trace ends on a whole line";
}

TEST_F(MainFrameTest, AutoAdaptNeedsTwoConfirmationsAndGridCommandsReachTheView) {
    CMainFrame& f = start();
    f.records().port.baudCode = PortSettings::Baud19200;
    boxes.answers = {BoxResult::Ok, BoxResult::Cancel};
    f.autoAdapt();
    EXPECT_EQ(f.commandWord(), 0u);
    EXPECT_EQ(boxes.shown.back().caption, "Auto-Adapt");

    f.action(command::kShowGrid)->trigger();
    EXPECT_TRUE(f.view().grid());
    EXPECT_TRUE(f.action(command::kShowGrid)->isChecked());
    f.action(command::kShowGrid)->trigger();
    EXPECT_FALSE(f.view().grid());
}

}  // namespace
}  // namespace kvt
