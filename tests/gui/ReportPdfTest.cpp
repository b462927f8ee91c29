// The printed report as a reader of the paper sees it: rendered to PDF and read back with
// poppler's pdftotext and pdfinfo.
#include <gtest/gtest.h>

#include <functional>

#include <QDateTime>
#include <algorithm>
#include <regex>
#include <sstream>

#include "ReportTestSupport.h"
#include "data/StringTable.h"
#include "print/ParameterReportPages.h"
#include "print/ReportLayout.h"
#include "scope/ScopeViewModel.h"

namespace kvt::test {
namespace {

const QDateTime kPrinted(QDate(2026, 3, 4), QTime(9, 5, 41));

class ReportPdfTest : public ::testing::Test {
  protected:
    PdfFacts render(PrintObject object, bool deviceSetValid = true,
                    const std::function<void(Records&)>& edit = {}) {
        records = knownProject(deviceSetValid);
        if (edit) {
            edit(*records);
        }
        scope = std::make_unique<ScopeViewModel>(records->scope, records->samples);
        scope->resetView();
        source = std::make_unique<ReportSource>(ReportSource{*records, *scope, strings, kPrinted});
        const ReportDocument document(*source, object);
        return readPdf(writePdf(document, dir, "report.pdf"));
    }

    TempDir dir;
    StringTable strings;
    std::unique_ptr<Records> records;
    std::unique_ptr<ScopeViewModel> scope;
    std::unique_ptr<ReportSource> source;
};

// The text between the label and the end of its line holds the written value and after it the
// value read back.
void expectColumns(const PdfFacts& pdf, int page, const std::string& label,
                   const std::string& write, const std::string& read) {
    const std::string line = pdf.lineWith(page, label);
    ASSERT_FALSE(line.empty()) << "no line with '" << label << "' on page " << page + 1;
    const std::size_t w = line.find(write, line.find(label) + label.size());
    ASSERT_NE(w, std::string::npos) << "'" << write << "' missing in: " << line;
    EXPECT_NE(line.find(read, w + write.size()), std::string::npos)
        << "'" << read << "' missing after '" << write << "' in: " << line;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

struct ObjectCase {
    PrintObject object;
    int pages;
    const char* lastPageMark;  // a text only the last page has
};

TEST_F(ReportPdfTest, EachPrintObjectGivesItsPagesInLandscapeWithNumberedHeaders) {
    KVT_REQUIRE_PDF_TOOLS();
    const ObjectCase cases[] = {
        {PrintObject::All, 6, "t/s"},
        {PrintObject::Parameters, 4, "Autosafe"},
        {PrintObject::ScopeView, 3, "t/s"},
    };
    for (const ObjectCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.object));
        const PdfFacts pdf = render(c.object);
        ASSERT_EQ(pdf.pages, c.pages);
        ASSERT_EQ(static_cast<int>(pdf.pageTexts.size()), c.pages);
        EXPECT_TRUE(pdf.landscape()) << pdf.widthPt << " x " << pdf.heightPt;
        for (int p = 0; p < c.pages; ++p) {
            const std::string pageMark =
                "Page " + std::to_string(p + 1) + " / " + std::to_string(c.pages);
            const std::string header = pdf.lineWith(p, "Print-Date:");
            EXPECT_NE(header.find("Print-Date: 4.3.2026 Time: 09:05"), std::string::npos) << header;
            EXPECT_NE(header.find(pageMark), std::string::npos) << header;
        }
        EXPECT_NE(pdf.pageTexts.back().find(c.lastPageMark), std::string::npos);
        // Every page carries the project in its title.
        for (const std::string& text : pdf.pageTexts) {
            EXPECT_NE(text.find("KVT 0.05"), std::string::npos);
            EXPECT_NE(text.find("[Pump station 4, PUMP4.KVT]"), std::string::npos);
        }
    }
}

TEST_F(ReportPdfTest, NoPrintObjectPrintsNothing) {
    records = knownProject();
    ScopeViewModel model(records->scope, records->samples);
    const ReportSource s{*records, model, strings, kPrinted};
    EXPECT_EQ(ReportDocument(s, PrintObject::None).pageCount(), 0);
}

TEST_F(ReportPdfTest, ProjectInformationPageListsEveryLabelWithItsValue) {
    KVT_REQUIRE_PDF_TOOLS();
    const PdfFacts pdf = render(PrintObject::ScopeView);
    EXPECT_NE(pdf.lineWith(0, "Project Info")
                  .find("KVT 0.05 Project Info [Pump station 4, "
                        "PUMP4.KVT]"),
              std::string::npos);
    // Each label starts a line and its value is all that follows it.
    const std::pair<const char*, const char*> lines[] = {
        {"Project", "/srv/projects/PUMP4.KVT"},
        {"File Name:", "PUMP4.KVT"},
        {"Project Name:", "Pump station 4"},
        {"Project Version:", "12"},
        {"Company:", ""},
        {"Name:", "Waterworks"},
        {"Address:", "Riverside 1"},
        {"City:", "Lakeside"},
        {"Phone / Fax:", "+00 123 456"},
        {"Email:", "service@example.org"},
    };
    std::istringstream in(pdf.pageTexts.at(0));
    std::vector<std::string> pageLines;
    for (std::string line; std::getline(in, line);) {
        pageLines.push_back(trimmed(line));
    }
    for (const auto& [label, value] : lines) {
        const std::string l = label;
        const bool found =
            std::any_of(pageLines.begin(), pageLines.end(), [&](const std::string& line) {
                return line.rfind(l, 0) == 0 && trimmed(line.substr(l.size())) == value;
            });
        EXPECT_TRUE(found) << label << " " << value;
    }
}

TEST_F(ReportPdfTest, StoredTextsPrintAsTheirWindowsCharacters) {
    KVT_REQUIRE_PDF_TOOLS();
    const PdfFacts pdf = render(PrintObject::ScopeView, true, [](Records& r) {
        setFieldText(r.projectInfo.projectName, "M\xFCller \x80");
        setFieldText(r.projectInfo.city, "K\xF6ln");
    });
    EXPECT_NE(pdf.lineWith(0, "Project Info").find("[Müller €, PUMP4.KVT]"), std::string::npos)
        << pdf.pageTexts.at(0);
    EXPECT_NE(pdf.lineWith(0, "City:").find("Köln"), std::string::npos) << pdf.pageTexts.at(0);
}

// Every tab's rows and the autosafe fields, more than sixty parameters, with the device's value
// after each, or "--" while the device set is not valid.
TEST_F(ReportPdfTest, ParameterPagesShowEveryParameterWrittenAndRead) {
    KVT_REQUIRE_PDF_TOOLS();
    for (const bool valid : {true, false}) {
        SCOPED_TRACE(valid ? "device set valid" : "device set not read");
        const PdfFacts pdf = render(PrintObject::Parameters, valid);
        int printed = 0;
        for (int page = 0; page < 3; ++page) {
            for (const ParameterLine& line : parameterPageLines(records->params, strings, page)) {
                SCOPED_TRACE(line.label);
                if (line.heading) {
                    EXPECT_FALSE(pdf.lineWith(page + 1, line.label).empty());
                    continue;
                }
                if (!valid) {
                    EXPECT_EQ(line.read, " -- ");
                }
                expectColumns(pdf, page + 1, line.label, trimmed(line.write),
                              valid ? trimmed(line.read) : "--");
                ++printed;
            }
        }
        EXPECT_GT(printed, 60);
        expectColumns(pdf, 1, "Parameter Setting", "Custom", valid ? "Factory" : "--");
        expectColumns(pdf, 1, "Proportional Gain", "2.3", valid ? "3.0" : "--");
        if (valid) {
            // Values of the known set in their formats and units; autosafe codes 3, 2 and 5.
            expectColumns(pdf, 1, "Integration Time / sec", "0.10 sec", "0.10 sec");
            expectColumns(pdf, 1, "Derivation Time / msec", "40 msec", "40 msec");
            expectColumns(pdf, 1, "Setpoint Signal", "4 - 20 mA", "4 - 20 mA");
            expectColumns(pdf, 2, "max.Display", "1000", "1000");
            expectColumns(pdf, 3, "Delay Time / sec", "20 sec", "20 sec");
            expectColumns(pdf, 3, "Coil On Time / sec", "2.0 sec", "2.0 sec");
            expectColumns(pdf, 3, "Coil Off Time / sec", "12 sec", "12 sec");
        }
    }
}

TEST_F(ReportPdfTest, ScopeSettingsPageListsTheSettingsWrittenAndConfirmed) {
    KVT_REQUIRE_PDF_TOOLS();
    const PdfFacts pdf = render(PrintObject::ScopeView);
    const int page = 1;
    EXPECT_FALSE(pdf.lineWith(page, "Scope Setup").empty());
    expectColumns(pdf, page, "Mode", "Step Mode", "");
    expectColumns(pdf, page, "Acquisition Time / sec", "4", "4");
    expectColumns(pdf, page, "Setpoint Begin / %", "20.0", "20.5");
    expectColumns(pdf, page, "Setpoint End / %", "80.0", "--");
    expectColumns(pdf, page, "Ramp Time / sec", "5.0", "");
    expectColumns(pdf, page, "Trigger Channel", "None (Roll Mode)", "");
    expectColumns(pdf, page, "Slope", "Rising", "");
    expectColumns(pdf, page, "Value / %", "10", "");
    expectColumns(pdf, page, "Sample Rate / msec", "4", "");
    expectColumns(pdf, page, "Master/Slave", "Master", "");
    // Channel 3 shows the same signal written and confirmed; the binary channels follow the
    // read-back flag.
    const std::string third = pdf.lineWith(page, "Analog Channel 3");
    const std::string name = strings.text(analogSignalNameId(2, 1, false));
    EXPECT_NE(third.find(name), third.rfind(name)) << third;
    const std::string binary = pdf.lineWith(page, "Binary Channel 2");
    const std::string bit = strings.text(binarySignalNameId(2));
    EXPECT_NE(binary.find(bit), binary.rfind(bit)) << binary;
}

TEST_F(ReportPdfTest, GraphPageDrawsTheScopeTexts) {
    KVT_REQUIRE_PDF_TOOLS();
    const PdfFacts pdf = render(PrintObject::ScopeView);
    const std::string& graph = pdf.pageTexts.at(2);
    for (const char* text : {"Ch1:", "Ch2:", "Ch3:", "t/s", "100 %", "0.000", "4.000"}) {
        EXPECT_NE(graph.find(text), std::string::npos) << text;
    }
    EXPECT_EQ(graph.find("Readout Time"), std::string::npos);  // no cursor on paper
}

// Where the header's words stand on the first page, in points from the paper's corner.
TEST_F(ReportPdfTest, HeaderStandsWhereThePageSizeSays) {
    KVT_REQUIRE_PDF_TOOLS();
    render(PrintObject::ScopeView);
    const std::string box =
        commandOutput("pdftotext -bbox -f 1 -l 1 '" + (dir / "report.pdf").string() + "' -");
    auto word = [&box](const std::string& text) {
        const std::regex pattern("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>" + text +
                                 "</word>");
        std::smatch m;
        EXPECT_TRUE(std::regex_search(box, m, pattern)) << text;
        return m.empty() ? std::pair<double, double>{-1, -1}
                         : std::pair<double, double>{std::stod(m[1]), std::stod(m[2])};
    };
    std::smatch page;
    ASSERT_TRUE(
        std::regex_search(box, page, std::regex("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\"")));
    const double margin = 10.0 / 25.4 * 72.0;  // the PDF's 10 mm
    const double w = std::stod(page[1]) - 2 * margin;
    const double h = std::stod(page[2]) - 2 * margin;
    const double left = margin + w * 10 / 677;
    const auto title = word("KVT");
    EXPECT_NEAR(title.first, left, 1.0);
    EXPECT_NEAR(title.second, margin + h / 238, 1.0);
    const auto date = word("Print-Date:");
    EXPECT_NEAR(date.first, left, 1.0);
    EXPECT_NEAR(date.second, margin + h / 238 + h * 10 / 397, 1.0);
    const auto pageWord = word("Page");
    EXPECT_NEAR(pageWord.first, margin + 3 * w / 4, 1.0);
    EXPECT_NEAR(pageWord.second, date.second, 0.5);
}

// The header's positions as fractions of the printable page: title at W x 10 / 677 and H / 238,
// the date one line further, the page number at three quarters of the width.
TEST(ReportLayoutTest, HeaderPositionsScaleWithThePage) {
    const ReportLayout layout(QRect(0, 0, 6770, 4760));
    EXPECT_EQ(layout.left(), 100);
    EXPECT_EQ(layout.titleY(), 20);
    EXPECT_EQ(layout.dateY(), 20 + 119);
    const ReportLayout small(QRect(0, 0, 676, 237));
    EXPECT_EQ(small.left(), 9);  // truncated
    EXPECT_EQ(small.titleY(), 0);
}

}  // namespace
}  // namespace kvt::test
