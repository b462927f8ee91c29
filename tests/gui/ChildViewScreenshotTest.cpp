#include <QImage>
#include <QPixmap>
#include <filesystem>

#include "ChildViewFixture.h"
#include "GuiTestSupport.h"

namespace kvt::test {
namespace {

// Pictures of the view for the documentation.
QString save(QWidget& view, const char* name) {
    const QString dir = screenshotFolder();
    const QString path = dir + QLatin1Char('/') + QLatin1String(name);
    const QImage shot = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(shot.save(path, "PNG", 9));
    // What is stored is what was shown.
    EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), shot);
    return path;
}

// A finished Step Mode recording as the engine leaves it: display updates, then the end.
void record(CChildView& view, AcquisitionFlags& flags) {
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
}

TEST_F(ChildViewTest, ScreenshotOfARecording) {
    auto view = makeView();
    record(*view, flags);
    EXPECT_EQ(view->model().state().progressX, 700);
    const QString path = save(*view, "scope-recording.png");
    const QImage back(path);
    EXPECT_EQ(back.size(), QSize(1280, 960));
    EXPECT_FALSE(back.isGrayscale());
}

TEST_F(ChildViewTest, ScreenshotZoomedWithGrid) {
    auto view = makeView();
    record(*view, flags);
    // Around the step: 0.8 .. 3.2 s, 0 .. 100 %.
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(500, 100));
    QTest::mouseMove(view.get(), QPoint(600, 300));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(710, 550));
    view->setGrid(true);
    const ViewWindow& w = view->model().state().window;
    EXPECT_FLOAT_EQ(w.start, 0.8f);
    EXPECT_FLOAT_EQ(w.end, 3.2f);
    EXPECT_EQ(w.yMin, 0);
    EXPECT_EQ(w.yMax, 100);
    const QString path = save(*view, "scope-zoomed-grid.png");
    EXPECT_EQ(QImage(path).size(), QSize(1280, 960));
}

}  // namespace
}  // namespace kvt::test
