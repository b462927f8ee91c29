// read-matrix and write-matrix: the calibration matrix with its DAC values and temperature.
#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/ProjectStore.h"
#include "cli/RecordFields.h"
#include "cli/ValueChecks.h"

namespace kvt::cli {
namespace {

constexpr int kRowValues = 10;

// The calibration dialog's Copy: what was read becomes what Write Matrix sends.
void copyReadToWrite(CalibrationRecord& cal) {
    cal.CAL_OFFSET_WRITE = cal.CAL_OFFSET_READ;
    cal.CAL_SPAN_WRITE = cal.CAL_SPAN_READ;
    cal.CAL_TEMP_WRITE = cal.CAL_TEMP_READ;
    for (int a = 0; a < kCalArrays; ++a) {
        for (int r = 0; r < kCalRows; ++r) {
            for (int v = 0; v < kRowValues; ++v) {
                cal.CAL_MATRIX_WRITE[a][r][v] = cal.CAL_MATRIX_READ[a][r][v];
            }
        }
    }
}

// A matrix to send that is all zero would wipe the controller's calibration: a project saved
// after a read but without Copy holds exactly that.
bool writePartEmpty(const CalibrationRecord& cal) {
    if (cal.CAL_OFFSET_WRITE != 0 || cal.CAL_SPAN_WRITE != 0) {
        return false;
    }
    for (int a = 0; a < kCalArrays; ++a) {
        for (int r = 0; r < calibrationRowsUsed(a); ++r) {
            for (int v = 0; v < kRowValues; ++v) {
                if ((cal.CAL_MATRIX_WRITE[a][r][v] & 0xFF) != 0) {
                    return false;
                }
            }
        }
    }
    return true;
}

}  // namespace

int runReadMatrix(CommandContext& c) {
    const std::optional<std::string> out = c.invocation().value("-o");
    if (out && !c.openOutputProject(*out)) {
        return c.code();
    }
    CalibrationRecord& cal = c.records().calibration;
    // The progress line shows the time only: the rows belong to the engine while it reads.
    ActionRequest request{cmd::kReadMatrix, notify::kMatrixRead, "Read Matrix"};
    request.longWork = true;
    if (!c.connect() || !c.runAction(request)) {
        return c.code();
    }
    c.result().set("calibration", calibrationReadJson(cal));
    if (out) {
        copyReadToWrite(cal);
        if (!c.saveOutputProject(*out)) {
            return c.code();
        }
    }
    return c.code();
}

int runWriteMatrix(CommandContext& c) {
    const std::string& file = c.invocation().args[0];
    if (const FileOutcome opened = openProjectToSend(c.program(), file); !opened.ok) {
        return c.fail(exit_code::kFile, opened.message);
    }
    const CalibrationRecord& cal = c.records().calibration;
    // The calibration dialog offers Write only after a complete read of the matrix.
    if (!cal.isMatrixPresent()) {
        return c.fail(exit_code::kFile, file +
                                            " holds no complete calibration matrix (store one "
                                            "with read-matrix -o)");
    }
    if (const auto refused = refusedCalibration(cal); !refused.empty()) {
        return refuseValues(c, file, refused);
    }
    if (writePartEmpty(cal)) {
        return c.fail(exit_code::kFile, file +
                                            " holds an empty calibration to write (all zero); "
                                            "nothing was sent");
    }
    if (!c.connect() || !c.runAction({cmd::kWriteMatrix, notify::kMatrixWritten, "Write Matrix"})) {
        return c.code();
    }
    c.result()
        .set("project", Json::string(projectPath(file)))
        .set("calibration", calibrationWriteJson(cal));
    return c.code();
}

}  // namespace kvt::cli
