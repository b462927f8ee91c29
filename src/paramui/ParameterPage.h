#pragma once

#include <QWidget>
#include <vector>

#include "data/ParameterPages.h"
#include "data/ParameterRecord.h"

class QGroupBox;
class QLabel;
class QLineEdit;

namespace kvt {

class CColorButton;
class CParametersDlg;
class SpinButton;

// One tab of the Parameters dialog, built from its page table: per numeric row a caption, an
// edit with its spin and a read-only edit with the device's value; per choice row a group of
// radios under a read-only edit with the device's choice; the device words the page only shows.
// Every control is named after its template id. The few rules that are not tables come from
// data/ParameterPageRules.h.
class CParameterPage : public QWidget {
    Q_OBJECT

  public:
    CParameterPage(const PageTable& table, CParametersDlg& owner, ParameterRecord* copy);
    ~CParameterPage() override;

    // The copy and the device set into the controls.
    void refresh();
    // Parses and clamps every numeric edit and reads the radio groups into the copy.
    void save();
    void updateEnable();
    // Shows the copy's value of one field again, where the page has an edit for it.
    void refreshField(std::string_view field);
    // A value the page shows differs from the device's (nothing while the device set is not valid).
    bool differsFromDevice() const;
    const PageTable& table() const { return table_; }

  signals:
    // The copy changed through a control of the page.
    void edited();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Numeric {
        const NumericRow* row;
        QLabel* caption;
        QLineEdit* edit;
        SpinButton* spin;
        QLineEdit* device;
    };
    struct Choice {
        const ChoiceRow* row;
        QGroupBox* group;
        QLineEdit* device;
        std::vector<CColorButton*> radios;  // in the row's option order
    };
    struct DeviceValue {
        const DeviceValueRow* row;
        QLineEdit* device;
    };

    void build();
    QWidget* buildNumerics();
    QGroupBox* buildChoice(Choice& choice);
    void refreshNumeric(const Numeric& n);
    void refreshChoice(const Choice& c);
    void refreshCaptions();
    void saveNumeric(const Numeric& n);
    void saveChoice(const Choice& c);
    void onSpin(const Numeric& n, int delta);
    void onRadio(const Choice& c, std::size_t option);
    void afterCurrentLimit(const NumericRow& row);
    QString captionText(int stringId, const char* templateText) const;

    const PageTable& table_;
    CParametersDlg& owner_;
    ParameterRecord* copy_;
    std::vector<Numeric> numerics_;
    std::vector<Choice> choices_;
    std::vector<DeviceValue> deviceValues_;
};

}  // namespace kvt
