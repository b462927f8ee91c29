#include "widgets/MessageBoxes.h"

#include <QMessageBox>
#include <cstdlib>
#include <cstring>

namespace kvt {
namespace {

QMessageBox::StandardButton toButton(BoxResult result) {
    switch (result) {
        case BoxResult::Ok:
            return QMessageBox::Ok;
        case BoxResult::Cancel:
            return QMessageBox::Cancel;
        case BoxResult::Yes:
            return QMessageBox::Yes;
        case BoxResult::No:
            return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

BoxResult fromButton(int button) {
    switch (button) {
        case QMessageBox::Cancel:
            return BoxResult::Cancel;
        case QMessageBox::Yes:
            return BoxResult::Yes;
        case QMessageBox::No:
            return BoxResult::No;
        default:
            return BoxResult::Ok;
    }
}

QMessageBox::StandardButtons buttonsOf(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::Ok:
            return QMessageBox::Ok;
        case BoxButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case BoxButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case BoxButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon iconOf(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Exclamation:
            return QMessageBox::Warning;
        case BoxIcon::Question:
            return QMessageBox::Question;
        case BoxIcon::Stop:
            return QMessageBox::Critical;
        case BoxIcon::Information:
            return QMessageBox::Information;
        case BoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QtMessageBoxes::QtMessageBoxes() {
    const char* value = std::getenv("KVT_AUTO_ANSWER");
    autoAnswer_ = value != nullptr && std::strcmp(value, "1") == 0;
}

BoxResult QtMessageBoxes::show(const MessageBoxRequest& request, QWidget* owner) {
    if (autoAnswer_) {
        return request.defaultButton;
    }
    QMessageBox box(iconOf(request.icon), QString::fromStdString(request.caption),
                    QString::fromStdString(request.text), buttonsOf(request.buttons),
                    request.owned ? owner : nullptr);
    box.setDefaultButton(toButton(request.defaultButton));
    if (!request.informative.empty()) {
        box.setInformativeText(QString::fromStdString(request.informative));
    }
    return fromButton(box.exec());
}

}  // namespace kvt
