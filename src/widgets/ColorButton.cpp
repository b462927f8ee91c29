#include "widgets/ColorButton.h"

#include <QPalette>

namespace kvt {

CColorButton::CColorButton(const QString& text, QWidget* parent) : QRadioButton(text, parent) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, colour_);
    p.setColor(QPalette::Button, colour_);
    setPalette(p);
}

void CColorButton::setColour(QColor colour) {
    if (colour == colour_) {
        return;
    }
    colour_ = colour;
    QPalette p = palette();
    p.setColor(QPalette::Window, colour_);
    p.setColor(QPalette::Button, colour_);
    setPalette(p);
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
