#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

namespace kvt {

// Positions and fonts of a printed page, all derived from the page's size so that a printer, the
// preview and a PDF show the same page at their own resolutions.
class ReportLayout {
  public:
    explicit ReportLayout(const QRect& area);

    int width() const { return area_.width(); }
    int height() const { return area_.height(); }
    // The left edge of the texts: trunc(W x 10 / 677).
    int left() const;
    // The title line and the date line of the header.
    int titleY() const;
    int dateY() const;
    // The first line under the header, and the distance of two lines.
    int bodyTop() const;
    int lineHeight() const;
    int bottom() const;

    QFont font(bool bold = false) const;
    // Draws a line of text with its top at y, from x over `width` (cut when too long).
    void text(QPainter& painter, int x, int y, const QString& text, int width = 0) const;
    QPoint origin() const { return area_.topLeft(); }

  private:
    QRect area_;
};

}  // namespace kvt
