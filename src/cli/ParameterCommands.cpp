// read-params, write-params, diff and param-set: the parameter set between controller and
// project file.
#include <cstring>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/ParameterCompare.h"
#include "cli/ProjectStore.h"
#include "cli/RecordFields.h"
#include "cli/ValueChecks.h"

namespace kvt::cli {
namespace {

constexpr std::int32_t kCustom = 0;
constexpr std::int32_t kFactory = 1;
constexpr const char* kCustomWord = "custom";
constexpr const char* kFactoryWord = "factory";

ActionRequest readParameters() {
    return {cmd::kReadParameter, notify::kParametersRead, "Read Parameter"};
}

// The device set starts empty, so that a field the read leaves alone (a code the controller
// should not hold) cannot pass for a value read back.
void forgetDeviceSet(Records& records) {
    std::memset(&records.params.deviceSet, 0, sizeof records.params.deviceSet);
}

Json differencesJson(const std::vector<ParameterDifference>& differences) {
    Json list = Json::array();
    for (const ParameterDifference& d : differences) {
        const bool real = d.field->type == FieldType::Float;
        Json item = Json::object();
        item.set("field", Json::string(std::string(d.field->name)))
            .set("project", real ? Json::real(static_cast<float>(d.project))
                                 : Json::integer(static_cast<std::int64_t>(d.project)))
            .set("device", real ? Json::real(static_cast<float>(d.device))
                                : Json::integer(static_cast<std::int64_t>(d.device)));
        list.push(std::move(item));
    }
    return list;
}

std::string fieldNames(const std::vector<ParameterDifference>& differences) {
    std::string names;
    for (const ParameterDifference& d : differences) {
        names += names.empty() ? "" : ", ";
        names += d.field->name;
    }
    return names;
}

Json parameterSetJson(std::int32_t value) {
    Json item = Json::integer(value);
    if (value == kCustom || value == kFactory) {
        item.withText(value == kCustom ? "Custom" : "Factory");
    }
    return item;
}

}  // namespace

int runReadParams(CommandContext& c) {
    const std::optional<std::string> out = c.invocation().value("-o");
    if (out && !c.openOutputProject(*out)) {
        return c.code();
    }
    forgetDeviceSet(c.records());
    if (!c.connect() || !c.runAction(readParameters())) {
        return c.code();
    }
    ParameterSets& sets = c.records().params;
    c.result().set("parameters", parametersJson(sets.deviceSet));
    if (out) {
        // The Parameters dialog's Copy: the values read become the project's.
        sets.currentSet = sets.deviceSet;
        if (!c.saveOutputProject(*out)) {
            return c.code();
        }
    }
    return c.code();
}

int runWriteParams(CommandContext& c) {
    const std::string& file = c.invocation().args[0];
    if (const FileOutcome opened = openProjectToSend(c.program(), file); !opened.ok) {
        return c.fail(exit_code::kFile, opened.message);
    }
    const ParameterRecord& current = c.records().params.currentSet;
    if (current.PARAMETER_SET == kFactory) {
        // The Parameters dialog offers no Write for a Factory set either.
        return c.fail(exit_code::kUsage,
                      file +
                          " holds a Factory parameter set, which is not written; switch the "
                          "controller with param-set instead");
    }
    if (const auto refused = refusedParameters(current); !refused.empty()) {
        c.result().set("written", Json::boolean(false));
        return refuseValues(c, file, refused);
    }
    forgetDeviceSet(c.records());
    // Write, then read back: the engine runs the write first.
    if (!c.connect() || !c.runAction({cmd::kWriteParameter | cmd::kReadParameter,
                                      notify::kParametersRead, "Write Parameter"})) {
        return c.code();
    }
    const auto differences = compareWithDevice(current, c.records().params.deviceSet);
    c.result()
        .set("project", Json::string(projectPath(file)))
        .set("written", Json::boolean(true))
        .set("differences", differencesJson(differences));
    if (!differences.empty()) {
        return c.fail(exit_code::kDiffers, "read-back differs in " +
                                               std::to_string(differences.size()) +
                                               " field(s): " + fieldNames(differences));
    }
    return c.code();
}

int runDiff(CommandContext& c) {
    const std::string& file = c.invocation().args[0];
    if (const FileOutcome opened = openProject(c.program(), file); !opened.ok) {
        return c.fail(exit_code::kFile, opened.message);
    }
    forgetDeviceSet(c.records());
    if (!c.connect() || !c.runAction(readParameters())) {
        return c.code();
    }
    const auto differences =
        compareWithDevice(c.records().params.currentSet, c.records().params.deviceSet);
    c.result()
        .set("project", Json::string(projectPath(file)))
        .set("identical", Json::boolean(differences.empty()))
        .set("differences", differencesJson(differences));
    if (!differences.empty()) {
        return c.fail(exit_code::kDiffers, std::to_string(differences.size()) +
                                               " field(s) differ: " + fieldNames(differences));
    }
    return c.code();
}

int runParamSet(CommandContext& c) {
    const std::string& word = c.invocation().args[0];
    if (word != kCustomWord && word != kFactoryWord) {
        return c.fail(exit_code::kUsage, "param-set: say custom or factory, not '" + word + "'");
    }
    const std::int32_t wanted = word == kCustomWord ? kCustom : kFactory;
    forgetDeviceSet(c.records());
    // The switch sends the whole CAR byte from the current set: start from what the controller
    // holds, so that only the parameter set changes.
    if (!c.connect() || !c.runAction(readParameters())) {
        return c.code();
    }
    ParameterSets& sets = c.records().params;
    sets.currentSet = sets.deviceSet;
    sets.currentSet.PARAMETER_SET = wanted;
    // Factory: the switch with read-back of the Parameters dialog's Factory button; Custom: that
    // of its Custom button.
    const std::uint32_t bits =
        (wanted == kFactory ? cmd::kCustomFactorySet : cmd::kCustomFactorySetAlt) |
        cmd::kReadParameter;
    if (!c.runAction({bits, notify::kParametersRead, "Custom, Factory Parameter Send"})) {
        return c.code();
    }
    const std::int32_t now = sets.deviceSet.PARAMETER_SET;
    c.result()
        .set("PARAMETER_SET", parameterSetJson(now))
        .set("parameters", parametersJson(sets.deviceSet));
    if (now != wanted) {
        return c.fail(exit_code::kDiffers, "the controller still reports the " +
                                               std::string(now == kCustom ? "Custom" : "Factory") +
                                               " parameter set");
    }
    return c.code();
}

}  // namespace kvt::cli
