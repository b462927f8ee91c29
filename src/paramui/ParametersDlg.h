#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "data/ParameterRecord.h"
#include "widgets/ToolDialog.h"

class QPushButton;
class QTimer;

namespace kvt {

class CColorButton;
class CParameterPropertySheets;

// What the Parameters dialog shares with the engine and the project: the three sets and the
// show/hide flags, the flag that lets "Write" send the current set, the command word and the way
// to set its bits.
struct ParameterLink {
    ParameterSets& sets;
    std::atomic<std::uint8_t>& writeAllowed;
    CommandWordSource commandWord;
    std::function<void(std::uint32_t)> post;
};

// "Parameters" (template 108): the eight pages that edit a private copy of the current set beside
// the device's values, and the buttons that read, write and copy the set and switch between the
// factory and the custom set. Every action stores the copy back into the current set first; the
// modified flag tells the main frame that the copy differed.
class CParametersDlg : public CToolDialog {
    Q_OBJECT

  public:
    static constexpr int kTemplate = 108;
    static constexpr int kTitle = 191;
    static constexpr int kReadButton = 1103;
    static constexpr int kWriteButton = 1102;
    static constexpr int kCopyButton = 1260;
    static constexpr int kFactoryRadio = 1624;
    static constexpr int kCustomRadio = 1357;
    static constexpr int kSetGroup = 1358;
    static constexpr int kButtonTimer = 104;
    static constexpr int kButtonTimerMs = 5000;
    static constexpr int kCursorTimer = 111;
    static constexpr int kCursorTimerMs = 100;

    CParametersDlg(QWidget* owner, Strings& strings, MessageBoxes& boxes, ParameterLink link);
    ~CParametersDlg() override;

    void onNotification(int code, std::intptr_t value) override;
    // "Close" and Esc: save the pages and store the copy; the dialog always closes.
    void reject() override;
    // One tick of timer 104 or 111; tests call it instead of waiting.
    void onTimer(int id);

    CParameterPropertySheets& sheet() const { return *sheet_; }
    const ParameterRecord& dialogCopy() const { return *copy_; }
    bool waitCursorShown() const { return waitCursor_; }

    // What the pages read and change besides the copy.
    Strings& pageStrings() const { return strings(); }
    ParameterSets& sets() const { return link_.sets; }
    std::uint32_t command() const { return commandWord(); }
    bool deviceValid() const { return link_.sets.deviceValid(); }
    // The current-derived setpoint offset and span reach the current set at once.
    void storeDerivedSetpoint();

  private:
    void read();
    void write();
    void copyDeviceSet();
    void switchSet(std::int32_t parameterSet, std::uint32_t switchBit);
    void compareAndStore();
    void setRadiosFromCopy();
    void updateButtons();
    void waitCursorTick();
    void endWaitCursor();

    ParameterLink link_;
    std::unique_ptr<ParameterRecord> copy_;
    CParameterPropertySheets* sheet_ = nullptr;
    QPushButton* read_ = nullptr;
    QPushButton* write_ = nullptr;
    QPushButton* copyButton_ = nullptr;
    QPushButton* close_ = nullptr;
    CColorButton* factory_ = nullptr;
    CColorButton* custom_ = nullptr;
    QTimer* buttonTimer_ = nullptr;
    QTimer* cursorTimer_ = nullptr;
    bool waitCursor_ = false;
};

}  // namespace kvt
