#include "widgets/ColorButton.h"

#include <QPalette>

namespace kvt {

namespace {

// The text stays readable on both backgrounds, a disabled one too.
void paint(QWidget& button, const QColor& colour) {
    QPalette p = button.palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Button, colour);
    p.setColor(QPalette::Active, QPalette::WindowText, Qt::black);
    p.setColor(QPalette::Inactive, QPalette::WindowText, Qt::black);
    const bool red = colour == QColor(CColorButton::kDiffersColour);
    p.setColor(QPalette::Disabled, QPalette::WindowText,
               red ? QColor(72, 0, 0) : QColor(112, 112, 112));
    button.setPalette(p);
}

}  // namespace

CColorButton::CColorButton(const QString& text, QWidget* parent) : QRadioButton(text, parent) {
    setAutoFillBackground(true);
    paint(*this, colour_);
}

void CColorButton::setColour(QColor colour) {
    if (colour == colour_) {
        return;
    }
    colour_ = colour;
    paint(*this, colour_);
    update();
}

void CColorButton::setCheckedAlone(bool checked) {
    if (isChecked() == checked) {
        return;
    }
    const bool exclusive = autoExclusive();
    setAutoExclusive(false);
    setChecked(checked);
    setAutoExclusive(exclusive);
}

}  // namespace kvt
