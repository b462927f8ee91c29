#include "print/ReportDocument.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include "data/Cp1252.h"
#include "data/Format.h"
#include "data/ProjectFile.h"
#include "print/ParameterReportPages.h"
#include "print/ReportLayout.h"
#include "print/ScopeReportPages.h"

namespace kvt {
namespace {

constexpr int kAppTitle = 32024;
constexpr int kPageWord = 57;
constexpr int kPrintDate = 58;
constexpr int kTimeWord = 59;
constexpr int kProjectInfoName = 30;
constexpr int kParametersName = 55;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// The project's texts are stored as Windows-1252; the paths are the system's own names.
template <std::size_t N>
std::string storedText(const char (&field)[N]) {
    return cp1252ToUtf8(fieldText(field));
}
template <std::size_t N>
std::string pathText(const char (&field)[N]) {
    return asValidUtf8(fieldText(field));
}

// "%s %1.2f %s [%s, %s]" for the info and parameter pages; the scope pages leave out the page
// name. The brackets carry the project name and the file name.
QString pageTitle(const ReportSource& source, const char* pageName) {
    const ProjectInfo& info = source.records.projectInfo;
    const std::string app = source.strings.text(kAppTitle);
    const double version = static_cast<double>(kProgramVersion);
    const std::string project = storedText(info.projectName);
    const std::string file = pathText(info.fileName);
    if (pageName == nullptr) {
        return qs(format("%s %1.2f [%s, %s]", app.c_str(), version, project.c_str(), file.c_str()));
    }
    return qs(format("%s %1.2f %s [%s, %s]", app.c_str(), version, pageName, project.c_str(),
                     file.c_str()));
}

void paintHeader(QPainter& p, const ReportLayout& layout, const ReportSource& source,
                 const QString& title, int pageNumber, int pageCount) {
    Strings& s = source.strings;
    p.setPen(Qt::black);
    p.setFont(layout.font(true));
    layout.text(p, layout.left(), layout.titleY(), title);
    p.setFont(layout.font());
    const QDate date = source.printed.date();
    const QTime time = source.printed.time();
    const std::string clock = format("%02d:%02d ", time.hour(), time.minute());
    const std::string dateLine =
        format("%s %d.%d.%d %s %s", s.text(kPrintDate).c_str(), date.day(), date.month(),
               date.year(), s.text(kTimeWord).c_str(), clock.c_str());
    layout.text(p, layout.left(), layout.dateY(), qs(dateLine),
                layout.width() * 3 / 4 - layout.left());
    layout.text(p, 3 * layout.width() / 4, layout.dateY(),
                qs(format("%s %d / %d ", s.text(kPageWord).c_str(), pageNumber, pageCount)));
}

// Label and value pairs of the project information, one a line.
void paintProjectInfo(QPainter& p, const ReportLayout& layout, const ReportSource& source) {
    const ProjectInfo& info = source.records.projectInfo;
    Strings& s = source.strings;
    struct Line {
        int label;
        std::string value;
    };
    const Line lines[] = {
        {40, pathText(info.fullPath)},
        {41, pathText(info.fileName)},
        {42, storedText(info.projectName)},
        {43, format("%u", info.projectVersion)},
        {44, {}},
        {45, storedText(info.name)},
        {46, storedText(info.address)},
        {47, storedText(info.city)},
        {48, storedText(info.phoneFax)},
        {49, storedText(info.email)},
    };
    const int valueX = layout.left() + layout.width() / 5;
    int y = layout.bodyTop();
    p.setFont(layout.font());
    for (const Line& line : lines) {
        if (line.label == 44) {
            y += layout.lineHeight();  // the company block stands apart
        }
        layout.text(p, layout.left(), y, qs(s.text(line.label)), valueX - layout.left());
        layout.text(p, valueX, y, qs(line.value));
        y += layout.lineHeight();
    }
}

}  // namespace

ReportDocument::ReportDocument(const ReportSource& source, PrintObject object) : source_(source) {
    const bool parameters = object == PrintObject::All || object == PrintObject::Parameters;
    const bool scope = object == PrintObject::All || object == PrintObject::ScopeView;
    if (!parameters && !scope) {
        return;
    }
    pages_.push_back(Page::ProjectInfo);
    if (parameters) {
        pages_.insert(pages_.end(), {Page::Parameters1, Page::Parameters2, Page::Parameters3});
    }
    if (scope) {
        pages_.insert(pages_.end(), {Page::ScopeSettings, Page::ScopeGraph});
    }
}

void ReportDocument::paintPage(QPainter& p, const QRect& area, int index) const {
    const ReportLayout layout(area);
    const Page kind = page(index);
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const std::string info = source_.strings.text(kProjectInfoName);
    const std::string parameters = source_.strings.text(kParametersName);
    switch (kind) {
        case Page::ProjectInfo:
            paintHeader(p, layout, source_, pageTitle(source_, info.c_str()), index + 1,
                        pageCount());
            paintProjectInfo(p, layout, source_);
            break;
        case Page::Parameters1:
        case Page::Parameters2:
        case Page::Parameters3:
            paintHeader(p, layout, source_, pageTitle(source_, parameters.c_str()), index + 1,
                        pageCount());
            paintParameterPage(p, layout, source_,
                               static_cast<int>(kind) - static_cast<int>(Page::Parameters1));
            break;
        case Page::ScopeSettings:
            paintHeader(p, layout, source_, pageTitle(source_, nullptr), index + 1, pageCount());
            paintScopeSettingsPage(p, layout, source_);
            break;
        case Page::ScopeGraph:
            paintHeader(p, layout, source_, pageTitle(source_, nullptr), index + 1, pageCount());
            paintScopeGraphPage(p, layout, source_);
            break;
    }
    p.restore();
}

bool renderReport(QPagedPaintDevice& device, const ReportDocument& document) {
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    const QRect area(0, 0, device.width(), device.height());
    for (int i = 0; i < document.pageCount(); ++i) {
        if (i > 0) {
            device.newPage();
        }
        document.paintPage(painter, area, i);
    }
    return painter.end();
}

}  // namespace kvt
