#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>
#include <QTest>

#include "GuiTestSupport.h"
#include "app/DebugDialog.h"
#include "data/StringTable.h"

namespace kvt {
namespace {

class DebugDialogTest : public ::testing::Test {
  protected:
    std::unique_ptr<DebugDialog> open() {
        return std::make_unique<DebugDialog>(nullptr, strings, words);
    }
    void set(int word, std::uint32_t value) { words[static_cast<std::size_t>(word)] = value; }

    StringTable strings;
    DebugDialog::StatusWords words{};
};

// A named word, the longest name, a word without a name, and the hexadecimal numbers from 10.
TEST_F(DebugDialogTest, WordLabelsArePaddedNames) {
    EXPECT_EQ(DebugDialog::wordLabel(0), "0: 0 THREAD_STEP      ");
    EXPECT_EQ(DebugDialog::wordLabel(8), "8: 8 ACTION_RETRY_STEP");
    EXPECT_EQ(DebugDialog::wordLabel(5), "5: 5" + std::string(18, ' '));
    EXPECT_EQ(DebugDialog::wordLabel(29), "29: x1D" + std::string(16, ' '));
}

TEST_F(DebugDialogTest, TheFirstOpeningShowsEveryRowOfTheFirstTab) {
    set(6, 0x331);
    set(9, 0xFFFFFFFF);  // looks like "not drawn yet", must be drawn all the same
    auto d = open();
    EXPECT_EQ(d->windowTitle(), "Debug Dialog");
    ASSERT_EQ(d->tabs()->count(), 3);
    EXPECT_EQ(d->tabs()->tabText(1), "Var 10- 19");
    EXPECT_EQ(d->tabs()->currentIndex(), 0);
    EXPECT_EQ(d->base(), 0);
    EXPECT_EQ(d->valueBox(0)->valueText(), "0x00000000 ") << "a word of 0 is shown too";
    EXPECT_EQ(d->valueBox(6)->valueText(), "0x00000331 ");
    EXPECT_EQ(d->valueBox(9)->valueText(), "0xFFFFFFFF ");
    for (int row = 0; row < DebugDialog::kRows; ++row) {
        EXPECT_FALSE(d->valueBox(row)->valueText().isEmpty()) << row;
        EXPECT_EQ(d->rowLabel(row)->text().toStdString(), DebugDialog::wordLabel(row));
    }
    EXPECT_EQ(d->control<QWidget>(1001), d->rowLabel(0));
    EXPECT_EQ(d->control<QWidget>(1020), d->valueBox(9));
    EXPECT_EQ(d->control<QWidget>(1025), d->tabs());
}

TEST_F(DebugDialogTest, TheTimerRedrawsAChangedWordOfTheSelectedTab) {
    auto d = open();
    EXPECT_EQ(d->timer()->interval(), 100);
    EXPECT_TRUE(d->timer()->isActive());
    set(1, 0x2);
    EXPECT_EQ(d->valueBox(1)->valueText(), "0x00000000 ") << "drawn on the next tick";
    d->onTimer();
    EXPECT_EQ(d->valueBox(1)->valueText(), "0x00000002 ");
    set(3, 0xABCDEF01);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return d->valueBox(3)->valueText() == QStringLiteral("0xABCDEF01 "); }, 2000));
}

TEST_F(DebugDialogTest, EachTabShowsItsOwnWordsWhenSelected) {
    set(2, 0x22);
    set(12, 0x1212);
    auto d = open();
    set(15, 0x1234);
    d->onTimer();
    EXPECT_EQ(d->valueBox(5)->valueText(), "0x00000000 ") << "row 5 shows word 5";
    d->tabs()->setCurrentIndex(1);
    EXPECT_EQ(d->base(), 10);
    EXPECT_EQ(d->valueBox(5)->valueText(), "0x00001234 ") << "changed while its tab was hidden";
    EXPECT_EQ(d->valueBox(2)->valueText(), "0x00001212 ");
    EXPECT_EQ(d->rowLabel(5)->text().toStdString(), DebugDialog::wordLabel(15));
    EXPECT_EQ(d->rowLabel(0)->text().toStdString(), "10: xA" + std::string(17, ' '));
    // Nothing changed since tab 0 was drawn; its rows must still show tab 0's words.
    d->tabs()->setCurrentIndex(0);
    EXPECT_EQ(d->valueBox(2)->valueText(), "0x00000022 ");
    d->tabs()->setCurrentIndex(2);
    EXPECT_EQ(d->base(), 20);
    EXPECT_EQ(d->valueBox(2)->valueText(), "0x00000000 ");
    EXPECT_EQ(d->rowLabel(9)->text().toStdString(), DebugDialog::wordLabel(29));
}

TEST_F(DebugDialogTest, ValueBoxesAreLightGreyAndOkStopsTheTimerAndCloses) {
    set(1, 0x800);
    auto d = open();
    d->show();
    // The value boxes are light grey behind black digits.
    const QImage shot = d->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    const QPoint inBox = d->valueBox(1)->geometry().topLeft() + QPoint(4, 4);
    EXPECT_EQ(shot.pixelColor(inBox * shot.devicePixelRatio()), QColor(192, 192, 192));
    d->control<QPushButton>(1)->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_FALSE(d->timer()->isActive());
    EXPECT_EQ(d->result(), QDialog::Accepted);
}

}  // namespace
}  // namespace kvt
