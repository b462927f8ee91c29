#pragma once

#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "data/CalibrationRecord.h"
#include "widgets/ToolDialog.h"

class QBoxLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTimer;

namespace kvt {

// What the calibration dialogs share with the engine: the calibration record, the flag that lets
// "Write" send it, the command word and the way to set its bits.
struct CalibrationLink {
    CalibrationRecord& record;
    std::atomic<std::uint8_t>& writeAllowed;
    CommandWordSource commandWord;
    std::function<void(std::uint32_t)> post;
};

// An edit for a value to send with a read-only partner showing what the controller holds.
struct CalibrationValueField {
    int group;  // 0: no template id
    int captionId;
    const char* templateText;
    int edit;
    int read;
    std::int32_t CalibrationRecord::*write;
    std::int32_t CalibrationRecord::*readValue;
    std::int32_t CalibrationRecord::*valid;
    CalibrationRange range;
    bool isUnsigned;
};

// What the three calibration dialogs have in common: a private copy of the calibration record
// that the user edits and that is stored back on the dialog's actions, the matrix selection and
// its ten values, the value fields with their device values, timer 103 and, for the two
// "Calibration" dialogs, the polling of a running calibration.
class CalibrationDialogBase : public CToolDialog {
    Q_OBJECT

  public:
    static constexpr int kPollTimerMs = 1000;
    static constexpr int kTemperatureEdit = 1136;
    static constexpr int kOffsetEdit = 1139;
    static constexpr int kSpanEdit = 1141;
    static constexpr int kReadButton = 1255;
    static constexpr int kWriteButton = 1256;
    static constexpr int kCopyButton = 1753;
    static constexpr int kResetButton = 1356;
    static constexpr std::array<int, 10> kValueEdits = {1312, 1313, 1314, 1315, 1316,
                                                        1317, 1318, 1319, 1573, 1574};
    static constexpr std::array<int, 10> kReadValues = {1320, 1323, 1324, 1325, 1326,
                                                        1327, 1328, 1329, 1330, 1331};
    static constexpr std::array<int, 10> kValueLabels = {1332, 1333, 1334, 1335, 1336,
                                                         1337, 1338, 1339, 1340, 1341};
    static constexpr std::array<int, 8> kArrayRadios = {1307, 1308, 1309, 1132,
                                                        1321, 1322, 1142, 1134};
    static constexpr std::array<int, 10> kRowRadios = {1342, 1344, 1345, 1346, 1347,
                                                       1348, 1349, 1350, 1351, 1343};
    // The DAC fields carry twelve bits in both "Calibration" dialogs.
    static const std::array<CalibrationValueField, 3> kDeviceFields;

    ~CalibrationDialogBase() override;

    bool calibrationRunning() const { return running_; }
    std::int32_t progress() const { return progress_; }
    const CalibrationRecord& privateCopy() const { return *copy_; }

    // One tick of timer 103; tests call it instead of waiting a second.
    void tick();
    void onNotification(int code, std::intptr_t value) override;
    // "Close", "Cancel" and Esc store the edits; while the dialog's close button is disabled
    // (an action runs that the dialog must follow) Esc does nothing.
    void reject() override;

  protected:
    enum class Polling { Progress, ButtonsOnly };
    enum class ReadBack { AfterWrite, Never };

    CalibrationDialogBase(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                          CalibrationLink link, Polling polling, ReadBack readBack);

    // Builders; each names its controls by their template ids.
    QGroupBox* buildArraySelection();
    QGroupBox* buildRowSelection();
    QGroupBox* buildMatrixValues();
    void addValueFields(QBoxLayout& into, std::span<const CalibrationValueField> fields);
    // Starts timer 103 and shows everything; the last step of a dialog's constructor.
    void start();

    // Saving the fields: the array and temperature selection (with the ten value edits shown)
    // and the value fields.
    void saveFields();
    void saveValueEdits();
    void compareAndStore();
    void reload();
    virtual void displayAll();
    virtual void saveExtraFields() {}
    virtual void updateButtons() = 0;
    virtual QWidget* closeButton() const = 0;

    // Read (0x20) or Write (0x40) from the dialog: store the edits first, the engine reads them.
    void requestTransfer(std::uint32_t bit);
    void beginCalibration();
    void setRunning(bool running) { running_ = running; }

    bool hasMatrix() const { return !valueEdits_.empty(); }
    int shownArray() const { return shownArray_; }
    void enableMatrix(bool enabled);
    std::uint32_t command() const { return commandWord(); }
    void post(std::uint32_t bits) { link_.post(bits); }
    CalibrationRecord& shared() { return link_.record; }
    CalibrationRecord& copy() { return *copy_; }
    std::atomic<std::uint8_t>& writeAllowed() { return link_.writeAllowed; }

  private:
    void onArrayClicked();
    void onRowClicked(int row);
    void selectRow(int row);
    void displayMatrix();
    void displayValueFields();
    int arrayFromRadios() const;

    CalibrationLink link_;
    Polling polling_;
    ReadBack readBack_;
    std::unique_ptr<CalibrationRecord> copy_;
    QTimer* timer_ = nullptr;
    bool running_ = false;
    std::int32_t progress_ = 0;
    int shownArray_ = 0;
    int shownRow_ = 0;
    std::vector<QRadioButton*> arrayRadios_;
    std::vector<QRadioButton*> rowRadios_;
    std::vector<QLineEdit*> valueEdits_;
    std::vector<QLineEdit*> readValues_;
    std::vector<QLabel*> valueLabels_;
    struct BoundField {
        const CalibrationValueField* field;
        QLineEdit* edit;
        QLineEdit* read;
    };
    std::vector<BoundField> valueFields_;
};

// A read-only edit greyed like the dialog: it shows what the controller holds.
QLineEdit* makeDeviceValueEdit(QWidget* parent);

}  // namespace kvt
