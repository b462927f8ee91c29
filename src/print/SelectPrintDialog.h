#pragma once

#include "print/PrintObject.h"
#include "widgets/ToolDialog.h"

namespace kvt {

// "Select Print" (template 106): which pages Project > Print prints. Opens with the radio of
// the current print object checked ("All" for none); OK stores the checked radio.
class SelectPrintDialog : public CToolDialog {
    Q_OBJECT

  public:
    static constexpr int kGroup = 1050;
    static constexpr int kAllRadio = 1051;
    static constexpr int kParametersRadio = 1042;
    static constexpr int kScopeViewRadio = 1052;

    SelectPrintDialog(QWidget* owner, Strings& strings, PrintObject& object);

  public slots:
    void accept() override;

  private:
    PrintObject& object_;
};

}  // namespace kvt
