#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <cmath>
#include <limits>

#include "ChildViewFixture.h"
#include "scope/ScopeReadout.h"
#include "scope/view/ScopePainter.h"

namespace kvt::test {
namespace {

const QColor kBlack(0, 0, 0);
const QColor kYellow(255, 255, 0);

void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

TEST_F(ChildViewTest, PaintsTheRecording) {
    auto view = makeView();
    // Until the frame resets the view the readout values are zero.
    EXPECT_EQ(labelText(*view, "legendValue1"), "0.0");
    view->resetView();
    const QImage image = view->grab().toImage();
    ASSERT_EQ(image.size(), QSize(1280, 960));

    // Sample 325 (1.3 s, the feedback still rising) of each channel at x 430 + 325 x 0.35.
    const int j = 325;
    ASSERT_EQ(traceX(j, 0.35f), 544);
    for (int c = 0; c < kAnalogChannels; ++c) {
        const int y = analogTraceY(c, samples->analog[c][j], -11, 100);
        EXPECT_TRUE(colourNear(image, {544, y}, kChannelColours[static_cast<std::size_t>(c)]))
            << "channel " << c + 1 << " at y " << y;
    }
    const int x = traceX(1500, 0.35f);
    // Binary channel 4 (Digital Input) is high from 1 s on; channel 1 stays low.
    EXPECT_TRUE(colourNear(image, {x, binaryTraceY(3, 1)}, kBinaryColour));
    EXPECT_TRUE(colourNear(image, {x, binaryTraceY(0, 0)}, kBinaryColour));
    // Page frame and readout cursor at 4 s.
    EXPECT_EQ(image.pixelColor(300, 400).rgb(), kBlack.rgb());
    EXPECT_EQ(image.pixelColor(780, 880).rgb(), kBlack.rgb());

    EXPECT_EQ(labelText(*view, "plotCaption1"), "Ch1: Setpoint");
    EXPECT_EQ(labelText(*view, "plotCaption2"), "Ch2: Feedback");
    EXPECT_EQ(labelText(*view, "legendCaption3"), "Ch3: Control Deviation");
    EXPECT_EQ(labelText(*view, "binaryCaption3"), "Ch3: Signal Close");
    EXPECT_EQ(labelText(*view, "readoutCaption"), "Readout Time");
    EXPECT_EQ(labelText(*view, "readoutEdit"), "4.000");
    EXPECT_EQ(labelText(*view, "legendValue1"),
              QString::fromStdString(format("%1.1f", double(samples->analog[0][1000]))));
    EXPECT_EQ(labelText(*view, "binaryValue4"), "1");
    EXPECT_EQ(labelText(*view, "timeLabel0"), "0.000");
    EXPECT_EQ(labelText(*view, "timeLabel1"), "2.667");
    EXPECT_EQ(labelText(*view, "timeLabel3"), "8.000");
    EXPECT_EQ(labelText(*view, "leftLabel0"), "100 %");
    EXPECT_EQ(labelText(*view, "leftLabel11"), "-10");
    EXPECT_EQ(labelText(*view, "rightLabel11"), "-120");
    EXPECT_EQ(labelText(*view, "timeUnit"), "t/s");
    const auto* zoomBack = view->findChild<QPushButton*>("zoomBack");
    ASSERT_NE(zoomBack, nullptr);
    EXPECT_EQ(zoomBack->text(), "Zoom Back");
    EXPECT_EQ(zoomBack->geometry(), QRect(20, 890, 200, 60));
}

TEST_F(ChildViewTest, DisplayUpdateRepaintsTheStripBeforeItReturns) {
    auto view = makeView();
    view->startAcquisitionView(ScopeSettings::StepMode);
    QImage before = view->grab().toImage();
    EXPECT_FALSE(colourNear(before, {782, 845}, kYellow, 0));

    flags.acquisitionActive = 1;
    flags.displayUpdatePending = 1;
    trace.clear();
    view->onDisplayUpdate(1000);

    // The paint ran inside the call: the engine may go on as soon as it returns.
    EXPECT_EQ(trace.texts(), (std::vector<std::string>{"Display update start OnPaint",
                                                       "Display update done OnPaint"}));
    EXPECT_EQ(flags.displayUpdatePending.load(), 0);
    EXPECT_EQ(view->model().state().progressX, 350);
    const QImage after = view->grab().toImage();
    EXPECT_TRUE(colourNear(after, {782, 845}, kYellow, 0));
}

TEST_F(ChildViewTest, HiddenViewLeavesTheUpdateAnnounced) {
    auto view = makeView();
    view->hide();
    flags.displayUpdatePending = 1;
    trace.clear();
    view->onDisplayUpdate(500);
    // No paint: the engine sees the pending flag and reports the update as too fast.
    EXPECT_EQ(flags.displayUpdatePending.load(), 1);
    EXPECT_TRUE(trace.texts().empty());
}

TEST_F(ChildViewTest, EveryPaintClearsTheAnnouncement) {
    auto view = makeView();
    flags.displayUpdatePending = 1;
    trace.clear();
    view->repaint();
    EXPECT_EQ(flags.displayUpdatePending.load(), 0);
    EXPECT_EQ(trace.count("Display update start OnPaint"), 1);
    view->repaint();
    EXPECT_EQ(trace.count("Display update start OnPaint"), 1);  // nothing announced since
}

TEST_F(ChildViewTest, MouseDragZoomsAsTheArithmeticSays) {
    auto view = makeView();
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(500, 100));
    QTest::mouseMove(view.get(), QPoint(700, 200));
    EXPECT_EQ(view->cursor().shape(), Qt::CrossCursor);
    QTest::mouseMove(view.get(), QPoint(850, 350));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(850, 350));

    const ViewWindow expected =
        zoomWindow({0.0f, 8.0f, -11, 100}, {70, 420, 100, 350}, 8.0f, 0.004f, false);
    EXPECT_EQ(view->model().state().window, expected);
    EXPECT_FLOAT_EQ(expected.start, 0.8f);
    EXPECT_FLOAT_EQ(expected.end, 4.8f);
    EXPECT_EQ(expected.yMin, 44);
    // The readout at 4 s is inside the new window and stays.
    EXPECT_FLOAT_EQ(view->model().state().readoutTime, 4.0f);

    view->repaint();
    EXPECT_EQ(labelText(*view, "timeLabel0"), "0.800");
    EXPECT_EQ(labelText(*view, "leftLabel0"), "100 %");
    EXPECT_EQ(labelText(*view, "leftLabel1"), " 89");  // 56 % in steps of 11
}

TEST_F(ChildViewTest, LabelsOfAnEarlierWindowLeaveNoHoles) {
    auto view = makeView();
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(500, 100));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(710, 550));
    // Five divisions now (0.8 .. 3.2 s): the old "2.667" label at 663..723 has gone, and its
    // place between the new labels at 570 and 710 shows the page again.
    const QImage image = view->grab().toImage();
    EXPECT_EQ(countColour(image, QRect(640, 868, 60, 30), QColor(Qt::white)), 60 * 30);
    EXPECT_EQ(labelText(*view, "timeLabel5"), "3.200");
}

TEST_F(ChildViewTest, NarrowDragGivesThreeSamples) {
    auto view = makeView();
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(500, 98));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(501, 602));
    const ViewWindow& w = view->model().state().window;
    EXPECT_FLOAT_EQ(w.start, 0.8f);
    EXPECT_FLOAT_EQ(w.end, 0.812f);
    EXPECT_EQ(samplesInView(w.start, w.end, 8.0f, 0.004f), 3);
    // The readout moved into the window, on the sample grid.
    EXPECT_FLOAT_EQ(view->model().state().readoutTime, 0.808f);
}

TEST_F(ChildViewTest, ClickWithoutMovementDoesNotZoom) {
    auto view = makeView();
    QTest::mouseClick(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(600, 300));
    EXPECT_TRUE(view->model().isFullWindow());
}

TEST_F(ChildViewTest, NoDragsWhileRecording) {
    auto view = makeView();
    commandWord = 0x800;
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(500, 100));
    QTest::mouseMove(view.get(), QPoint(850, 350));
    EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(850, 350));
    EXPECT_TRUE(view->model().isFullWindow());

    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(780, 895));
    QTest::mouseMove(view.get(), QPoint(431, 895));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(431, 895));
    EXPECT_FLOAT_EQ(view->model().state().readoutTime, 4.0f);
}

TEST_F(ChildViewTest, CursorShowsWhatADragWouldDo) {
    auto view = makeView();
    QTest::mouseMove(view.get(), QPoint(600, 300));
    EXPECT_EQ(view->cursor().shape(), Qt::CrossCursor);
    QTest::mouseMove(view.get(), QPoint(785, 900));
    EXPECT_EQ(view->cursor().shape(), Qt::SizeHorCursor);
    QTest::mouseMove(view.get(), QPoint(1200, 700));
    EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);  // the default
    commandWord = 0x200;
    QTest::mouseMove(view.get(), QPoint(600, 301));
    EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ChildViewTest, ReadoutDragFollowsTheMouseOnTheSampleGrid) {
    auto view = makeView();
    EXPECT_FALSE(colourNear(view->grab().toImage(), {438, 907}, kBlack));
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(790, 895));
    QTest::mouseMove(view.get(), QPoint(431, 700));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(431, 700));
    EXPECT_FLOAT_EQ(view->model().state().readoutTime, 0.012f);
    EXPECT_TRUE(view->model().isFullWindow());  // a cursor drag is no zoom
    view->repaint();
    EXPECT_EQ(labelText(*view, "readoutEdit"), "0.012");
    EXPECT_EQ(labelText(*view, "legendValue1"), "10.2");  // before the step
    // The handle's right edge from (431, 885) to (439, 910), below the time labels.
    EXPECT_TRUE(colourNear(view->grab().toImage(), {438, 907}, kBlack));
}

TEST_F(ChildViewTest, TypedReadoutSnapsToTheNextSample) {
    auto view = makeView();
    auto* edit = view->findChild<QLineEdit*>("readoutEdit");
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(edit->isReadOnly());
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "2.003");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(edit->text(), "2.004");
    EXPECT_FLOAT_EQ(view->model().state().readoutTime, 2.004f);
    view->repaint();
    EXPECT_EQ(labelText(*view, "legendValue2"),
              QString::fromStdString(format("%1.1f", double(samples->analog[1][501]))));

    edit->selectAll();
    QTest::keyClicks(edit, "2.0037");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(edit->text(), "2.0");
    EXPECT_EQ(view->model().state().readoutTime, 2.0037f);
    view->repaint();
    EXPECT_EQ(edit->text(), "2.0");  // a repaint keeps what was applied
}

TEST_F(ChildViewTest, TypedReadoutIsClampedToTheWindow) {
    auto view = makeView();
    auto* edit = view->findChild<QLineEdit*>("readoutEdit");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "9.5");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(edit->text(), "8.0");
    EXPECT_FLOAT_EQ(view->model().state().readoutTime, 8.0f);
}

TEST_F(ChildViewTest, LeavingTheReadoutEditAppliesIt) {
    auto view = makeView();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    auto* edit = view->findChild<QLineEdit*>("readoutEdit");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "5.001");
    trace.clear();
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_TRUE(trace.contains("Next Tab found 0 \n"));
    EXPECT_EQ(QApplication::focusWidget(), view->findChild<QPushButton*>("zoomBack"));
    EXPECT_FLOAT_EQ(view->model().state().readoutTime, 5.004f);
    EXPECT_EQ(edit->text(), "5.004");
}

TEST_F(ChildViewTest, TabCommandsSwitchBetweenTheTwoStops) {
    QWidget frame;
    auto* other = new QLineEdit(&frame);
    other->setGeometry(0, 0, 10, 10);
    auto view = std::make_unique<CChildView>(
        settings, *samples, flags, strings, trace, [this] { return commandWord.load(); }, &frame);
    view->setGeometry(0, 20, 1280, 960);
    frame.resize(1280, 980);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    auto* edit = view->findChild<QLineEdit*>("readoutEdit");
    auto* button = view->findChild<QPushButton*>("zoomBack");

    edit->setFocus();
    view->nextTab();
    EXPECT_EQ(frame.focusWidget(), button);
    EXPECT_EQ(view->model().state().focusIndex, 1);
    view->prevTab();
    EXPECT_EQ(frame.focusWidget(), edit);
    other->setFocus();
    view->nextTab();
    EXPECT_EQ(frame.focusWidget(), button);
    other->setFocus();
    view->prevTab();
    EXPECT_EQ(trace.texts(),
              (std::vector<std::string>{"Next Tab found 0 \n", "Prev Tab found 1 \n",
                                        "Next Tab not found \n", "Prev Tab not found \n"}));
}

TEST_F(ChildViewTest, EnterAppliesTheReadoutEditOnlyWhenItHasFocus) {
    auto view = makeView();
    auto* edit = view->findChild<QLineEdit*>("readoutEdit");
    auto* button = view->findChild<QPushButton*>("zoomBack");
    button->setFocus();
    edit->setText("1.001");
    view->enterCommand();
    EXPECT_FLOAT_EQ(view->model().state().readoutTime, 4.0f);
    edit->setFocus();
    view->enterCommand();
    EXPECT_FLOAT_EQ(view->model().state().readoutTime, 1.004f);
}

TEST_F(ChildViewTest, ZoomBackRestoresTheWholeRecording) {
    auto view = makeView();
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(500, 100));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(850, 350));
    ASSERT_FALSE(view->model().isFullWindow());
    QTest::mouseClick(view->findChild<QPushButton*>("zoomBack"), Qt::LeftButton);
    EXPECT_TRUE(view->model().isFullWindow());
    EXPECT_EQ(view->model().state().window, (ViewWindow{0.0f, 8.0f, -11, 100}));
    view->repaint();
    EXPECT_EQ(labelText(*view, "timeLabel3"), "8.000");
    EXPECT_EQ(view->findChild<QLineEdit*>("timeLabel4"), nullptr);

    // Menu 32009 takes the same way.
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(500, 100));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(850, 350));
    view->zoomBack();
    EXPECT_TRUE(view->model().isFullWindow());
}

TEST_F(ChildViewTest, GridAddsDottedLinesAcrossThePlot) {
    auto view = makeView();
    EXPECT_FALSE(view->grid());
    const QRect column(663, 110, 1, 480);  // time tick 1 of 3
    const int without = countColour(view->grab().toImage(), column, kBlack);
    view->setGrid(true);
    EXPECT_TRUE(view->grid());
    const QImage with = view->grab().toImage();
    EXPECT_GT(countColour(with, column, kBlack), without + 120);  // every third pixel
    // Value grid line 2 (80 %) at y 190, dotted across 400..1130.
    EXPECT_GT(countColour(with, QRect(400, 190, 730, 1), kBlack), 200);
    view->setGrid(false);
    EXPECT_EQ(countColour(view->grab().toImage(), column, kBlack), without);
}

TEST_F(ChildViewTest, ChannelSetToNoneHasNoTraceAndShowsDashes) {
    settings.analogSel(3) = 4;
    auto view = makeView();
    const QImage image = view->grab().toImage();
    EXPECT_EQ(countColour(image, QRect(428, 98, 705, 505), kChannelColours[3]), 0);
    EXPECT_GT(countColour(image, QRect(428, 98, 705, 505), kChannelColours[2]), 100);
    EXPECT_EQ(labelText(*view, "legendValue4"), "--");
    EXPECT_EQ(labelText(*view, "legendCaption4"), "Ch4: none");
}

TEST_F(ChildViewTest, TriggerModeShowsTheNewestSampleAtTheRight) {
    settings.mode = ScopeSettings::TriggerMode;
    settings.sampleRateIndex = 0;
    auto view = makeView();
    view->startAcquisitionView(ScopeSettings::TriggerMode);
    EXPECT_EQ(view->model().state().progressX, 700);
    EXPECT_FLOAT_EQ(view->model().state().readoutTime, 0.0f);
    const QImage image = view->grab().toImage();
    EXPECT_EQ(labelText(*view, "timeLabel0"), "8.000");
    EXPECT_EQ(labelText(*view, "timeLabel3"), "0.000");
    EXPECT_TRUE(colourNear(image, {1137, 300}, kYellow, 0));
    EXPECT_EQ(labelText(*view, "readoutEdit"), "0.000");
}

TEST_F(ChildViewTest, ShorterRecordingWithAnOldWindowPaintsInsideTheArrays) {
    settings.mode = ScopeSettings::TriggerMode;
    settings.acqTime = 20;
    auto view = makeView();
    view->resetView();
    auto* edit = view->findChild<QLineEdit*>("readoutEdit");
    edit->setFocus();
    edit->setText("15");
    view->enterCommand();
    // The setup dialog shortens the recording and is cancelled: no zoom back.
    settings.acqTime = 4;
    view->setPeriodFromSettings();
    view->onAcquisitionEnded();
    EXPECT_EQ(labelText(*view, "legendValue1"),
              QString::fromStdString(format("%1.1f", double(samples->analog[0][0]))));
}

TEST_F(ChildViewTest, AcquisitionEndRefreshesTheReadoutAtOnce) {
    auto view = makeView();
    samples->analog[0][1000] = 42.0f;
    samples->binary[2][1000] = 1;
    view->onAcquisitionEnded();
    EXPECT_EQ(labelText(*view, "legendValue1"), "42.0");
    EXPECT_EQ(labelText(*view, "binaryValue3"), "1");
}

TEST_F(ChildViewTest, ChannelNamesFollowMasterAndSlave) {
    auto view = makeView();
    settings.masterSlave = 1;
    view->reloadChannelNames();
    view->repaint();
    EXPECT_EQ(labelText(*view, "plotCaption1"), "Ch1: Setpoint(S)");
    EXPECT_EQ(labelText(*view, "legendCaption2"), "Ch2: Feedback(S)");
    // A selection out of range (a damaged file) shows no name instead of a wrong one.
    settings.analogSel(0) = 7;
    settings.binarySel[1] = 12;
    view->reloadChannelNames();
    view->repaint();
    EXPECT_EQ(labelText(*view, "plotCaption1"), "Ch1: ");
    EXPECT_EQ(labelText(*view, "binaryCaption2"), "Ch2: ");
}

TEST_F(ChildViewTest, SmallClientScalesThePageDown) {
    auto view = makeView({640, 480});
    const QImage image = view->grab().toImage();
    EXPECT_EQ(image.pixelColor(150, 200).rgb(), kBlack.rgb());  // page frame at 300 / 2
    // Traces at half scale: one pixel wide, at half the logical position.
    const int y = analogTraceY(0, samples->analog[0][1500], -11, 100);
    EXPECT_TRUE(colourNear(image, {traceX(1500, 0.35f) / 2, y / 2}, kChannelColours[0]));
    EXPECT_TRUE(colourNear(image, {478, binaryTraceY(3, 1) / 2}, kBinaryColour));
    const int fh = labelHeightForScreen(view->screen()->geometry().width());
    const auto* value = view->findChild<QLineEdit*>("legendValue1");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->geometry().left(), 40);
    EXPECT_EQ(value->geometry().width(), 60);
    EXPECT_EQ(value->geometry().top(), std::lround(85 / 2.0));
    EXPECT_EQ(value->geometry().bottom() + 1, std::lround((85 + fh) / 2.0));

    // A drag in device units maps back onto the logical page.
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(250, 49));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(425, 301));
    const ViewWindow expected =
        zoomWindow({0.0f, 8.0f, -11, 100}, {70, 420, 98, 602}, 8.0f, 0.004f, false);
    EXPECT_EQ(view->model().state().window, expected);
}

TEST_F(ChildViewTest, DamagedSettingsAndSamplesStillPaint) {
    // What a damaged project file could hold.
    settings.mode = ScopeSettings::TriggerMode;
    settings.acqTime = -3;
    settings.sampleRateIndex = 99;
    settings.analogSel(1) = -1;
    settings.binarySel[2] = 100;
    for (int i = 0; i < kSampleEntries; i += 7) {
        samples->analog[0][i] = std::numeric_limits<float>::quiet_NaN();
        samples->analog[1][i] = std::numeric_limits<float>::infinity();
        samples->analog[2][i] = -1e30f;
        samples->binary[0][i] = 7;
    }
    auto view = makeView();
    view->resetView();
    view->startAcquisitionView(ScopeSettings::TriggerMode);
    view->onDisplayUpdate(std::numeric_limits<int>::max());
    EXPECT_EQ(view->model().state().progressX, 0);  // no recording length: no progress
    settings.acqTime = 8;
    view->onDisplayUpdate(std::numeric_limits<int>::max());
    EXPECT_EQ(view->model().state().progressX, 700);
    view->onDisplayUpdate(-5);
    EXPECT_EQ(view->model().state().progressX, 0);
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(500, 100));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(850, 350));
    auto* edit = view->findChild<QLineEdit*>("readoutEdit");
    edit->setFocus();
    edit->setText("99999999999999999999");
    view->enterCommand();
    view->onAcquisitionEnded();
    const QImage image = view->grab().toImage();
    EXPECT_EQ(image.size(), QSize(1280, 960));
    EXPECT_EQ(labelText(*view, "legendCaption2"), "Ch2: ");
    EXPECT_TRUE(std::isfinite(view->model().state().readoutTime));
}

TEST_F(ChildViewTest, ZeroSizeClientIsTraced) {
    QWidget frame;
    CChildView view(
        settings, *samples, flags, strings, trace, [] { return 0u; }, &frame);
    view.setGeometry(0, 0, 0, 0);
    trace.clear();
    sendMouse(&view, QEvent::MouseButtonPress, {0, 0}, Qt::LeftButton);
    sendMouse(&view, QEvent::MouseMove, {0, 0}, Qt::LeftButton);
    sendMouse(&view, QEvent::MouseButtonRelease, {0, 0}, Qt::NoButton);
    EXPECT_EQ(trace.texts(), (std::vector<std::string>{
                                 "OnLButtonDown: nWidthDP == 0 \n",
                                 "OnLButtonDown: nHeightDP == 0 \n",
                                 "OnMouseMove: nWidthDP == 0 \n",
                                 "OnMouseMove: nHeightDP == 0 \n",
                             }));
    EXPECT_TRUE(view.model().isFullWindow());
}

TEST_F(ChildViewTest, ClosingTheEmbeddedViewLeavesTheFrameAndTheLinkAlone) {
    QWidget frame;
    auto* view = new CChildView(
        settings, *samples, flags, strings, trace, [this] { return commandWord.load(); }, &frame);
    view->setGeometry(0, 0, 1280, 960);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    trace.clear();
    commandWord = 0x800;
    EXPECT_FALSE(view->close());
    EXPECT_TRUE(view->isVisible());
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(commandWord.load(), 0x800u);  // nothing asked the engine to stop
    EXPECT_TRUE(trace.texts().empty());
}

}  // namespace
}  // namespace kvt::test
