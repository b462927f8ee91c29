#pragma once

#include <QColor>
#include <QWidget>

#include "data/StatusText.h"

namespace kvt {

// An LED drawn as a shaded disc in its colour: dark, lit (with a glow), the third state as a lit
// ring round a dark centre, and a flat grey disc while nothing valid is known. Draws at any size.
class LedDisc : public QWidget {
    Q_OBJECT

  public:
    LedDisc(QColor colour, QWidget* parent = nullptr);

    void setPicture(LedPicture picture);
    LedPicture picture() const { return picture_; }
    QColor colour() const { return colour_; }

    QSize sizeHint() const override { return {36, 36}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor colour_;
    LedPicture picture_ = LedPicture::Neutral;
};

}  // namespace kvt
