#pragma once

#include <QDialog>

#include "data/Strings.h"

class QPrinter;

namespace kvt {

class ReportDocument;

// The pages as the printer will print them, before paper is used: Print goes on with the job,
// Cancel ends the command. The pages are drawn by the same code as the job, on the printer's
// page layout.
class PrintPreviewDialog : public QDialog {
    Q_OBJECT

  public:
    PrintPreviewDialog(QWidget* owner, Strings& strings, QPrinter& printer,
                       const ReportDocument& document);
};

}  // namespace kvt
