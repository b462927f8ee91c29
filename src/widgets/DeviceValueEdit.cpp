#include "widgets/DeviceValueEdit.h"

#include <QLineEdit>
#include <QPalette>

namespace kvt {

QLineEdit* makeDeviceValueEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
    return edit;
}

}  // namespace kvt
