#pragma once

#include <QDateTime>
#include <QRect>
#include <vector>

#include "data/Records.h"
#include "data/Strings.h"
#include "print/PrintObject.h"

class QPainter;
class QPagedPaintDevice;

namespace kvt {

class ScopeViewModel;

// What a report shows: the project's records, the scope as the view shows it (window, grid) and
// the time it was printed.
struct ReportSource {
    const Records& records;
    const ScopeViewModel& scope;
    Strings& strings;
    QDateTime printed;
};

// The pages of a print object and how each is drawn. The pages are drawn into any painter and
// page rectangle (a printer's, the preview's, a PDF's), every position scaled from the page.
class ReportDocument {
  public:
    enum class Page {
        ProjectInfo,
        Parameters1,
        Parameters2,
        Parameters3,
        ScopeSettings,
        ScopeGraph
    };

    ReportDocument(const ReportSource& source, PrintObject object);

    // All: info, three parameter pages, two scope pages; Parameters: info and the parameter
    // pages; Scope View: info and the scope pages; no object: nothing.
    int pageCount() const { return static_cast<int>(pages_.size()); }
    Page page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    // Draws page `index` (0-based) with its header into `area`, in the painter's device units.
    void paintPage(QPainter& painter, const QRect& area, int index) const;

  private:
    const ReportSource& source_;
    std::vector<Page> pages_;
};

// Draws every page onto the device, one job. False when the painter could not start on the
// device (nothing drawn).
bool renderReport(QPagedPaintDevice& device, const ReportDocument& document);

}  // namespace kvt
