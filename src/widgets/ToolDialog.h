#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "data/FieldParsing.h"
#include "data/Strings.h"
#include "widgets/MessageBoxes.h"

class QDialogButtonBox;
class QLineEdit;

namespace kvt {

// Reads the engine's command word (0 while no device action runs).
using CommandWordSource = std::function<std::uint32_t()>;

// The common base of the program's dialogs: the owner, a modified flag that the main frame reads
// after the dialog closes to mark the project modified, and the string lookup. It also carries
// what every dialog of the program does the same way: control names by id, captions that the
// language library may replace, the cancel question, "focus lost" handlers and the field parsing
// rules applied to an edit.
class CToolDialog : public QDialog {
    Q_OBJECT

  public:
    // String ids shared by the dialogs.
    static constexpr int kCancelQuestion =
        1;  // "Data's are changed. Do you really want to cancel?"
    static constexpr int kOkCaption = 7;
    static constexpr int kCancelCaption = 39;
    static constexpr int kNotRead = 134;  // " -- "
    static constexpr int kOkId = 1;       // control ids of the two buttons
    static constexpr int kCancelId = 2;

    CToolDialog(QWidget* owner, Strings& strings) : QDialog(owner), strings_(strings) {}
    // A dialog that asks questions (through the program's message boxes) and follows the engine.
    CToolDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                CommandWordSource commandWord = {});
    ~CToolDialog() override;

    std::int32_t modifiedFlag() const { return modified_; }
    void setModifiedFlag(std::int32_t modified) { modified_ = modified; }

    // A notification of message 0x8001 forwarded by the main frame while the dialog is in its
    // slot. Runs on the user-interface thread.
    virtual void onNotification(int code, std::intptr_t value) {
        (void)code;
        (void)value;
    }

    // Every control with a template id is named after it, so that code, tests and screenshots
    // find it: "<kind><id>" ("edit1360", "spin1378", "radio1388", "button1010", "static1359"), or
    // "control<id>" in the dialogs that predate the kinds.
    static QString controlName(int id) { return QStringLiteral("control%1").arg(id); }
    static QString controlName(const char* kind, int id) {
        return QString::fromLatin1(kind) + QString::number(id);
    }
    template <typename T = QWidget>
    T* control(int id) const {
        return findChild<T*>(controlName(id));
    }
    template <typename T = QWidget>
    T* control(const char* kind, int id) const {
        return findChild<T*>(controlName(kind, id));
    }

  protected:
    // The text of a string id through the lookup pattern.
    QString text(int id) const { return QString::fromStdString(strings_.text(id)); }
    Strings& strings() const { return strings_; }
    // A caption of the dialog's template: its own text, replaced by the text of its string id
    // when the language library is loaded.
    QString caption(int id, const char* templateText) const;
    // The same for a template whose text is the program's own text of that id.
    QString caption(int id) const;
    // Names a control after its template id.
    template <typename T>
    T* named(T* widget, int id) {
        widget->setObjectName(controlName(id));
        return widget;
    }
    template <typename T>
    T* named(T* widget, const char* kind, int id) {
        widget->setObjectName(controlName(kind, id));
        return widget;
    }
    // The template's OK and Cancel buttons (ids kOkId and kCancelId, OK the default), which
    // accept and reject the dialog; the caller places the box.
    QDialogButtonBox* okCancelButtons(const QString& okText, const QString& cancelText);

    std::uint32_t commandWord() const { return commandWord_ ? commandWord_() : 0; }
    BoxResult showBox(const MessageBoxRequest& request);
    // The cancel question under the given caption (Yes/No, question icon): true when the user
    // wants to leave.
    bool confirmCancel(const QString& caption);

    // Runs `handler` each time the widget loses the keyboard focus.
    void onFocusLost(QWidget* widget, std::function<void()> handler);

    // The field parsing rules applied to an edit: the value parsed from its text and clamped,
    // written back with the caret at the end.
    std::int32_t readIntegerEdit(QLineEdit& edit, std::int32_t lo, std::int32_t hi,
                                 std::size_t limit = kFieldCharLimit);
    std::uint32_t readUnsignedEdit(QLineEdit& edit, std::uint32_t lo, std::uint32_t hi,
                                   std::size_t limit = kFieldCharLimit);
    float readFloatEdit(QLineEdit& edit, float lo, float hi, std::size_t limit = kFieldCharLimit);
    // Puts the text into the edit with the caret at its end.
    static void writeEdit(QLineEdit& edit, const QString& text);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Strings& strings_;
    MessageBoxes* boxes_ = nullptr;
    std::unique_ptr<MessageBoxes> ownBoxes_;
    CommandWordSource commandWord_;
    std::map<QObject*, std::function<void()>> focusLost_;
    std::int32_t modified_ = 0;
};

}  // namespace kvt
