#pragma once

#include <QFrame>
#include <QLabel>
#include <QTabBar>
#include <QTimer>
#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "data/StatusBlock.h"
#include "widgets/ToolDialog.h"

namespace kvt {

// The frame in which the Debug dialog draws one status word: "0x%08X " right-aligned in black on
// light grey.
class StatusValueBox : public QFrame {
    Q_OBJECT

  public:
    explicit StatusValueBox(QWidget* parent = nullptr);
    void setValue(std::uint32_t value);
    // The text drawn, empty before the first value.
    const QString& valueText() const { return text_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};

// The Debug dialog (Ctrl+Shift+Q): the thirty status words through which the link threads and
// the engine publish their state, ten per tab, redrawn live while they change. It only reads
// them.
class DebugDialog : public CToolDialog {
    Q_OBJECT

  public:
    using StatusWords = StatusBlock;

    static constexpr int kTabControl = 1025;
    static constexpr int kRows = 10;
    static constexpr int kFirstLabel = 1001;  // row i: label 1001 + 2i, value box 1002 + 2i
    static constexpr int kTimerMs = 100;
    // Remembered before anything was drawn.
    static constexpr std::uint32_t kNothingDrawn = 0xFFFFFFFF;

    DebugDialog(QWidget* owner, Strings& strings, const StatusWords& words);

    // The label of a word: "%d: %s" with its name padded with blanks to 19 characters.
    static std::string wordLabel(int index);

    QTabBar* tabs() const { return tabs_; }
    QTimer* timer() const { return timer_; }
    int base() const { return base_; }
    QLabel* rowLabel(int row) const { return labels_[static_cast<std::size_t>(row)]; }
    StatusValueBox* valueBox(int row) const { return boxes_[static_cast<std::size_t>(row)]; }

  public slots:
    // Timer 101: redraws the selected tab's words that changed.
    void onTimer();
    void selectTab(int tab);

  protected:
    void done(int result) override;

  private:
    void drawValues(bool everyRow);
    void setLabels();

    const StatusWords& words_;
    QTabBar* tabs_ = nullptr;
    QTimer* timer_ = nullptr;
    std::array<QLabel*, kRows> labels_{};
    std::array<StatusValueBox*, kRows> boxes_{};
    std::array<std::uint32_t, kStatusWordCount> drawn_{};
    int base_ = 0;
};

}  // namespace kvt
