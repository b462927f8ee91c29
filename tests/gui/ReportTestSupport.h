#pragma once

// What the report tests share: a project with known values, the PDF made from it, and what
// poppler's tools read from a PDF (pages, page size, text).
#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "SampleProjectInfo.h"
#include "data/ScopeModel.h"
#include "print/ReportDocument.h"
#include "print/ReportPdf.h"
#include "support/TempDir.h"
#include "unit/KnownParameterSet.h"

namespace kvt::test {

inline bool havePdfTools() {
    return std::system(
               "command -v pdftotext >/dev/null 2>&1 && command -v pdfinfo >/dev/null "
               "2>&1") == 0;
}

#define KVT_REQUIRE_PDF_TOOLS()                                                               \
    if (!::kvt::test::havePdfTools()) {                                                       \
        GTEST_SKIP() << "pdftotext/pdfinfo (poppler-utils) are not installed; scripts/setup " \
                        "installs them";                                                      \
    }

inline std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            out.append(buffer, n);
        }
        ::pclose(pipe);
    }
    return out;
}

// What a reader of the paper sees.
struct PdfFacts {
    int pages = 0;
    double widthPt = 0;
    double heightPt = 0;
    std::vector<std::string> pageTexts;  // pdftotext -layout, one entry per page

    bool landscape() const { return widthPt > heightPt; }
    // The text line of the page that holds `label`, or "".
    std::string lineWith(int page, const std::string& label) const {
        std::istringstream in(pageTexts.at(static_cast<std::size_t>(page)));
        std::string line;
        while (std::getline(in, line)) {
            if (line.find(label) != std::string::npos) {
                return line;
            }
        }
        return {};
    }
};

inline PdfFacts readPdf(const std::filesystem::path& pdf) {
    PdfFacts facts;
    const std::string info = commandOutput("pdfinfo '" + pdf.string() + "' 2>/dev/null");
    std::istringstream lines(info);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("Pages:", 0) == 0) {
            facts.pages = std::atoi(line.substr(6).c_str());
        } else if (line.rfind("Page size:", 0) == 0) {
            std::sscanf(line.c_str(), "Page size: %lf x %lf", &facts.widthPt, &facts.heightPt);
        }
    }
    const std::string text =
        commandOutput("pdftotext -layout '" + pdf.string() + "' - 2>/dev/null");
    std::size_t start = 0;
    for (std::size_t ff = text.find('\f'); ff != std::string::npos; ff = text.find('\f', start)) {
        facts.pageTexts.push_back(text.substr(start, ff - start));
        start = ff + 1;
    }
    return facts;
}

// A project with known texts and values: the sample project information, the known parameter
// set written and (with a few values changed) read back, scope settings confirmed by the
// controller and a step recording.
inline std::unique_ptr<Records> knownProject(bool deviceSetValid = true) {
    auto records = std::make_unique<Records>();
    records->projectInfo = sampleProjectInfo();
    records->params.currentSet = knownParameterSet();
    records->params.deviceSet = knownParameterSet();
    records->params.deviceSet.PROPORTIONAL_GAIN = 3.0f;
    records->params.deviceSet.PARAMETER_SET = 1;
    records->params.deviceSet.VALID = deviceSetValid ? 1 : 0;
    ScopeSettings& s = records->scope;
    resetScopeSettings(s);
    s.mode = ScopeSettings::StepMode;
    s.acqTime = 4;
    s.acqTimeRead = 4;
    s.acqTimeReadValid = 1;
    s.setpointBegin = 20.0f;
    s.setpointBeginRead = 20.5f;
    s.setpointBeginReadValid = 1;
    s.setpointEnd = 80.0f;
    s.setpointEndReadValid = 0;
    s.analogSel(2) = 1;
    s.analogSelReadValid = 1;
    s.analogSelRead(2) = 1;
    AcquisitionBuffers& b = records->samples;
    for (int i = 0; i < 1000; ++i) {
        const float target = i < 100 ? 20.0f : 80.0f;
        b.analog[0][i] = target;
        b.analog[1][i] = i < 100 ? 20.0f : 80.0f - 60.0f * std::exp(-(i - 100) / 60.0f);
        b.analog[2][i] = 50.0f;
        b.binary[0][i] = i >= 100 ? 1 : 0;
    }
    return records;
}

// The report of the project as a PDF in the folder.
inline std::filesystem::path writePdf(const ReportDocument& document, const TempDir& dir,
                                      const std::string& name) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writeReportPdf(buffer, document, QStringLiteral("test")));
    const std::filesystem::path path = dir / name;
    writeFile(path, bytes.toStdString());
    return path;
}

}  // namespace kvt::test
