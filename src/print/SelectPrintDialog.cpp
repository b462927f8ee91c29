#include "print/SelectPrintDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kvt {
namespace {

constexpr int kTitleString = 52;
constexpr int kGroupString = 53;

struct PrintRadio {
    int control;
    int stringId;
    const char* templateText;
    PrintObject object;
};

// In the template's order.
constexpr PrintRadio kRadios[] = {
    {SelectPrintDialog::kAllRadio, 54, "All", PrintObject::All},
    {SelectPrintDialog::kParametersRadio, 55, "Parameters", PrintObject::Parameters},
    {SelectPrintDialog::kScopeViewRadio, 56, "Scope View", PrintObject::ScopeView},
};

}  // namespace

SelectPrintDialog::SelectPrintDialog(QWidget* owner, Strings& strings, PrintObject& object)
    : CToolDialog(owner, strings), object_(object) {
    setObjectName(QStringLiteral("selectPrintDialog"));
    setWindowTitle(caption(kTitleString, "Select Print"));
    auto* layout = new QVBoxLayout(this);
    auto* group =
        named(new QGroupBox(caption(kGroupString, "Print Object"), this), "static", kGroup);
    auto* radios = new QVBoxLayout(group);
    // None counts as All.
    const PrintObject checked = object == PrintObject::None ? PrintObject::All : object;
    for (const PrintRadio& r : kRadios) {
        auto* radio =
            named(new QRadioButton(caption(r.stringId, r.templateText), group), "radio", r.control);
        radio->setChecked(r.object == checked);
        radios->addWidget(radio);
    }
    layout->addWidget(group);
    layout->addWidget(
        okCancelButtons(caption(kOkCaption, "OK"), caption(kCancelCaption, "Cancel")));
}

void SelectPrintDialog::accept() {
    object_ = PrintObject::None;
    for (const PrintRadio& r : kRadios) {
        if (control<QRadioButton>("radio", r.control)->isChecked()) {
            object_ = r.object;
        }
    }
    CToolDialog::accept();
}

}  // namespace kvt
