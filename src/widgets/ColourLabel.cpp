#include "widgets/ColourLabel.h"

#include <QPalette>

namespace kvt {

ColourLabel::ColourLabel(QWidget* parent, const QFont& font, Border border, Access access)
    : QLineEdit(parent) {
    setFont(font);
    setFrame(border == Border::Box);
    setReadOnly(access == Access::ReadOnly);
    // Only the readout edit and the Zoom Back button are tab stops.
    setFocusPolicy(access == Access::ReadOnly ? Qt::NoFocus : Qt::StrongFocus);
    setContextMenuPolicy(access == Access::ReadOnly ? Qt::NoContextMenu : Qt::DefaultContextMenu);
    setAutoFillBackground(true);
    setColours(text_, background_);
    show();
}

void ColourLabel::setColours(const QColor& text, const QColor& background) {
    text_ = text;
    background_ = background;
    QPalette p = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Text, text_);
        p.setColor(group, QPalette::WindowText, text_);
        p.setColor(group, QPalette::Base, background_);
        p.setColor(group, QPalette::Window, background_);
    }
    setPalette(p);
    update();
}

void ColourLabel::showText(const QString& text) {
    if (this->text() != text) {
        setText(text);
        setCursorPosition(0);
    }
}

}  // namespace kvt
