#pragma once

#include <QString>

class QIODevice;

namespace kvt {

class ReportDocument;

// The report as a PDF: A4 landscape with 10 mm margins, the same pages as on paper. False when
// the PDF could not be started on the device.
bool writeReportPdf(QIODevice& device, const ReportDocument& document, const QString& title);

}  // namespace kvt
