#pragma once

#include <memory>

#include "data/Strings.h"
#include "print/PrintObject.h"
#include "print/ReportDocument.h"
#include "widgets/MessageBoxes.h"

class QPrinter;
class QWidget;

namespace kvt {

// The steps of Project > Print that ask the user; tests script them.
class PrintPrompts {
  public:
    virtual ~PrintPrompts() = default;
    // The Select Print dialog on the current print object; false for Cancel.
    virtual bool selectObject(PrintObject& object) = 0;
    // The system print dialog for the printer, without page ranges or a selection; false for
    // Cancel.
    virtual bool choosePrinter(QPrinter& printer) = 0;
    // The pages as they will come out of the printer; false when the user closes the preview
    // without printing.
    virtual bool preview(QPrinter& printer, const ReportDocument& document) = 0;
};

// The program's own: Select Print, the system print dialog and the print preview.
std::unique_ptr<PrintPrompts> makeDialogPrintPrompts(QWidget* owner, Strings& strings);

enum class PrintOutcome { Cancelled, JobFailed, Printed };

struct PrintCommandContext {
    QWidget* owner = nullptr;
    Strings& strings;
    MessageBoxes& boxes;
    PrintPrompts& prompts;
    PrintObject& object;  // kept by the main frame from one command to the next
};

// Project > Print: the object, the printer (landscape), the preview, then one job with the
// pages of the object. A job that cannot start shows "Cannot start print job !" and prints
// nothing.
PrintOutcome runPrintCommand(PrintCommandContext& context, const ReportSource& source,
                             QPrinter& printer);

}  // namespace kvt
