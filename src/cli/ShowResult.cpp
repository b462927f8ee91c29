#include "cli/ShowResult.h"

#include "cli/RecordFields.h"
#include "data/ScopeModel.h"
#include "scope/CsvExport.h"

namespace kvt::cli {

Json recordingSummary(const ScopeSettings& scope) {
    Json out = Json::object();
    out.set("samples", Json::integer(recordedSampleCount(scope)))
        .set("period", Json::real(samplePeriod(scope)));
    return out;
}

Json showResult(const Records& r) {
    Json out = Json::object();
    out.set("projectInfo", projectInfoJson(r.projectInfo))
        .set("serialSetpoint", serialSetpointJson(r.serialSetpoint))
        .set("parameters", parametersJson(r.params.currentSet))
        .set("scopeSettings", scopeSettingsJson(r.scope))
        .set("recording", recordingSummary(r.scope));
    if (r.deviceInfo.valid()) {
        out.set("deviceInfo", deviceInfoJson(r.deviceInfo));
    }
    return out;
}

}  // namespace kvt::cli
