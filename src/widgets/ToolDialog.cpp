#include "widgets/ToolDialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>

namespace kvt {

CToolDialog::CToolDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                         CommandWordSource commandWord)
    : QDialog(owner), strings_(strings), boxes_(&boxes), commandWord_(std::move(commandWord)) {}

CToolDialog::~CToolDialog() {
    // The handlers belong to the dialog being destroyed; focus changes while the children go
    // must not reach them.
    for (const auto& [watched, handler] : focusLost_) {
        watched->removeEventFilter(this);
    }
    focusLost_.clear();
}

QString CToolDialog::caption(int id, const char* templateText) const {
    return strings_.libraryLoaded() ? text(id) : QString::fromUtf8(templateText);
}

QString CToolDialog::caption(int id) const {
    return strings_.libraryLoaded() ? text(id) : QString::fromStdString(strings_.builtin(id));
}

QDialogButtonBox* CToolDialog::okCancelButtons(const QString& okText, const QString& cancelText) {
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = named(buttons->addButton(okText, QDialogButtonBox::AcceptRole), kOkId);
    named(buttons->addButton(cancelText, QDialogButtonBox::RejectRole), kCancelId);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    return buttons;
}

BoxResult CToolDialog::showBox(const MessageBoxRequest& request) {
    if (boxes_ == nullptr) {
        if (!ownBoxes_) {
            ownBoxes_ = std::make_unique<QtMessageBoxes>();
        }
        boxes_ = ownBoxes_.get();
    }
    return boxes_->show(request, this);
}

bool CToolDialog::confirmCancel(const QString& caption) {
    const BoxResult answer = showBox({strings_.text(kCancelQuestion), caption.toStdString(),
                                      BoxButtons::YesNo, BoxIcon::Question, true, BoxResult::Yes});
    return answer == BoxResult::Yes;
}

void CToolDialog::onFocusLost(QWidget* widget, std::function<void()> handler) {
    focusLost_[widget] = std::move(handler);
    widget->installEventFilter(this);
}

bool CToolDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const auto it = focusLost_.find(watched);
        if (it != focusLost_.end()) {
            // A copy: the handler may show a box, and the box may move the focus again.
            const std::function<void()> handler = it->second;
            handler();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CToolDialog::writeEdit(QLineEdit& edit, const QString& text) {
    edit.setText(text);
    edit.setCursorPosition(static_cast<int>(edit.text().size()));
}

std::int32_t CToolDialog::readIntegerEdit(QLineEdit& edit, std::int32_t lo, std::int32_t hi,
                                          std::size_t limit) {
    const std::int32_t value = parseIntegerField(edit.text().toStdString(), lo, hi, limit);
    writeEdit(edit, QString::fromStdString(integerFieldText(value)));
    return value;
}

std::uint32_t CToolDialog::readUnsignedEdit(QLineEdit& edit, std::uint32_t lo, std::uint32_t hi,
                                            std::size_t limit) {
    const std::uint32_t value = parseUnsignedField(edit.text().toStdString(), lo, hi, limit);
    writeEdit(edit, QString::fromStdString(integerFieldText(value)));
    return value;
}

float CToolDialog::readFloatEdit(QLineEdit& edit, float lo, float hi, std::size_t limit) {
    const float value = parseFloatField(edit.text().toStdString(), lo, hi, limit);
    writeEdit(edit, QString::fromStdString(floatFieldText(value)));
    return value;
}

// ---------------------------------------------------------------------------------------------

}  // namespace kvt
