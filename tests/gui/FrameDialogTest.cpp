#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "GuiTestSupport.h"
#include "app/DebugDialog.h"
#include "app/MainFrame.h"
#include "app/ProjectInfoDialog.h"
#include "app/SerialPortDialog.h"
#include "engine/CommandWord.h"
#include "scope/view/ChildView.h"
#include "scope/view/ScopeSetupDialog.h"

namespace kvt {
namespace {

namespace fs = std::filesystem;
using test::leave;
using test::readText;

// Acts on the dialog of type T once the frame runs it modally.
template <typename T>
class WhenModal {
  public:
    explicit WhenModal(std::function<void(T&)> act) : act_(std::move(act)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
                timer_.stop();
                seen = true;
                act_(*dialog);
            }
        });
        timer_.start();
    }
    bool seen = false;

  private:
    std::function<void(T&)> act_;
    QTimer timer_;
};

class FrameDialogTest : public test::FrameFixture {
  protected:
    FrameDialogTest() : FrameFixture("kvt-frame-dialogs-") {}

    CMainFrame& start() {
        CMainFrame& f = openFrame(frameEnvironment());
        boxes.shown.clear();
        return f;
    }

    // Zooms the view into part of the recording by a drag, as the user would.
    void zoomIn(CMainFrame& f) {
        CChildView& view = f.view();
        const QSize size = view.size();
        // Around the middle of the plot, clear of the readout cursor (points of a 1280 x 960
        // view, scaled to the one shown).
        auto at = [&size](int x, int y) {
            return QPoint(x * size.width() / 1280, y * size.height() / 960);
        };
        QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, at(500, 100));
        QTest::mouseMove(&view, at(600, 300));
        QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, at(710, 550));
    }
};

TEST_F(FrameDialogTest, DialogsLeftUnchangedLeaveProjectRecordingAndRateAsTheyWere) {
    CMainFrame& f = start();
    f.records().samples.analog[0][10] = 42.0f;
    f.records().port.baudCode = PortSettings::Baud57600;
    WhenModal<ScopeSetupDialog> setup([](ScopeSetupDialog& d) { d.accept(); });
    f.scopeSetup();
    WhenModal<ProjectInfoDialog> info([](ProjectInfoDialog& d) { d.accept(); });
    f.projectInfo();
    WhenModal<SerialPortDialog> port([](SerialPortDialog& d) { d.accept(); });
    f.serialPort();
    ASSERT_TRUE(setup.seen && info.seen && port.seen);
    EXPECT_EQ(f.records().samples.analog[0][10], 42.0f);
    EXPECT_EQ(f.records().port.baudCode.load(), PortSettings::Baud57600);
    EXPECT_FALSE(f.modified());
}

TEST_F(FrameDialogTest, ScopeSetupOkWithAChangeClearsTheSamplesZoomsBackAndMarksTheProject) {
    CMainFrame& f = start();
    f.records().samples.analog[0][10] = 42.0f;
    zoomIn(f);
    ASSERT_FALSE(f.view().model().isFullWindow()) << "the drag zoomed in";
    WhenModal<ScopeSetupDialog> setup([](ScopeSetupDialog& d) {
        d.control<QComboBox>(ScopeSetupDialog::kSampleRate)->setCurrentIndex(2);
        d.accept();
    });
    f.action(command::kScopeSetup)->trigger();
    ASSERT_TRUE(setup.seen);
    EXPECT_EQ(f.records().scope.sampleRateIndex, 2);
    EXPECT_EQ(f.records().samples.analog[0][10], 0.0f);
    EXPECT_TRUE(f.view().model().isFullWindow());
    EXPECT_TRUE(f.modified());
    EXPECT_NE(f.windowTitle().toStdString().find("*]"), std::string::npos);
    EXPECT_FLOAT_EQ(f.view().model().state().period, 0.02f) << "the view took the new rate";
}

TEST_F(FrameDialogTest, ScopeSetupCancelConfirmedWithYesCountsAsAChangeToo) {
    CMainFrame& f = start();
    f.records().samples.analog[1][3] = 7.0f;
    zoomIn(f);
    ASSERT_FALSE(f.view().model().isFullWindow());
    WhenModal<ScopeSetupDialog> setup([](ScopeSetupDialog& d) {
        d.control<QLineEdit>(ScopeSetupDialog::kAcqTimeEdit)->setText("12");
        d.reject();
    });
    boxes.answers = {BoxResult::Yes};
    f.scopeSetup();
    ASSERT_TRUE(setup.seen);
    EXPECT_EQ(boxes.count("Data's are changed. Do you really want to cancel?"), 1);
    EXPECT_EQ(f.records().scope.acqTime, 12) << "the edited settings are in force";
    // Samples of 8 s drawn on a 12 s page would be wrong: they go, as after OK.
    EXPECT_EQ(f.records().samples.analog[1][3], 0.0f);
    EXPECT_TRUE(f.view().model().isFullWindow());
    EXPECT_FLOAT_EQ(f.view().model().state().window.end, 12.0f);
    EXPECT_TRUE(f.modified());
}

TEST_F(FrameDialogTest, ProjectInfoFromTheMenuMarksAChangedProject) {
    CMainFrame& f = start();
    WhenModal<ProjectInfoDialog> info([](ProjectInfoDialog& d) {
        EXPECT_FALSE(d.newMode());
        d.edit(ProjectInfoDialog::kProjectNameEdit)->setText("Pump station 4");
        d.accept();
    });
    f.action(command::kProjectInfo)->trigger();
    ASSERT_TRUE(info.seen);
    EXPECT_EQ(fieldText(f.records().projectInfo.projectName), "Pump station 4");
    EXPECT_TRUE(f.modified());
    f.updateStatusBars();
    EXPECT_EQ(f.projectStatusBar()->paneText(0).toStdString(), "Project: Pump station 4");
}

TEST_F(FrameDialogTest, NewProjectWritesTheProjectUnderTheNameChosen) {
    CMainFrame& f = start();
    f.records().params.currentSet.SETPOINT_SPAN = 55;
    WhenModal<ProjectInfoDialog> info([](ProjectInfoDialog& d) {
        EXPECT_TRUE(d.newMode());
        QLineEdit* file = d.edit(ProjectInfoDialog::kFileNameEdit);
        EXPECT_TRUE(file->isEnabled());
        file->setText("station");
        leave(file);
        d.edit(ProjectInfoDialog::kProjectNameEdit)->setText("Station");
        d.accept();
    });
    f.action(command::kNewProject)->trigger();
    ASSERT_TRUE(info.seen);
    EXPECT_EQ(fieldText(f.records().projectInfo.fileName), "station.KVT");
    EXPECT_EQ(fieldText(f.records().projectInfo.fullPath), "station.KVT");
    ASSERT_TRUE(fs::exists(dir / "station.KVT"));
    EXPECT_EQ(fs::file_size(dir / "station.KVT"), 173624u);
    EXPECT_EQ(readText(dir / "station.KVT").substr(0, 7), "Station");
    EXPECT_FALSE(f.modified()) << "just written";
    EXPECT_EQ(f.windowTitle().toStdString(), "KVT -  [ station.KVT ]");
    EXPECT_EQ(f.records().params.currentSet.SETPOINT_SPAN,
              f.records().params.defaultSet.SETPOINT_SPAN)
        << "a new project starts from the default parameters";
}

TEST_F(FrameDialogTest, NewProjectCancelledWritesNothingAndKeepsTheModifiedFlag) {
    CMainFrame& f = start();
    f.setModified(true);
    boxes.answers = {BoxResult::No};  // do not save the old project
    WhenModal<ProjectInfoDialog> info([](ProjectInfoDialog& d) { d.reject(); });
    f.newProject();
    ASSERT_TRUE(info.seen);
    EXPECT_EQ(fieldText(f.records().projectInfo.projectName), "UNKNOWN");
    EXPECT_FALSE(fs::exists(dir / "UNKNOWN.KVT"));
    EXPECT_TRUE(f.modified());
}

TEST_F(FrameDialogTest, AChangedPortIsWrittenAndTheNextActionStartsWithTheBaudRateTest) {
    CMainFrame& f = start();
    f.records().port.baudCode = PortSettings::Baud19200;
    WhenModal<SerialPortDialog> port([](SerialPortDialog& d) {
        d.portRadio(2)->click();
        d.accept();
    });
    f.action(command::kSerialPort)->trigger();
    ASSERT_TRUE(port.seen);
    EXPECT_EQ(f.records().port.portCode.load(), 2);
    EXPECT_EQ(f.records().port.baudCode.load(), PortSettings::BaudUnknown);
    EXPECT_NE(readText(dir / "KVT_com.ini").find("PORT=COM3"), std::string::npos);
    f.session().engine().post(cmd::kReadDeviceInfo);
    // The first request on the line is the baud-rate test's VER.
    const std::vector<std::uint8_t> request = pty.read(4, std::chrono::seconds(5));
    EXPECT_EQ(request, (std::vector<std::uint8_t>{0x02, 0x23, 0x00, 0x23}));
}

TEST_F(FrameDialogTest, CtrlShiftQOpensTheDebugDialog) {
    CMainFrame& f = start();
    QApplication::setActiveWindow(&f);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    QString shown;
    WhenModal<DebugDialog> debug([&shown](DebugDialog& d) {
        shown = d.valueBox(1)->valueText();
        d.accept();
    });
    QTest::keyClick(&f, Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return debug.seen; }, 5000));
    EXPECT_EQ(shown, "0x00000000 ") << "THREAD_CMD of an idle engine";
}

}  // namespace
}  // namespace kvt
