#include "print/PrintPreviewDialog.h"

#include <QDialogButtonBox>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "print/ReportDocument.h"

namespace kvt {
namespace {

constexpr int kCancelCaption = 39;

}  // namespace

PrintPreviewDialog::PrintPreviewDialog(QWidget* owner, Strings& strings, QPrinter& printer,
                                       const ReportDocument& document)
    : QDialog(owner) {
    setObjectName(QStringLiteral("printPreviewDialog"));
    setWindowTitle(QStringLiteral("Print Preview"));
    auto* layout = new QVBoxLayout(this);
    auto* preview = new QPrintPreviewWidget(&printer, this);
    preview->setObjectName(QStringLiteral("preview"));
    connect(preview, &QPrintPreviewWidget::paintRequested, this,
            [&document](QPrinter* target) { renderReport(*target, document); });
    // The whole page at first, as paper shows it.
    preview->fitInView();
    layout->addWidget(preview, 1);

    auto* buttons = new QDialogButtonBox(this);
    auto* fitWidth = buttons->addButton(QStringLiteral("Fit Width"), QDialogButtonBox::ActionRole);
    auto* wholePage =
        buttons->addButton(QStringLiteral("Whole Page"), QDialogButtonBox::ActionRole);
    QPushButton* print = buttons->addButton(QStringLiteral("Print"), QDialogButtonBox::AcceptRole);
    print->setObjectName(QStringLiteral("print"));
    print->setDefault(true);
    buttons->addButton(QString::fromStdString(strings.text(kCancelCaption)),
                       QDialogButtonBox::RejectRole);
    connect(fitWidth, &QPushButton::clicked, preview, &QPrintPreviewWidget::fitToWidth);
    connect(wholePage, &QPushButton::clicked, preview, &QPrintPreviewWidget::fitInView);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(900, 700);
}

}  // namespace kvt
