#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>

#include "GermanLocale.h"
#include "data/ScopeModel.h"
#include "data/StringTable.h"
#include "scope/CsvExport.h"

namespace kvt {
namespace {

// The program's own texts, but one signal name holds a comma and a quote, as a language library's
// may.
class NameStrings final : public Strings {
  public:
    std::string text(int id) override { return builtin(id); }
    std::string builtin(int id) override {
        return id == 158 ? "Current, \"mA\"" : table_.builtin(id);
    }
    bool libraryLoaded() const override { return false; }

  private:
    StringTable table_;
};

// The rows of the file; every one ends with CR LF.
std::vector<std::string> lines(const std::string& csv) {
    std::vector<std::string> out;
    for (std::size_t start = 0, end; start < csv.size(); start = end + 2) {
        end = csv.find("\r\n", start);
        out.push_back(csv.substr(start, end - start));
        if (end == std::string::npos) {
            break;
        }
    }
    return out;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, ',')) {
        out.push_back(field);
    }
    return out;
}

class CsvExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetScopeSettings(settings);
        clearSamples(*samples);
    }

    ScopeSettings settings{};
    std::unique_ptr<AcquisitionBuffers> samples = std::make_unique<AcquisitionBuffers>();
    NameStrings strings;
};

TEST_F(CsvExportTest, TheHeaderNamesTheSelectedSignalsWithTheirUnits) {
    using Names = std::array<std::string, kCsvColumns>;
    EXPECT_EQ(csvColumnNames(settings, strings),
              (Names{"Time [s]", "Setpoint [%]", "Feedback [%]", "none [%]", "none [%]",
                     "Digital Output [0/1]", "Signal Open [0/1]", "Signal Close [0/1]",
                     "Digital Input [0/1]"}));
    settings.masterSlave = 1;
    settings.analogSel(2) = 0;
    settings.analogSel(3) = 0;
    const Names slave = csvColumnNames(settings, strings);
    EXPECT_EQ(std::vector<std::string>(slave.begin() + 1, slave.begin() + 5),
              (std::vector<std::string>{"Setpoint(S) [%]", "Feedback(S) [%]",
                                        "Control Deviation(S) [%]", "P-Value(S) [%]"}));
}

TEST_F(CsvExportTest, ANameWithACommaOrAQuoteIsQuoted) {
    settings.analogSel(1) = 2;
    const auto rows = lines(recordingCsv(settings, *samples, strings, 0));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0],
              "Time [s],Setpoint [%],\"Current, \"\"mA\"\" [%]\",none [%],none [%],"
              "Digital Output [0/1],Signal Open [0/1],Signal Close [0/1],Digital Input [0/1]");
}

TEST_F(CsvExportTest, StepModeRowsCountTheTimeFromTheStart) {
    settings.mode = ScopeSettings::StepMode;
    samples->analog[0][0] = analogPercentUnsigned(128);
    samples->analog[2][0] = analogPercentOffset(0);
    samples->analog[3][1] = analogPercentOffset(255);
    samples->binary[0][1] = 1;
    samples->binary[3][2] = 1;
    const std::string csv = recordingCsv(settings, *samples, strings, 2000);
    const auto rows = lines(csv);
    ASSERT_EQ(rows.size(), 2001u);
    EXPECT_EQ(rows[1], "0.000,50.196,0.000,-100.392,0.000,0,0,0,0");
    EXPECT_EQ(rows[2], "0.004,0.000,0.000,0.000,99.608,1,0,0,0");
    EXPECT_EQ(rows[3], "0.008,0.000,0.000,0.000,0.000,0,0,0,1");
    EXPECT_EQ(fields(rows[2000])[0], "7.996");
    EXPECT_EQ(csv.substr(csv.size() - 2), "\r\n");
}

TEST_F(CsvExportTest, TriggerModeRowsCountBackFromTheRightEdgeAsTheViewShowsThem) {
    settings.mode = ScopeSettings::TriggerMode;
    settings.sampleRateIndex = 5;  // 200 ms, N = 40
    const auto rows =
        lines(recordingCsv(settings, *samples, strings, recordedSampleCount(settings)));
    ASSERT_EQ(rows.size(), 41u);
    EXPECT_EQ(fields(rows[1])[0], "8.000");
    EXPECT_EQ(fields(rows[2])[0], "7.800");
    EXPECT_EQ(fields(rows[40])[0], "0.200");

    settings.sampleRateIndex = 0;
    settings.acqTime = 20;
    const auto full =
        lines(recordingCsv(settings, *samples, strings, recordedSampleCount(settings)));
    ASSERT_EQ(full.size(), 5001u);
    EXPECT_EQ(fields(full[1])[0], "20.000");
    EXPECT_EQ(fields(full[5000])[0], "0.004");
}

TEST_F(CsvExportTest, NumbersKeepTheirDecimalPointInACommaLocale) {
    test::GermanLocale german;
    if (!german.active()) {
        GTEST_SKIP() << "no German locale on this machine";
    }
    settings.mode = ScopeSettings::StepMode;
    samples->analog[1][3] = 12.5f;
    const auto rows = lines(recordingCsv(settings, *samples, strings, 10));
    for (std::size_t r = 1; r < rows.size(); ++r) {
        ASSERT_EQ(fields(rows[r]).size(), static_cast<std::size_t>(kCsvColumns)) << rows[r];
    }
    EXPECT_EQ(rows[4], "0.012,0.000,12.500,0.000,0.000,0,0,0,0");
}

TEST_F(CsvExportTest, TheRowCountStaysWithinTheRecording) {
    EXPECT_EQ(lines(recordingCsv(settings, *samples, strings, 6000)).size(), 5001u);
    EXPECT_EQ(lines(recordingCsv(settings, *samples, strings, -3)).size(), 1u);
    EXPECT_EQ(recordedSampleCount(settings), 2000);
    settings.acqTime = 1000;
    EXPECT_EQ(recordedSampleCount(settings), 5000);
}

TEST_F(CsvExportTest, DamagedValuesStillGiveNumbersAndBits) {
    settings.mode = ScopeSettings::StepMode;
    samples->analog[0][0] = std::numeric_limits<float>::quiet_NaN();
    samples->analog[1][0] = std::numeric_limits<float>::infinity();
    samples->binary[2][0] = 7;
    const auto rows = lines(recordingCsv(settings, *samples, strings, 1));
    EXPECT_EQ(rows[1], "0.000,0.000,0.000,0.000,0.000,0,0,1,0");
}

TEST_F(CsvExportTest, SavesTheFileAndReportsAFolderThatIsNotThere) {
    test::TempDir dir;
    const std::filesystem::path path = dir / "recording.csv";
    EXPECT_TRUE(saveRecordingCsv(path, settings, *samples, strings, 40).ok);
    EXPECT_EQ(test::readFile(path), recordingCsv(settings, *samples, strings, 40));

    const CsvWriteResult missing =
        saveRecordingCsv(path.parent_path() / "missing" / "x.csv", settings, *samples, strings, 1);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, ENOENT);
}

}  // namespace
}  // namespace kvt
