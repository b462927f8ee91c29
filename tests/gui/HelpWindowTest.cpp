#include <gtest/gtest.h>

#include <QAction>
#include <QPlainTextEdit>
#include <QTest>
#include <filesystem>

#include "GuiTestSupport.h"
#include "app/HelpWindow.h"
#include "app/MainFrame.h"
#include "support/TempDir.h"

namespace kvt {
namespace {

namespace fs = std::filesystem;

class HelpWindowTest : public test::FrameFixture {
  protected:
    HelpWindowTest() : FrameFixture("kvt-help-") {}

    CMainFrame& start() {
        CMainFrame::Environment env = frameEnvironment();
        env.helpFolders = {installed.str()};
        CMainFrame& f = openFrame(std::move(env));
        QApplication::setActiveWindow(&f);
        return f;
    }
    void pressF1(CMainFrame& f) {
        ASSERT_EQ(f.action(command::kHelp)->shortcut(), QKeySequence(Qt::Key_F1));
        QTest::keyClick(&f, Qt::Key_F1);
    }
    static QString shownText(CMainFrame& f) {
        return f.helpWindow() != nullptr ? f.helpWindow()->textView()->toPlainText() : QString();
    }

    test::TempDir installed;
};

TEST_F(HelpWindowTest, F1ShowsTheWorkingFoldersTextReadAsWindows1252InAWindowOfItsOwn) {
    ASSERT_TRUE(test::writeFile(dir / "KVT.HLP", "Site help\r\nM\xFCller \x80 5\r\n"));
    ASSERT_TRUE(test::writeFile(installed / "KVT.HLP", "installed help"));
    CMainFrame& f = start();
    pressF1(f);
    ASSERT_NE(f.helpWindow(), nullptr);
    HelpWindow& window = *f.helpWindow();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isModal()) << "the help stays open beside the scope";
    EXPECT_TRUE(window.textView()->isReadOnly());
    EXPECT_EQ(shownText(f), QStringLiteral("Site help\nM\u00FCller \u20AC 5\n"));
    EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("KVT")));
    EXPECT_EQ(window.path().toStdString(), (dir / "KVT.HLP").string());

    pressF1(f);
    EXPECT_EQ(f.helpWindow(), &window) << "a second F1 raises the same window";
    EXPECT_TRUE(boxes.shown.size() == 1) << "only the caution message";
}

TEST_F(HelpWindowTest, WithoutAWorkingCopyTheInstalledTextShowsAndUtf8StaysAsItIs) {
    ASSERT_TRUE(test::writeFile(installed / "KVT.HLP", "installed help \u00FC"));
    CMainFrame& f = start();
    pressF1(f);
    EXPECT_EQ(shownText(f), QStringLiteral("installed help \u00FC"));
}

TEST_F(HelpWindowTest, WithNoTextAnywhereABoxNamesEveryPlaceLookedAt) {
    CMainFrame& f = start();
    const std::size_t before = boxes.shown.size();
    pressF1(f);
    EXPECT_EQ(f.helpWindow(), nullptr);
    ASSERT_EQ(boxes.shown.size(), before + 1);
    const std::string& text = boxes.shown.back().text;
    EXPECT_NE(text.find((dir / "KVT.HLP").string()), std::string::npos) << text;
    EXPECT_NE(text.find(installed.file("KVT.HLP")), std::string::npos) << text;
}

}  // namespace
}  // namespace kvt
