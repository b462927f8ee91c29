#include <algorithm>
#include <array>

#include "cli/Commands.h"

namespace kvt::cli {
namespace {

constexpr OptionSpec kProjectOut[] = {{"-o", true}};
constexpr OptionSpec kSetpointOptions[] = {{"--pwm", false}};
constexpr OptionSpec kTestFunctionOptions[] = {{"--read", false}};
constexpr OptionSpec kAutoAdaptOptions[] = {{"--yes", false}};
constexpr OptionSpec kCalibrateOptions[] = {
    {"--mode", true}, {"--temperature", true}, {"--yes", false}};
constexpr OptionSpec kRecordOptions[] = {
    {"-o", true},      {"--csv", true},       {"--mode", true},
    {"--time", true},  {"--sample-ms", true}, {"--trigger", true},
    {"--level", true}, {"--slope", true},     {"--stop-after", true},
};
constexpr OptionSpec kExportOptions[] = {{"--csv", true}};
constexpr OptionSpec kStatusOptions[] = {{"--watch", false}};

const std::array<Command, 17> kCommands = {{
    {{"info", 0, 0, {}},
     "info",
     "read the device information: firmware, part and serial number, dates, counters,\n"
     "temperatures",
     true,
     runInfo},
    {{"status", 0, 0, kStatusOptions},
     "status [--watch]",
     "read the live status: alarms, inputs, key lock and the three LEDs; with --watch read\n"
     "it every 2 s and print a timed line for each change until Ctrl+C (exit 0) or a\n"
     "communication error (exit 2)",
     true,
     runStatus},
    {{"read-params", 0, 0, kProjectOut},
     "read-params [-o FILE.KVT]",
     "read the parameter set; with -o store it as the current set of that project (a new\n"
     "project made of the defaults when the file is not there)",
     true,
     runReadParams},
    {{"write-params", 1, 1, {}},
     "write-params FILE.KVT",
     "write the current set of the project, read it back and compare; exit 5 and the\n"
     "differing fields when the controller holds other values. Exit 4 without sending\n"
     "anything for a file that is not a whole project or a value out of its page's range",
     true,
     runWriteParams},
    {{"diff", 1, 1, {}},
     "diff FILE.KVT",
     "read the controller and list every field where it differs from the project's current\n"
     "set (field, project value, device value); exit 5 when any does",
     true,
     runDiff},
    {{"param-set", 1, 1, {}},
     "param-set custom|factory",
     "switch the controller's parameter set and read it back",
     true,
     runParamSet},
    {{"read-matrix", 0, 0, kProjectOut},
     "read-matrix [-o FILE.KVT]",
     "read the calibration matrix, DAC values and temperature; with -o store them in the\n"
     "project, also as the values write-matrix sends",
     true,
     runReadMatrix},
    {{"write-matrix", 1, 1, {}},
     "write-matrix FILE.KVT",
     "write the project's calibration matrix, DAC values and temperature. Exit 4 without\n"
     "sending anything for a file that is not a whole project or a value out of range",
     true,
     runWriteMatrix},
    {{"setpoint", 1, 1, kSetpointOptions},
     "setpoint VALUE|off [--pwm]",
     "serial (or PWM) setpoint in percent (0 to 100 in 0.5 steps), or switch it off",
     true,
     runSetpoint},
    {{"test-function", 0, 2, kTestFunctionOptions},
     "test-function off|ramp|step|multistep TIME | test-function --read",
     "write the controller's test function and its time in seconds (0 to 20), or read it",
     true,
     runTestFunction},
    {{"auto-adapt", 0, 0, kAutoAdaptOptions},
     "auto-adapt --yes",
     "start the controller's automatic adaptation (refused without --yes)",
     true,
     runAutoAdapt},
    {{"calibrate", 0, 0, kCalibrateOptions},
     "calibrate --mode none|standard|extended [--temperature C] --yes",
     "start the controller's calibration with that temperature compensation (refused without\n"
     "--yes: the valve moves), check it once a second and print the progress, stop it when it\n"
     "reports 15. The calibration temperature sent is --temperature (0 to 40), else the one\n"
     "the controller holds (read first). Exit 2 when it is not complete within ten minutes",
     true,
     runCalibrate},
    {{"reset-counter", 1, 1, kAutoAdaptOptions},
     "reset-counter calibration|operation --yes",
     "set the controller's calibration or operation counter to 0 (refused without --yes)",
     true,
     runResetCounter},
    {{"record", 0, 0, kRecordOptions},
     "record [-o FILE.KVT] [--csv FILE.csv] [--mode step|ramp|trigger] [--time S]\n"
     "       [--sample-ms 4|10|20|40|100|200] [--trigger CH --level L --slope rising|falling]\n"
     "       [--stop-after S]",
     "record with the scope settings of FILE (or the defaults, or the options given); ends by\n"
     "itself in step and ramp mode, after the trigger in trigger mode, after --stop-after\n"
     "seconds, or on Ctrl+C (orderly stop; the samples so far are kept). --time 4..20 s;\n"
     "--trigger none, a1..a4, b1..b4 (or 0..8); --level -100..100 %",
     true,
     runRecord},
    {{"stop", 0, 0, {}},
     "stop",
     "hard stop of a controller that is still streaming (PAS at 19200 and 57600 baud)",
     true,
     runStop},
    {{"show", 1, 1, {}},
     "show FILE.KVT",
     "print a project file: information, parameters, scope settings, recording",
     false,
     runShow},
    {{"export", 1, 1, kExportOptions},
     "export FILE.KVT --csv OUT.csv",
     "export the recording of a project file as CSV",
     false,
     runExport},
}};

}  // namespace

std::span<const Command> commands() {
    return kCommands;
}

const Command* findCommand(std::string_view name) {
    const auto it = std::find_if(kCommands.begin(), kCommands.end(),
                                 [&](const Command& c) { return c.declaration.name == name; });
    return it != kCommands.end() ? &*it : nullptr;
}

const Command* commandOf(const CommandSpec* declaration) {
    for (const Command& c : kCommands) {
        if (&c.declaration == declaration) {
            return &c;
        }
    }
    return nullptr;
}

}  // namespace kvt::cli
