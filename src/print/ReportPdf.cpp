#include "print/ReportPdf.h"

#include <QPageLayout>
#include <QPdfWriter>

#include "print/ReportDocument.h"

namespace kvt {
namespace {

// Fine enough for the traces, small enough for a quick file.
constexpr int kPdfResolution = 600;
constexpr qreal kMarginMm = 10;

}  // namespace

bool writeReportPdf(QIODevice& device, const ReportDocument& document, const QString& title) {
    QPdfWriter pdf(&device);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                  QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                  QPageLayout::Millimeter));
    pdf.setResolution(kPdfResolution);
    pdf.setTitle(title);
    pdf.setCreator(QStringLiteral("kvt"));
    return renderReport(pdf, document);
}

}  // namespace kvt
