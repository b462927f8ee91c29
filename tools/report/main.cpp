// kvt-report: the printed report of a project as a PDF, for production lines that file a report
// per valve. Runs on Qt's offscreen platform, so it needs neither a display nor a printer.
#include <QBuffer>
#include <QDateTime>
#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "ReportArguments.h"
#include "data/Cp1252.h"
#include "data/FileIo.h"
#include "data/ProjectFile.h"
#include "data/StringTable.h"
#include "print/ReportDocument.h"
#include "print/ReportPdf.h"
#include "scope/ScopeViewModel.h"

namespace {

using namespace kvt;
using namespace kvt::report;

int fileError(const std::string& message) {
    std::fprintf(stderr, "kvt-report: %s\n", message.c_str());
    return kExitFile;
}

// The project as the program would open it, without touching the working folder's settings.
bool loadProject(const std::string& path, Records& records, std::string& error) {
    const FileReadResult read = readFilePrefix(path, kProjectFileSize + 1);
    if (!read.opened || read.error != 0) {
        const int code = read.error != 0 ? read.error : (read.exists ? EISDIR : ENOENT);
        error = "cannot read " + path + ": " + std::strerror(code);
        return false;
    }
    const std::string& bytes = read.bytes;
    if (bytes.size() != kProjectFileSize) {
        error = path + " is not a project file (" + std::to_string(bytes.size()) +
                " bytes, a project has " + std::to_string(kProjectFileSize) + ")";
        return false;
    }
    decodeProject(bytes, records);
    bringProjectIntoRange(records);
    // The page shows where the file is.
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    std::string message;
    setProjectPath(records.projectInfo, ec ? path : absolute.string(), &message);
    return true;
}

int writeReport(const ReportArguments& args) {
    auto records = std::make_unique<Records>();
    std::string error;
    if (!loadProject(args.project, *records, error)) {
        return fileError(error);
    }
    StringTable strings;
    ScopeViewModel scope(records->scope, records->samples);
    scope.resetView();
    scope.refreshReadout();
    const ReportSource source{*records, scope, strings, QDateTime::currentDateTime()};
    const ReportDocument document(source, args.object);

    // A complete report or none: the pages are made in memory and the file is replaced only
    // when all of them are written.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writeReportPdf(
            buffer, document,
            QString::fromStdString(asValidUtf8(fieldText(records->projectInfo.fileName))))) {
        return fileError("cannot make the report of " + args.project);
    }
    const FileWriteResult written = replaceFileContents(
        args.output, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!written.ok) {
        return fileError("cannot write " + args.output + ": " + std::strerror(written.error));
    }
    return kExitDone;
}

// Qt's own notes (a missing runtime folder, font fallbacks) are no concern of a report run:
// stderr carries only the program's own error line.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "kvt-report: %s\n", message.toLocal8Bit().constData());
        std::abort();
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const ReportArguments parsed = parseReportArguments(args);
    if (parsed.help) {
        std::fputs(reportUsage(), stdout);
        return kExitDone;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "kvt-report: %s\n%s", parsed.error.c_str(), reportUsage());
        return kExitUsage;
    }
    // No display is needed, whatever the environment says.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQtMessages);
    QGuiApplication app(argc, argv);
    return writeReport(parsed);
}
