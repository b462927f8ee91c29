#include "print/PrintCommand.h"

#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>

#include "print/PrintPreviewDialog.h"
#include "print/SelectPrintDialog.h"

namespace kvt {
namespace {

constexpr int kCannotStart = 34;
constexpr int kAppTitle = 32024;

class DialogPrintPrompts final : public PrintPrompts {
  public:
    DialogPrintPrompts(QWidget* owner, Strings& strings) : owner_(owner), strings_(strings) {}

    bool selectObject(PrintObject& object) override {
        SelectPrintDialog dialog(owner_, strings_, object);
        return dialog.exec() == QDialog::Accepted;
    }

    bool choosePrinter(QPrinter& printer) override {
        QPrintDialog dialog(&printer, owner_);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        return dialog.exec() == QDialog::Accepted;
    }

    bool preview(QPrinter& printer, const ReportDocument& document) override {
        PrintPreviewDialog dialog(owner_, strings_, printer, document);
        return dialog.exec() == QDialog::Accepted;
    }

  private:
    QWidget* owner_;
    Strings& strings_;
};

}  // namespace

std::unique_ptr<PrintPrompts> makeDialogPrintPrompts(QWidget* owner, Strings& strings) {
    return std::make_unique<DialogPrintPrompts>(owner, strings);
}

PrintOutcome runPrintCommand(PrintCommandContext& context, const ReportSource& source,
                             QPrinter& printer) {
    if (!context.prompts.selectObject(context.object)) {
        return PrintOutcome::Cancelled;
    }
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!context.prompts.choosePrinter(printer)) {
        return PrintOutcome::Cancelled;
    }
    // The print dialog may have turned the page; the report is landscape.
    if (printer.pageLayout().orientation() != QPageLayout::Landscape) {
        printer.setPageOrientation(QPageLayout::Landscape);
    }
    const ReportDocument document(source, context.object);
    if (!context.prompts.preview(printer, document)) {
        return PrintOutcome::Cancelled;
    }
    if (!renderReport(printer, document)) {
        context.boxes.show({context.strings.text(kCannotStart), context.strings.text(kAppTitle),
                            BoxButtons::Ok, BoxIcon::Exclamation, true},
                           context.owner);
        return PrintOutcome::JobFailed;
    }
    return PrintOutcome::Printed;
}

}  // namespace kvt
