// The main window's print and picture commands: Project > Print opens Select Print, Scope >
// Export Picture writes the view.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QRadioButton>
#include <QTimer>

#include "GuiTestSupport.h"
#include "app/MainFrameCommands.h"
#include "print/SelectPrintDialog.h"
#include "scope/view/ChildView.h"
#include "scope/view/ScopePictureExport.h"

namespace kvt {
namespace {

class PrintFrameTest : public test::FrameFixture {
  protected:
    PrintFrameTest() : FrameFixture("kvt-print-frame-") {}

    CMainFrame& start() {
        CMainFrame& f = openFrame(frameEnvironment());
        boxes.shown.clear();
        return f;
    }
};

TEST_F(PrintFrameTest, PrintOpensSelectPrintOnTheLastObjectAndCancelEndsTheCommand) {
    CMainFrame& f = start();
    int opened = 0;
    bool allChecked = false;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<SelectPrintDialog*>(QApplication::activeModalWidget())) {
            ++opened;
            allChecked =
                d->control<QRadioButton>("radio", SelectPrintDialog::kAllRadio)->isChecked();
            d->reject();
        }
    });
    timer.start();
    f.action(command::kPrint)->trigger();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(allChecked) << "no object yet: All";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no print dialog after Cancel";
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PrintFrameTest, ExportPictureWritesThePngOfTheViewAsShown) {
    CMainFrame& f = start();
    prompts.file = (dir / "scope.png").string();
    f.action(command::kExportPicture)->trigger();
    QImage picture;
    ASSERT_TRUE(picture.load(QString::fromStdString(prompts.file), "PNG"));
    EXPECT_EQ(picture.size(), f.view().grab().size());
    EXPECT_EQ(picture.pixelColor(f.view().width() / 2, f.view().height() / 2),
              f.view().grab().toImage().pixelColor(f.view().width() / 2, f.view().height() / 2));
    EXPECT_TRUE(prompts.warnings.empty());
}

TEST_F(PrintFrameTest, ExportPictureAsSvgDrawsTheTextsOfTheView) {
    if (!svgExportAvailable()) {
        GTEST_SKIP() << "built without Qt's SVG module (qt6-svg-dev)";
    }
    CMainFrame& f = start();
    prompts.file = (dir / "scope.svg").string();
    f.action(command::kExportPicture)->trigger();
    const std::string svg = test::readText(prompts.file);
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    for (const char* text : {"Ch1: ", "t/s", "Readout Time", "100 %"}) {
        EXPECT_NE(svg.find(text), std::string::npos) << text;
    }
}

TEST_F(PrintFrameTest, ExportPictureThatCannotBeWrittenSaysWhy) {
    CMainFrame& f = start();
    prompts.file = (dir / "missing" / "scope.png").string();
    f.action(command::kExportPicture)->trigger();
    ASSERT_EQ(prompts.warnings.size(), 1u);
    EXPECT_NE(prompts.warnings[0].find("Cannot write " + prompts.file), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(prompts.file));
}

}  // namespace
}  // namespace kvt
