#include "print/ReportLayout.h"

#include <QPainter>

namespace kvt {
namespace {

// A text line is this fraction of the page height: about 10 points on a landscape A4 page.
constexpr int kFontDivisor = 56;
constexpr int kLineNumerator = 3;  // a line is 1.5 font heights
constexpr int kLineDenominator = 2;

}  // namespace

ReportLayout::ReportLayout(const QRect& area) : area_(area) {}

int ReportLayout::left() const {
    return static_cast<int>(static_cast<long long>(width()) * 10 / 677);
}

int ReportLayout::titleY() const {
    return height() / 238;
}

int ReportLayout::dateY() const {
    return height() / 238 + static_cast<int>(static_cast<long long>(height()) * 10 / 397);
}

int ReportLayout::lineHeight() const {
    return std::max(1, height() / kFontDivisor * kLineNumerator / kLineDenominator);
}

int ReportLayout::bodyTop() const {
    return dateY() + 3 * lineHeight();
}

int ReportLayout::bottom() const {
    return height() - lineHeight();
}

QFont ReportLayout::font(bool bold) const {
    QFont f;
    f.setStyleHint(QFont::SansSerif);
    f.setFamilies({QStringLiteral("Sans Serif")});
    f.setPixelSize(std::max(1, height() / kFontDivisor));
    f.setBold(bold);
    // Without shaping there are no ligatures: "Off" stays three letters that a reader of the
    // PDF can search for and copy, not "O" and an "ff" glyph.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

void ReportLayout::text(QPainter& painter, int x, int y, const QString& text, int width) const {
    const int w = width > 0 ? width : this->width() - x;
    painter.drawText(QRect(area_.left() + x, area_.top() + y, w, lineHeight()),
                     static_cast<int>(Qt::AlignLeft | Qt::AlignTop), text);
}

}  // namespace kvt
