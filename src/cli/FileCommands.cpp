// show and export: project files without the controller.
#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/ProjectStore.h"
#include "cli/ShowResult.h"
#include "data/ScopeModel.h"
#include "scope/CsvExport.h"

namespace kvt::cli {

int runShow(CommandContext& c) {
    const std::string& file = c.invocation().args[0];
    if (const FileOutcome opened = openProject(c.program(), file); !opened.ok) {
        return c.fail(exit_code::kFile, opened.message);
    }
    c.result() = showResult(c.records());
    return c.code();
}

int runExport(CommandContext& c) {
    const std::string& file = c.invocation().args[0];
    const std::optional<std::string> csv = c.invocation().value("--csv");
    if (!csv) {
        return c.fail(exit_code::kUsage, "export: --csv OUT.csv is missing");
    }
    if (const FileOutcome opened = openProject(c.program(), file); !opened.ok) {
        return c.fail(exit_code::kFile, opened.message);
    }
    const Records& r = c.records();
    const int samples = recordedSampleCount(r.scope);
    const std::string text = recordingCsv(r.scope, r.samples, c.program().strings(), samples);
    if (const FileOutcome saved = saveFile(*csv, text); !saved.ok) {
        return c.fail(exit_code::kFile, saved.message);
    }
    c.result()
        .set("project", Json::string(projectPath(file)))
        .set("recording", recordingSummary(r.scope))
        .set("csv", Json::string(projectPath(*csv)));
    return c.code();
}

}  // namespace kvt::cli
