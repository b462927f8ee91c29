// Project > Print: the Select Print dialog, the order of the steps and the job that cannot start.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QPrinter>
#include <QRadioButton>

#include "GuiTestSupport.h"
#include "ReportTestSupport.h"
#include "data/StringTable.h"
#include "print/PrintCommand.h"
#include "print/SelectPrintDialog.h"
#include "scope/ScopeViewModel.h"

namespace kvt::test {
namespace {

// The steps answered from a script; the printer gets the output the test chooses.
class ScriptedPrintPrompts final : public PrintPrompts {
  public:
    bool selectObject(PrintObject& object) override {
        steps.push_back("select");
        if (chosen != PrintObject::None) {
            object = chosen;
        }
        return select;
    }
    bool choosePrinter(QPrinter& printer) override {
        steps.push_back("printer");
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(output));
        // A user may turn the page to portrait in the dialog.
        printer.setPageOrientation(QPageLayout::Portrait);
        return print;
    }
    bool preview(QPrinter&, const ReportDocument& document) override {
        steps.push_back("preview");
        previewPages = document.pageCount();
        return previewed;
    }

    PrintObject chosen = PrintObject::None;
    bool select = true;
    bool print = true;
    bool previewed = true;
    std::string output;
    std::vector<std::string> steps;
    int previewPages = -1;
};

class PrintCommandTest : public ::testing::Test {
  protected:
    PrintOutcome run() {
        const ReportSource source{*records, model, strings, QDateTime::currentDateTime()};
        PrintCommandContext context{nullptr, strings, boxes, prompts, object};
        QPrinter printer(QPrinter::HighResolution);
        return runPrintCommand(context, source, printer);
    }

    TempDir dir;
    StringTable strings;
    ScriptedBoxes boxes;
    ScriptedPrintPrompts prompts;
    PrintObject object = PrintObject::None;
    std::unique_ptr<Records> records = knownProject();
    ScopeViewModel model{records->scope, records->samples};
};

TEST_F(PrintCommandTest, AJobThatCannotStartShowsTheBoxAndPrintsNothing) {
    prompts.output = (dir / "no-such-folder" / "report.pdf").string();
    EXPECT_EQ(run(), PrintOutcome::JobFailed);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Cannot start print job !");
    EXPECT_EQ(boxes.shown[0].caption, "KVT");
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::Ok);
    EXPECT_FALSE(std::filesystem::exists(prompts.output));
}

TEST_F(PrintCommandTest, OneLandscapeJobWithThePagesOfTheChosenObject) {
    KVT_REQUIRE_PDF_TOOLS();
    prompts.output = dir.file("printed.pdf");
    prompts.chosen = PrintObject::Parameters;
    EXPECT_EQ(run(), PrintOutcome::Printed);
    EXPECT_EQ(prompts.steps, (std::vector<std::string>{"select", "printer", "preview"}));
    EXPECT_EQ(prompts.previewPages, 4);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(object, PrintObject::Parameters);  // kept for the next command
    const PdfFacts pdf = readPdf(prompts.output);
    EXPECT_EQ(pdf.pages, 4);
    EXPECT_TRUE(pdf.landscape()) << pdf.widthPt << " x " << pdf.heightPt;
}

TEST_F(PrintCommandTest, CancelAtAnyStepEndsTheCommandWithoutAJob) {
    struct Case {
        bool select, print, preview;
        std::vector<std::string> steps;
    };
    const Case cases[] = {
        {false, true, true, {"select"}},
        {true, false, true, {"select", "printer"}},
        {true, true, false, {"select", "printer", "preview"}},
    };
    for (const Case& c : cases) {
        prompts.steps.clear();
        prompts.select = c.select;
        prompts.print = c.print;
        prompts.previewed = c.preview;
        prompts.output = dir.file("cancelled.pdf");
        EXPECT_EQ(run(), PrintOutcome::Cancelled);
        EXPECT_EQ(prompts.steps, c.steps);
        EXPECT_FALSE(std::filesystem::exists(prompts.output));
        EXPECT_TRUE(boxes.shown.empty());
    }
}

TEST(SelectPrintDialogTest, OpensOnTheCurrentObjectAndStoresTheCheckedRadio) {
    StringTable strings;
    struct Case {
        PrintObject current;
        int checkedRadio;
    };
    const Case cases[] = {
        {PrintObject::None, SelectPrintDialog::kAllRadio},
        {PrintObject::All, SelectPrintDialog::kAllRadio},
        {PrintObject::Parameters, SelectPrintDialog::kParametersRadio},
        {PrintObject::ScopeView, SelectPrintDialog::kScopeViewRadio},
    };
    for (const Case& c : cases) {
        PrintObject object = c.current;
        SelectPrintDialog dialog(nullptr, strings, object);
        EXPECT_EQ(dialog.windowTitle(), "Select Print");
        for (int id : {SelectPrintDialog::kAllRadio, SelectPrintDialog::kParametersRadio,
                       SelectPrintDialog::kScopeViewRadio}) {
            auto* radio = dialog.control<QRadioButton>("radio", id);
            ASSERT_NE(radio, nullptr) << id;
            EXPECT_EQ(radio->isChecked(), id == c.checkedRadio) << id;
        }
    }
    const std::pair<int, PrintObject> picks[] = {
        {SelectPrintDialog::kScopeViewRadio, PrintObject::ScopeView},
        {SelectPrintDialog::kParametersRadio, PrintObject::Parameters},
        {SelectPrintDialog::kAllRadio, PrintObject::All},
    };
    for (const auto& [radio, expected] : picks) {
        PrintObject object = PrintObject::None;
        SelectPrintDialog dialog(nullptr, strings, object);
        dialog.control<QRadioButton>("radio", radio)->setChecked(true);
        dialog.accept();
        EXPECT_EQ(object, expected);
    }
    // Cancel leaves the object as it was.
    PrintObject object = PrintObject::ScopeView;
    SelectPrintDialog dialog(nullptr, strings, object);
    dialog.control<QRadioButton>("radio", SelectPrintDialog::kAllRadio)->setChecked(true);
    dialog.reject();
    EXPECT_EQ(object, PrintObject::ScopeView);
}

TEST(SelectPrintDialogTest, LibraryTextsReplaceTheCaptions) {
    MarkedLibraryStrings strings;
    PrintObject object = PrintObject::All;
    SelectPrintDialog dialog(nullptr, strings, object);
    EXPECT_EQ(dialog.windowTitle(), "<Select Print>");
    EXPECT_EQ(dialog.control<QRadioButton>("radio", SelectPrintDialog::kScopeViewRadio)->text(),
              "<Scope View>");
}

}  // namespace
}  // namespace kvt::test
