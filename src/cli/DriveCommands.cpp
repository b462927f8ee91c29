// setpoint, test-function and auto-adapt: driving the valve from the PC.
#include <array>
#include <cstdio>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/RecordFields.h"
#include "cli/Values.h"

namespace kvt::cli {
namespace {

constexpr const char* kOff = "off";

// testFunctionType by word: 0 off, 1 ramp, 2 step, 3 multistep.
constexpr std::array<const char*, 4> kTestFunctionWords = {"off", "ramp", "step", "multistep"};

std::optional<std::int32_t> testFunctionType(const std::string& word) {
    for (std::size_t i = 0; i < kTestFunctionWords.size(); ++i) {
        if (word == kTestFunctionWords[i]) {
            return static_cast<std::int32_t>(i);
        }
    }
    return std::nullopt;
}

Json testFunctionJson(const TestFunctionState& t, bool written) {
    const auto typeJson = [](std::int32_t type) {
        Json item = Json::integer(type);
        if (type >= 0 && type < static_cast<std::int32_t>(kTestFunctionWords.size())) {
            item.withText(kTestFunctionWords[static_cast<std::size_t>(type)]);
        }
        return item;
    };
    Json out = Json::object();
    if (written) {
        out.set("testFunctionType", typeJson(t.testFunctionType))
            .set("testTime", Json::real(t.testTime));
    }
    out.set("testFunctionTypeRead", typeJson(t.testFunctionTypeRead));
    return out;
}

ActionRequest readTestFunction() {
    return {cmd::kReadTestFunction, notify::kTestFunctionRead, "Read Test Function"};
}

}  // namespace

int runSetpoint(CommandContext& c) {
    const std::string& word = c.invocation().args[0];
    SerialSetpoint& s = c.records().serialSetpoint;
    s.serialSetpointMode = c.invocation().has("--pwm") ? 1 : 0;
    if (word == kOff) {
        s.serialTransmit = 0;
    } else {
        const std::optional<double> value = parseNumber(word);
        if (!value) {
            return c.fail(exit_code::kUsage,
                          "setpoint: '" + word + "' is neither a percentage nor off");
        }
        s.serialSetpoint = setpointPercent(*value);
        s.serialTransmit = 1;
    }
    if (!c.connect() ||
        !c.runAction({cmd::kSerialSetpoint, notify::kSetpointDone, "Serial Setpoint"})) {
        return c.code();
    }
    c.result().set("serialSetpoint", serialSetpointJson(s));
    return c.code();
}

int runTestFunction(CommandContext& c) {
    const Invocation& inv = c.invocation();
    TestFunctionState& t = c.records().testFunction;
    if (inv.has("--read")) {
        if (!inv.args.empty()) {
            return c.fail(exit_code::kUsage, "test-function --read takes no other argument");
        }
        if (!c.connect() || !c.runAction(readTestFunction())) {
            return c.code();
        }
        c.result().set("testFunction", testFunctionJson(t, false));
        return c.code();
    }
    if (inv.args.empty()) {
        return c.fail(exit_code::kUsage, "test-function: say off, ramp, step, multistep or --read");
    }
    const std::optional<std::int32_t> type = testFunctionType(inv.args[0]);
    if (!type) {
        return c.fail(exit_code::kUsage, "test-function: unknown function '" + inv.args[0] + "'");
    }
    double seconds = 0;
    if (inv.args.size() > 1) {
        const std::optional<double> value = parseNumber(inv.args[1]);
        if (!value) {
            return c.fail(exit_code::kUsage, "test-function: '" + inv.args[1] + "' is no time");
        }
        seconds = *value;
    } else if (*type != 0) {
        return c.fail(exit_code::kUsage, "test-function " + inv.args[0] + " needs a TIME");
    }
    // Write Test Function sends the controller structure, the range detection and the auto zero
    // of Analog In 1 in the same byte, from the current set: take them from the controller first,
    // so that only the test function changes.
    if (!c.connect() || !c.runAction(readTestFunction())) {
        return c.code();
    }
    ParameterSets& sets = c.records().params;
    sets.currentSet.CONTROLLER_STRUCTURE = sets.deviceSet.CONTROLLER_STRUCTURE;
    sets.currentSet.SETPOINT_RANGE_DETECTION = sets.deviceSet.SETPOINT_RANGE_DETECTION;
    sets.currentSet.AUTO_ZERO_FEEDBACK_ANALOG_IN_1 = sets.deviceSet.AUTO_ZERO_FEEDBACK_ANALOG_IN_1;
    t.testFunctionType = *type;
    t.testTime = testTimeSeconds(seconds);
    if (!c.runAction(
            {cmd::kWriteTestFunction, notify::kTestFunctionWritten, "Write Test Function"}) ||
        !c.runAction(readTestFunction())) {
        return c.code();
    }
    c.result().set("testFunction", testFunctionJson(t, true));
    if (t.testFunctionTypeRead != t.testFunctionType) {
        return c.fail(exit_code::kDiffers, "the controller reports the test function '" +
                                               std::to_string(t.testFunctionTypeRead) + "'");
    }
    return c.code();
}

int runAutoAdapt(CommandContext& c) {
    Strings& strings = c.program().strings();
    std::fprintf(stderr, "%s\n", strings.text(ids::kAutoAdaptWarning).c_str());
    if (!c.invocation().has("--yes")) {
        return c.fail(exit_code::kUsage, "auto-adapt starts only with --yes");
    }
    std::fprintf(stderr, "%s\n", strings.text(ids::kAutoAdaptQuestion).c_str());
    if (!c.connect() || !c.runAction({cmd::kWriteAutoAdapt, notify::kAutoAdaptWritten,
                                      "Write AutoAdapt Function"})) {
        return c.code();
    }
    c.result().set("autoAdapt", Json::string("started"));
    return c.code();
}

}  // namespace kvt::cli
