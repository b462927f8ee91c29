// What kvtcli prints of a project file of any content: `show` as text and as JSON, and the CSV
// of `export`, must be valid UTF-8, and the JSON valid JSON. The input describes the file as for
// ProjectFileFuzz.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "FuzzSupport.h"
#include "JsonSyntax.h"
#include "cli/ShowResult.h"
#include "cli/TextRender.h"
#include "data/Cp1252.h"
#include "data/ProjectFile.h"
#include "data/ScopeModel.h"
#include "scope/CsvExport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kvt;
    const Records& records = fuzz::loadProjectFrom(data, size).records;

    const cli::Json result = cli::showResult(records);
    const std::string json = result.dump();
    fuzz::require(isValidUtf8(json), "show --json is UTF-8");
    fuzz::require(fuzz::isValidJson(json), "show --json is JSON");
    fuzz::require(isValidUtf8(cli::renderText(result)), "show is UTF-8");
    const std::string csv = recordingCsv(records.scope, records.samples, fuzz::fixedStrings(),
                                         recordedSampleCount(records.scope));
    fuzz::require(isValidUtf8(csv), "export is UTF-8");
    return 0;
}
