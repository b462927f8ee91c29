// kvtcli's command line: global options, the options of each command, the values they carry.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/LinkTimingOverride.h"
#include "cli/RecordOptions.h"
#include "cli/Values.h"

namespace kvt::cli {
namespace {

ParseResult parse(std::vector<std::string> args) {
    return parseArguments(args, [](std::string_view name) {
        const Command* command = findCommand(name);
        return command != nullptr ? &command->declaration : nullptr;
    });
}

TEST(CliArguments, GlobalOptionsStandBeforeOrAfterTheCommand) {
    const ParseResult r =
        parse({"--port", "/dev/ttyUSB0", "read-params", "-o", "a.KVT", "--json", "--log"});
    ASSERT_TRUE(r.ok) << r.error;
    const Invocation& inv = r.invocation;
    EXPECT_EQ(inv.global.port, "/dev/ttyUSB0");
    EXPECT_TRUE(inv.global.json);
    EXPECT_TRUE(inv.global.log);
    EXPECT_FALSE(inv.global.simulate);
    ASSERT_NE(inv.command, nullptr);
    EXPECT_EQ(inv.command->name, "read-params");
    EXPECT_EQ(inv.value("-o").value_or(""), "a.KVT");
    EXPECT_TRUE(inv.args.empty());
}

TEST(CliArguments, ValuesMayBeJoinedWithAnEqualsSign) {
    const ParseResult r = parse({"--workdir=/tmp/w", "record", "--mode=trigger", "--time", "8"});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.invocation.global.workdir, "/tmp/w");
    EXPECT_EQ(r.invocation.value("--mode").value_or(""), "trigger");
    EXPECT_EQ(r.invocation.value("--time").value_or(""), "8");
}

TEST(CliArguments, UsageErrorsNameWhatIsWrong) {
    EXPECT_TRUE(parse({"write-params", "a.KVT"}).ok);
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"write-params"}, "write-params: too few arguments"},
        {{"show", "a.KVT", "b.KVT"}, "show: unexpected argument 'b.KVT'"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"info", "--pwm"}, "unknown option '--pwm'"},
        {{"-o", "x.KVT", "read-params"}, "unknown option '-o' (options of a command follow it)"},
        {{}, "no command given"},
        {{"read-params", "-o"}, "option -o needs a value"},
        {{"setpoint", "5", "--pwm=1"}, "option --pwm takes no value"},
        {{"info", "--json", "--json"}, "option --json given twice"},
        {{"--port", "/dev/x", "--simulate", "info"}, "--port and --simulate exclude each other"},
    };
    for (const auto& [args, error] : cases) {
        const ParseResult r = parse(args);
        EXPECT_FALSE(r.ok) << error;
        EXPECT_EQ(r.error, error);
    }
}

TEST(CliArguments, NegativeNumbersAreValuesNotOptions) {
    const ParseResult r = parse({"record", "--level", "-50", "--trigger", "a1"});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.invocation.value("--level").value_or(""), "-50");
    const ParseResult setpoint = parse({"setpoint", "-5"});
    ASSERT_TRUE(setpoint.ok) << setpoint.error;
    EXPECT_EQ(setpoint.invocation.args, std::vector<std::string>{"-5"});
}

TEST(CliArguments, DoubleDashEndsTheOptions) {
    const ParseResult r = parse({"show", "--", "--odd-name.KVT"});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.invocation.args, std::vector<std::string>{"--odd-name.KVT"});
}

TEST(CliValues, NumbersMustBeWholeWordsAndFollowTheDialogs) {
    EXPECT_EQ(parseNumber("2.5"), 2.5);
    EXPECT_EQ(parseNumber("-50"), -50.0);
    EXPECT_EQ(parseNumber("+7"), 7.0);
    for (const char* text : {"2,5", "12abc", "", "nan", "inf"}) {
        EXPECT_FALSE(parseNumber(text)) << text;
    }
    EXPECT_EQ(parseWhole("20"), 20L);
    EXPECT_FALSE(parseWhole("20.5"));
    EXPECT_FALSE(parseWhole("99999999999999999999"));
    // Setpoints in half percent within 0..100, test times within 0..20 s.
    const std::array<float, 3> cases[] = {{33.3f, 33.0f, 20.0f}, {33.7f, 33.5f, 20.0f},
                                          {150, 100.0f, 20.0f},  {-3, 0.0f, 0.0f},
                                          {25, 25.0f, 20.0f},    {2.5f, 2.5f, 2.5f}};
    for (const auto& [value, percent, seconds] : cases) {
        EXPECT_FLOAT_EQ(setpointPercent(value), percent) << value;
        EXPECT_FLOAT_EQ(testTimeSeconds(value), seconds) << value;
    }
}

ScopeSettings withOptions(std::vector<std::string> args, bool* ok, std::string* error,
                          RecordOptions* options = nullptr) {
    args.insert(args.begin(), "record");
    const ParseResult r = parse(args);
    EXPECT_TRUE(r.ok) << r.error;
    ScopeSettings scope{};
    scope.mode = ScopeSettings::TriggerMode;
    scope.acqTime = 8;
    RecordOptions unused;
    *ok = applyRecordOptions(r.invocation, scope, options != nullptr ? *options : unused, error);
    return scope;
}

TEST(CliRecordOptions, SetTheScopeSettings) {
    bool ok = false;
    std::string error;
    RecordOptions options;
    const ScopeSettings s =
        withOptions({"--mode", "ramp", "--time", "20", "--sample-ms", "200", "--trigger", "b2",
                     "--level", "-100", "--slope", "falling", "--stop-after", "1.5"},
                    &ok, &error, &options);
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(s.mode, ScopeSettings::RampMode);
    EXPECT_EQ(s.acqTime, 20);
    EXPECT_EQ(s.sampleRateIndex, 5);
    EXPECT_EQ(s.triggerChannel, 6);
    EXPECT_EQ(s.triggerValue, -100);
    EXPECT_EQ(s.triggerSlope, 1);
    EXPECT_EQ(options.stopAfterSeconds, 1.5);
}

TEST(CliRecordOptions, RefuseWhatTheSetupDialogWouldNotTake) {
    bool ok = true;
    std::string error;
    for (const auto& args : std::vector<std::vector<std::string>>{{"--mode", "roll"},
                                                                  {"--time", "3"},
                                                                  {"--time", "21"},
                                                                  {"--time", "8.5"},
                                                                  {"--sample-ms", "5"},
                                                                  {"--trigger", "a5"},
                                                                  {"--trigger", "9"},
                                                                  {"--level", "101"},
                                                                  {"--slope", "up"},
                                                                  {"--stop-after", "0"}}) {
        const ScopeSettings s = withOptions(args, &ok, &error);
        EXPECT_FALSE(ok) << args[0] << " " << args[1];
        EXPECT_EQ(error.rfind("record: " + args[0], 0), 0u) << error;
        // A refused option changes nothing.
        EXPECT_EQ(s.mode, ScopeSettings::TriggerMode);
        EXPECT_EQ(s.acqTime, 8);
    }
}

TEST(CliRecordOptions, TriggerChannelsByNameOrNumber) {
    const std::pair<const char*, int> names[] = {
        {"none", 0}, {"a1", 1}, {"a4", 4}, {"b1", 5}, {"8", 8}};
    for (const auto& [name, channel] : names) {
        EXPECT_EQ(triggerChannelOf(name), channel) << name;
    }
    EXPECT_FALSE(triggerChannelOf("-1"));
    EXPECT_FALSE(triggerChannelOf("B1"));
}

TEST(CliLinkTiming, ShortensTheNamedTimeOuts) {
    LinkTiming timing;
    std::string error;
    ASSERT_TRUE(applyLinkTiming("reply=300, pause=50 send=20", timing, &error)) << error;
    EXPECT_EQ(timing.replyTimeoutMs, 300);
    EXPECT_EQ(timing.retryPauseMs, 50);
    EXPECT_EQ(timing.sendTimeoutMs, 20);
    EXPECT_EQ(timing.retryLimit, 4);
}

TEST(CliLinkTiming, RefusesAnythingElseAndKeepsTheTiming) {
    for (const char* text : {"reply", "reply=", "reply=0", "reply=-5", "reply=10x", "retries=2",
                             "reply=600001", "pause=50 bogus=1"}) {
        LinkTiming timing;
        std::string error;
        EXPECT_FALSE(applyLinkTiming(text, timing, &error)) << text;
        EXPECT_NE(error.find(kLinkTimingVariable), std::string::npos);
        EXPECT_EQ(timing.replyTimeoutMs, 10000) << text;
        EXPECT_EQ(timing.retryPauseMs, 1000) << text;
    }
}

}  // namespace
}  // namespace kvt::cli
