#pragma once

#include <QWidget>

class QToolButton;

namespace kvt {

// A spin (up-down) control: two arrow buttons beside an edit, with an integer position and range
// of its own. A step asks the dialog through `stepped` with +1 or -1; the dialog clamps, stores
// the field and sets the position (the position follows the field, not the other way round).
class SpinButton : public QWidget {
    Q_OBJECT

  public:
    explicit SpinButton(QWidget* parent = nullptr);

    void setRange(int lo, int hi);
    int minimum() const { return lo_; }
    int maximum() const { return hi_; }
    void setPosition(int position) { position_ = position; }
    int position() const { return position_; }
    // position + delta clamped to the range.
    int steppedPosition(int delta) const;

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

  signals:
    void stepped(int delta);

  private:
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
    int lo_ = 0;
    int hi_ = 100;
    int position_ = 0;
};

}  // namespace kvt
