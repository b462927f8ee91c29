#pragma once

#include <QDialog>
#include <cstdint>

#include "data/Strings.h"

namespace kvt {

// The common base of the program's dialogs: the owner, a modified flag that the main frame reads
// after the dialog closes to mark the project modified, and the string lookup.
class CToolDialog : public QDialog {
    Q_OBJECT

  public:
    CToolDialog(QWidget* owner, Strings& strings) : QDialog(owner), strings_(strings) {}

    std::int32_t modifiedFlag() const { return modified_; }
    void setModifiedFlag(std::int32_t modified) { modified_ = modified; }

    // A notification of message 0x8001 forwarded by the main frame while the dialog is in its
    // slot. Runs on the user-interface thread.
    virtual void onNotification(int code, std::intptr_t value) {
        (void)code;
        (void)value;
    }

  protected:
    // The text of a string id through the lookup pattern.
    QString text(int id) const { return QString::fromStdString(strings_.text(id)); }
    Strings& strings() const { return strings_; }

  private:
    Strings& strings_;
    std::int32_t modified_ = 0;
};

}  // namespace kvt
