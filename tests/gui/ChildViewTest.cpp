// The scope view as a widget: what it paints, and how mouse, keyboard and the engine's display
// updates reach its model. The arithmetic itself is tested in the unit tests of scope/.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <utility>

#include "StepRecording.h"
#include "scope/ScopeReadout.h"
#include "scope/view/ChildView.h"
#include "scope/view/ScopePainter.h"
#include "support/RecordingTrace.h"

namespace kvt::test {
namespace {

const QColor kBlack(0, 0, 0);
const QColor kYellow(255, 255, 0);
const ViewWindow kFull{0.0f, 8.0f, -11, 100};
using Texts = std::vector<std::pair<const char*, const char*>>;

// Whether a pixel of this colour lies within `radius` of the point.
bool colourNear(const QImage& image, QPoint at, QColor colour, int radius = 1) {
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p = at + QPoint(dx, dy);
            if (image.rect().contains(p) && image.pixelColor(p).rgb() == colour.rgb()) {
                return true;
            }
        }
    }
    return false;
}

int countColour(const QImage& image, const QRect& area, QColor colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            n += image.pixelColor(x, y).rgb() == colour.rgb() ? 1 : 0;
        }
    }
    return n;
}

void drag(QWidget* view, QPoint from, QPoint to) {
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, to);
}

class ChildViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetScopeSettings(settings);
        fillStepResponse(settings, *samples, 2000);
    }

    std::unique_ptr<CChildView> makeView(QSize size = {1280, 960}, QWidget* parent = nullptr) {
        auto view = std::make_unique<CChildView>(
            settings, *samples, flags, strings, trace, [this] { return commandWord.load(); },
            parent);
        view->resize(size);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return view;
    }

    static QString labelText(const CChildView& view, const char* name) {
        const auto* label = view.findChild<QLineEdit*>(QString::fromLatin1(name));
        return label != nullptr ? label->text() : QStringLiteral("<missing>");
    }
    static void expectTexts(const CChildView& view, const Texts& texts) {
        for (const auto& [name, text] : texts) {
            EXPECT_EQ(labelText(view, name), text) << name;
        }
    }
    QString sampleText(int channel, int index) const {
        return QString::fromStdString(format("%1.1f", double(samples->analog[channel][index])));
    }
    static QLineEdit* readoutEdit(CChildView& view) {
        return view.findChild<QLineEdit*>("readoutEdit");
    }
    static void typeReadout(CChildView& view, const char* text) {
        QLineEdit* edit = readoutEdit(view);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    static float readout(const CChildView& view) { return view.model().state().readoutTime; }

    ScopeSettings settings{};
    std::unique_ptr<AcquisitionBuffers> samples = std::make_unique<AcquisitionBuffers>();
    AcquisitionFlags flags;
    ScopeStrings strings;
    RecordingTrace trace;
    std::atomic<std::uint32_t> commandWord{0};
};

TEST_F(ChildViewTest, PaintsTheRecording) {
    auto view = makeView();
    // Until the frame resets the view the readout values are zero.
    EXPECT_EQ(labelText(*view, "legendValue1"), "0.0");
    view->resetView();
    const QImage image = view->grab().toImage();
    ASSERT_EQ(image.size(), QSize(1280, 960));

    // Sample 325 (1.3 s, the feedback still rising) of each channel at x 430 + 325 x 0.35.
    ASSERT_EQ(traceX(325, 0.35f), 544);
    for (int c = 0; c < kAnalogChannels; ++c) {
        const int y = analogTraceY(c, samples->analog[c][325], -11, 100);
        EXPECT_TRUE(colourNear(image, {544, y}, kChannelColours[static_cast<std::size_t>(c)]))
            << "channel " << c + 1 << " at y " << y;
    }
    // Binary channel 4 (Digital Input) is high from 1 s on; channel 1 stays low.
    const int x = traceX(1500, 0.35f);
    EXPECT_TRUE(colourNear(image, {x, binaryTraceY(3, 1)}, kBinaryColour));
    EXPECT_TRUE(colourNear(image, {x, binaryTraceY(0, 0)}, kBinaryColour));
    // Page frame and readout cursor at 4 s.
    EXPECT_EQ(image.pixelColor(300, 400).rgb(), kBlack.rgb());
    EXPECT_EQ(image.pixelColor(780, 880).rgb(), kBlack.rgb());

    // One label of each kind; their texts are computed and tested in scope/.
    expectTexts(*view, {{"plotCaption1", "Ch1: Setpoint"},
                        {"legendCaption3", "Ch3: Control Deviation"},
                        {"binaryCaption3", "Ch3: Signal Close"},
                        {"readoutEdit", "4.000"},
                        {"binaryValue4", "1"},
                        {"timeLabel1", "2.667"},
                        {"leftLabel11", "-10"},
                        {"rightLabel11", "-120"},
                        {"timeUnit", "t/s"}});
    EXPECT_EQ(labelText(*view, "legendValue1"), sampleText(0, 1000));
    const auto* zoomBack = view->findChild<QPushButton*>("zoomBack");
    ASSERT_NE(zoomBack, nullptr);
    EXPECT_EQ(zoomBack->text(), "Zoom Back");
    EXPECT_EQ(zoomBack->geometry(), QRect(20, 890, 200, 60));
}

TEST_F(ChildViewTest, DisplayUpdatesArePaintedBeforeTheCallReturnsAndOnlyWhenShown) {
    auto view = makeView();
    view->startAcquisitionView(ScopeSettings::StepMode);
    EXPECT_FALSE(colourNear(view->grab().toImage(), {782, 845}, kYellow, 0));
    flags.acquisitionActive = 1;
    flags.displayUpdatePending = 1;
    trace.clear();
    view->onDisplayUpdate(1000);
    // The paint ran inside the call: the engine may go on as soon as it returns.
    EXPECT_EQ(trace.texts(), (std::vector<std::string>{"Display update start OnPaint",
                                                       "Display update done OnPaint"}));
    EXPECT_EQ(flags.displayUpdatePending.load(), 0);
    EXPECT_EQ(view->model().state().progressX, 350);
    EXPECT_TRUE(colourNear(view->grab().toImage(), {782, 845}, kYellow, 0));

    // Every paint clears an announcement, and only one.
    flags.displayUpdatePending = 1;
    trace.clear();
    view->repaint();
    view->repaint();
    EXPECT_EQ(flags.displayUpdatePending.load(), 0);
    EXPECT_EQ(trace.count("Display update start OnPaint"), 1);

    // Hidden, nothing paints: the engine sees the pending flag and reports the update too fast.
    view->hide();
    flags.displayUpdatePending = 1;
    trace.clear();
    view->onDisplayUpdate(500);
    EXPECT_EQ(flags.displayUpdatePending.load(), 1);
    EXPECT_TRUE(trace.texts().empty());
}

TEST_F(ChildViewTest, AMouseDragZoomsAsTheArithmeticSaysAndZoomBackUndoesIt) {
    auto view = makeView();
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(500, 100));
    QTest::mouseMove(view.get(), QPoint(700, 200));
    EXPECT_EQ(view->cursor().shape(), Qt::CrossCursor);
    QTest::mouseMove(view.get(), QPoint(850, 350));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(850, 350));
    EXPECT_EQ(view->model().state().window,
              zoomWindow(kFull, {70, 420, 100, 350}, 8.0f, 0.004f, false));
    EXPECT_FLOAT_EQ(readout(*view), 4.0f) << "the readout inside the new window stays";
    view->repaint();
    expectTexts(*view, {{"timeLabel0", "0.800"}, {"leftLabel0", "100 %"}, {"leftLabel1", " 89"}});

    // Zoom Back restores the whole recording and its labels; so does the menu command.
    QTest::mouseClick(view->findChild<QPushButton*>("zoomBack"), Qt::LeftButton);
    EXPECT_EQ(view->model().state().window, kFull);
    view->repaint();
    EXPECT_EQ(labelText(*view, "timeLabel3"), "8.000");
    EXPECT_EQ(view->findChild<QLineEdit*>("timeLabel4"), nullptr);
    drag(view.get(), {500, 100}, {850, 350});
    ASSERT_FALSE(view->model().isFullWindow());
    view->zoomBack();
    EXPECT_TRUE(view->model().isFullWindow());

    // Five divisions (0.8 .. 3.2 s): the old "2.667" label at 663..723 has gone, and its place
    // between the new labels at 570 and 710 shows the page again.
    drag(view.get(), {500, 100}, {710, 550});
    const QImage image = view->grab().toImage();
    EXPECT_EQ(countColour(image, QRect(640, 868, 60, 30), QColor(Qt::white)), 60 * 30);
    EXPECT_EQ(labelText(*view, "timeLabel5"), "3.200");
}

TEST_F(ChildViewTest, TheCursorShowsWhatADragWouldDoAndWhileRecordingNoDragActs) {
    auto view = makeView();
    const std::pair<QPoint, Qt::CursorShape> places[] = {{{600, 300}, Qt::CrossCursor},
                                                         {{785, 900}, Qt::SizeHorCursor},
                                                         {{1200, 700}, Qt::ArrowCursor}};
    for (const auto& [at, shape] : places) {
        QTest::mouseMove(view.get(), at);
        EXPECT_EQ(view->cursor().shape(), shape) << at.x() << "," << at.y();
    }
    commandWord = 0x200;
    QTest::mouseMove(view.get(), QPoint(600, 301));
    EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
    commandWord = 0x800;
    drag(view.get(), {500, 100}, {850, 350});
    EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(view->model().isFullWindow());
    drag(view.get(), {780, 895}, {431, 895});
    EXPECT_FLOAT_EQ(readout(*view), 4.0f);
}

TEST_F(ChildViewTest, TabAndEnterApplyTheReadoutEdit) {
    auto view = makeView();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    typeReadout(*view, "5.001");
    trace.clear();
    QTest::keyClick(readoutEdit(*view), Qt::Key_Tab);
    EXPECT_TRUE(trace.contains("Next Tab found 0 \n"));
    EXPECT_EQ(QApplication::focusWidget(), view->findChild<QPushButton*>("zoomBack"));
    EXPECT_FLOAT_EQ(readout(*view), 5.004f);
    EXPECT_EQ(readoutEdit(*view)->text(), "5.004");

    // Enter applies the edit only while it has the focus.
    readoutEdit(*view)->setText("1.001");
    view->enterCommand();
    EXPECT_FLOAT_EQ(readout(*view), 5.004f);
    readoutEdit(*view)->setFocus();
    view->enterCommand();
    EXPECT_FLOAT_EQ(readout(*view), 1.004f);
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
    auto* edit = readoutEdit(*view);
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

TEST_F(ChildViewTest, AChannelSetToNoneHasNoTraceAndNamesFollowMasterAndSlave) {
    settings.analogSel(3) = 4;
    auto view = makeView();
    const QImage image = view->grab().toImage();
    EXPECT_EQ(countColour(image, QRect(428, 98, 705, 505), kChannelColours[3]), 0);
    EXPECT_GT(countColour(image, QRect(428, 98, 705, 505), kChannelColours[2]), 100);
    expectTexts(*view, {{"legendValue4", "--"}, {"legendCaption4", "Ch4: none"}});

    settings.masterSlave = 1;
    view->reloadChannelNames();
    view->repaint();
    expectTexts(*view,
                {{"plotCaption1", "Ch1: Setpoint(S)"}, {"legendCaption2", "Ch2: Feedback(S)"}});
    // A selection out of range (a damaged file) shows no name instead of a wrong one.
    settings.analogSel(0) = 7;
    settings.binarySel[1] = 12;
    view->reloadChannelNames();
    view->repaint();
    expectTexts(*view, {{"plotCaption1", "Ch1: "}, {"binaryCaption2", "Ch2: "}});
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
    drag(view.get(), {500, 100}, {850, 350});
    readoutEdit(*view)->setFocus();
    readoutEdit(*view)->setText("99999999999999999999");
    view->enterCommand();
    view->onAcquisitionEnded();
    EXPECT_EQ(view->grab().toImage().size(), QSize(1280, 960));
    EXPECT_EQ(labelText(*view, "legendCaption2"), "Ch2: ");
    EXPECT_TRUE(std::isfinite(readout(*view)));
}

TEST_F(ChildViewTest, AZeroSizeClientIsTracedAndClosingTheEmbeddedViewIsRefused) {
    QWidget frame;
    auto* view = new CChildView(
        settings, *samples, flags, strings, trace, [this] { return commandWord.load(); }, &frame);
    view->setGeometry(0, 0, 0, 0);
    for (auto [type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton},
                                 std::pair{QEvent::MouseMove, Qt::LeftButton},
                                 std::pair{QEvent::MouseButtonRelease, Qt::NoButton}}) {
        QMouseEvent event(type, QPointF(0, 0), view->mapToGlobal(QPointF(0, 0)), Qt::LeftButton,
                          buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &event);
    }
    EXPECT_EQ(trace.texts(), (std::vector<std::string>{
                                 "OnLButtonDown: nWidthDP == 0 \n",
                                 "OnLButtonDown: nHeightDP == 0 \n",
                                 "OnMouseMove: nWidthDP == 0 \n",
                                 "OnMouseMove: nHeightDP == 0 \n",
                             }));
    EXPECT_TRUE(view->model().isFullWindow());

    // Closing the view inside the frame leaves the frame and the link alone.
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
