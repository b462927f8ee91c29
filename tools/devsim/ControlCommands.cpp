#include "ControlCommands.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

#include "DeviceSettings.h"
#include "Emulator.h"
#include "RequestTable.h"
#include "TextParse.h"

namespace kvt::devsim {

namespace {

constexpr std::uint64_t kMaxFaultCount = 1'000'000;
constexpr std::uint64_t kMaxNoiseBytes = 4096;
constexpr int kMaxSourceDepth = 8;

using Words = std::vector<std::string_view>;

std::string ok(std::string_view text = {}) {
    return text.empty() ? std::string("ok") : "ok " + std::string(text);
}
std::string error(std::string_view text) {
    return "error: " + std::string(text);
}

// The text after `word` (a view into `rest`), trimmed.
std::string_view after(std::string_view rest, std::string_view word) {
    return trim(rest.substr(static_cast<std::size_t>(word.data() + word.size() - rest.data())));
}

// The text from `word` on (a view into `rest`), trimmed: a path may hold blanks.
std::string from(std::string_view rest, std::string_view word) {
    return std::string(trim(rest.substr(static_cast<std::size_t>(word.data() - rest.data()))));
}

std::string hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFF);
    return text;
}

bool countArgument(const Words& args, std::uint64_t max, unsigned& out, std::string& problem) {
    std::uint64_t value = 1;
    if (args.size() > 1 || (args.size() == 1 && !parseUnsigned(args[0], max, value))) {
        problem = "expected one count from 0 to " + std::to_string(max);
        return false;
    }
    out = static_cast<unsigned>(value);
    return true;
}

std::string faultCount(unsigned Faults::*field, const char* name, CommandContext& c,
                       const Words& args) {
    std::string problem;
    unsigned count = 0;
    if (!countArgument(args, kMaxFaultCount, count, problem)) {
        return error(problem);
    }
    c.emulator.faults().*field = count;
    return ok(std::string(name) + " " + std::to_string(count));
}

std::string cmdNoise(CommandContext& c, const Words& args, std::string_view) {
    std::uint64_t count = 0;
    std::uint64_t byte = kDefaultNoiseByte;
    if (args.empty() || args.size() > 2 || !parseUnsigned(args[0], kMaxNoiseBytes, count) ||
        (args.size() == 2 && !parseUnsigned(args[1], 0xFF, byte))) {
        return error("expected: noise N [BYTE], N up to " + std::to_string(kMaxNoiseBytes));
    }
    c.emulator.faults().noise = static_cast<unsigned>(count);
    c.emulator.faults().noiseByte = static_cast<std::uint8_t>(byte);
    return ok("noise " + std::to_string(count) + " " + hex2(static_cast<unsigned>(byte)));
}

std::string cmdDead(CommandContext& c, const Words&, std::string_view) {
    c.emulator.faults().dead = true;
    return ok("dead");
}

std::string cmdNormal(CommandContext& c, const Words&, std::string_view) {
    c.emulator.faults().clear();
    if (!c.startup && !c.emulator.terminal().isOpen()) {
        std::string problem;
        if (!c.emulator.openTerminal(problem)) {
            return error(problem);
        }
    }
    return ok("normal");
}

std::string cmdFaults(CommandContext& c, const Words&, std::string_view) {
    return ok(c.emulator.faults().describe());
}

std::string cmdClose(CommandContext& c, const Words&, std::string_view) {
    if (c.startup) {
        return error("close works only once the terminal is open");
    }
    if (!c.emulator.terminal().isOpen()) {
        return error("terminal already closed");
    }
    c.emulator.closeTerminal();
    return ok("closed");
}

std::string cmdReopen(CommandContext& c, const Words&, std::string_view) {
    if (c.startup) {
        return error("reopen works only once the terminal is open");
    }
    if (c.emulator.terminal().isOpen()) {
        return error("terminal already open: " + c.emulator.terminal().slavePath());
    }
    std::string problem;
    if (!c.emulator.openTerminal(problem)) {
        return error(problem);
    }
    return ok("open " + c.emulator.terminal().slavePath());
}

std::string cmdBaud(CommandContext& c, const Words& args, std::string_view) {
    if (args.empty()) {
        return ok("baud " + std::to_string(c.emulator.baud()));
    }
    std::uint64_t rate = 0;
    if (args.size() != 1 || !parseUnsigned(args[0], 1'000'000, rate) ||
        std::find(kSupportedBauds.begin(), kSupportedBauds.end(), static_cast<int>(rate)) ==
            kSupportedBauds.end()) {
        return error("baud rate must be 9600, 19200 or 57600");
    }
    c.emulator.setBaud(static_cast<int>(rate));
    return ok("baud " + std::to_string(rate));
}

std::string cmdPaced(CommandContext& c, const Words& args, std::string_view) {
    if (args.size() == 1 && (args[0] == "on" || args[0] == "off")) {
        c.emulator.setPaced(args[0] == "on");
    } else if (!args.empty()) {
        return error("expected: paced [on|off]");
    }
    return ok(c.emulator.paced() ? "paced on" : "paced off");
}

std::string cmdSet(CommandContext& c, const Words& args, std::string_view rest) {
    if (args.size() < 2) {
        return error("expected: set KEY VALUE");
    }
    const DeviceSetting* setting = findDeviceSetting(args[0]);
    if (setting == nullptr) {
        return error("unknown key '" + std::string(args[0]) + "'");
    }
    // The value is the rest of the line, so that a part text may hold blanks.
    const std::string_view value = after(rest, args[0]);
    const std::string problem = setting->set(c.emulator.model(), value);
    if (!problem.empty()) {
        return error(std::string(setting->key) + ": " + problem);
    }
    return ok(std::string(setting->key) + " " + setting->get(c.emulator.model()));
}

std::string cmdGet(CommandContext& c, const Words& args, std::string_view) {
    const DeviceSetting* setting = args.size() == 1 ? findDeviceSetting(args[0]) : nullptr;
    if (setting == nullptr) {
        return error("expected: get KEY, with a key of 'state'");
    }
    return ok(std::string(setting->key) + " " + setting->get(c.emulator.model()));
}

std::string streamStatus(const Emulator& e) {
    const Streamer& s = e.streamer();
    return "records=" + std::to_string(s.records()) +
           " sent=" + std::to_string(e.streamRecordsSent()) +
           " lost=" + std::to_string(e.streamRecordsLost()) +
           " streaming=" + (s.active() ? "yes" : "no") +
           " period-us=" + std::to_string(s.period().count());
}

std::string cmdState(CommandContext& c, const Words&, std::string_view) {
    Emulator& e = c.emulator;
    const DeviceModel& m = e.model();
    c.info("  terminal " + (e.terminal().isOpen() ? e.terminal().slavePath() : "closed"));
    c.info("  baud " + std::to_string(e.baud()) + (e.paced() ? " paced" : " unpaced"));
    for (const DeviceSetting& setting : deviceSettings()) {
        c.info("  " + std::string(setting.key) + " " + setting.get(m));
    }
    c.info("  stream " + streamStatus(e));
    c.info("  trigger-period-ms " + std::to_string(m.triggerPeriodMs()));
    const SetpointState& sp = m.setpoint();
    c.info("  serial-setpoint " + (sp.serialActive ? std::to_string(sp.serialValue) : "off") +
           " pwm-setpoint " + (sp.pwmActive ? std::to_string(sp.pwmValue) : "off"));
    const CalibrationState& cal = m.calibration();
    c.info("  calibration phase=" + std::to_string(static_cast<int>(cal.phase)) +
           " mode=" + std::to_string(cal.mode) + " status=" + hex2(cal.statusByte()));
    c.info("  matrix-address " + std::to_string(m.matrixAddress()));
    c.info("  faults " + e.faults().describe());
    return ok();
}

// A register by read or write mnemonic, or by read code.
const RequestKind* registerOf(std::string_view name) {
    const RequestKind* kind = findRequest(name);
    std::uint64_t code = 0;
    if (kind == nullptr && parseUnsigned(name, 0xFF, code)) {
        kind = findRequest(static_cast<std::uint8_t>(code));
    }
    if (kind != nullptr && kind->action == Action::WriteRegister) {
        kind = findRequest(static_cast<std::uint8_t>(kind->code + 1));
    }
    return kind != nullptr && kind->action == Action::ReadRegister ? kind : nullptr;
}

std::string cmdReg(CommandContext& c, const Words& args, std::string_view) {
    const RequestKind* kind = args.size() == 1 || args.size() == 2 ? registerOf(args[0]) : nullptr;
    if (kind == nullptr) {
        return error("expected: reg MNEMONIC|CODE [VALUE], a one-byte read such as KPR or 0x02");
    }
    std::uint64_t value = 0;
    if (args.size() == 2) {
        if (!parseUnsigned(args[1], 0xFF, value)) {
            return error("value must be 0..255");
        }
        c.emulator.model().setRegister(kind->code, static_cast<std::uint8_t>(value));
    }
    const unsigned held = c.emulator.model().registerValue(kind->code);
    return ok(std::string(kind->mnemonic) + " " + hex2(kind->code) + " " + std::to_string(held));
}

std::string cmdMem(CommandContext& c, const Words& args, std::string_view) {
    std::uint64_t address = 0;
    if ((args.size() != 1 && args.size() != 1 + kMatrixRowLength) ||
        !parseUnsigned(args[0], kMatrixMemorySize - kMatrixRowLength, address)) {
        return error("expected: mem ADDRESS [ten values], address 0.." +
                     std::to_string(kMatrixMemorySize - kMatrixRowLength));
    }
    auto row = c.emulator.model().matrix().subspan(address, kMatrixRowLength);
    if (args.size() > 1) {
        std::uint8_t values[kMatrixRowLength];
        for (std::size_t i = 0; i < kMatrixRowLength; ++i) {
            std::uint64_t value = 0;
            if (!parseUnsigned(args[i + 1], 0xFF, value)) {
                return error("values must be 0..255");
            }
            values[i] = static_cast<std::uint8_t>(value);
        }
        std::copy(values, values + kMatrixRowLength, row.begin());
    }
    return ok("mem " + std::to_string(address) + " " + hexBytes(row.data(), row.size()));
}

std::string cmdCount(CommandContext& c, const Words&, std::string_view) {
    return ok(streamStatus(c.emulator));
}

std::string cmdCounters(CommandContext& c, const Words&, std::string_view) {
    return ok(c.emulator.counters().format());
}

std::string cmdSource(CommandContext& c, const Words& args, std::string_view rest) {
    if (args.empty()) {
        return error("expected: source FILE");
    }
    if (c.depth >= kMaxSourceDepth) {
        return error("state files nested too deep");
    }
    const std::string path = from(rest, args[0]);
    std::ifstream file(path);
    if (!file) {
        return error("cannot read " + path);
    }
    CommandContext inner{c.emulator, [](std::string_view) {}, c.startup, c.depth + 1};
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        const std::string reply = runControlCommand(inner, line);
        if (reply.rfind("error", 0) == 0) {
            return error(path + ":" + std::to_string(number) + ": " + reply.substr(7));
        }
    }
    return ok("source " + path + " " + std::to_string(number) + " lines");
}

std::string cmdSave(CommandContext& c, const Words& args, std::string_view rest) {
    if (args.empty()) {
        return error("expected: save FILE");
    }
    const std::string path = from(rest, args[0]);
    std::ofstream file(path, std::ios::trunc);
    const Emulator& e = c.emulator;
    const DeviceModel& m = c.emulator.model();
    file << "# kvt-devsim state: control commands, run with --state " << path << "\n";
    file << "baud " << e.baud() << "\npaced " << (e.paced() ? "on" : "off") << "\n";
    for (const DeviceSetting& setting : deviceSettings()) {
        file << "set " << setting.key << " " << setting.get(m) << "\n";
    }
    for (const RequestKind& kind : allRequests()) {
        if (kind.action == Action::ReadRegister) {
            file << "reg " << kind.mnemonic << " " << unsigned{m.registerValue(kind.code)} << "\n";
        }
    }
    for (std::size_t address = 0; address < kMatrixMemorySize; address += kMatrixRowLength) {
        file << "mem " << address;
        for (std::size_t i = 0; i < kMatrixRowLength; ++i) {
            file << " " << unsigned{m.matrix()[address + i]};
        }
        file << "\n";
    }
    file.flush();
    if (!file) {
        return error("cannot write " + path);
    }
    return ok("saved " + path);
}

std::string cmdQuit(CommandContext& c, const Words&, std::string_view) {
    if (c.startup) {
        return error("quit is a command for a running emulator");
    }
    c.emulator.requestQuit();
    return ok("bye");
}

std::string cmdHelp(CommandContext& c, const Words&, std::string_view) {
    std::string text = controlCommandHelp();
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        c.info(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return ok();
}

struct ControlCommand {
    const char* name;
    const char* arguments;
    const char* help;
    std::string (*run)(CommandContext&, const Words& args, std::string_view rest);
};

const ControlCommand kCommands[] = {
    {"drop", "[N]", "leave the next N requests (default 1) unanswered, without effect",
     [](CommandContext& c, const Words& a, std::string_view) {
         return faultCount(&Faults::drop, "drop", c, a);
     }},
    {"nak", "[N]", "refuse the next N requests with NAK (padded to a data reply's length)",
     [](CommandContext& c, const Words& a, std::string_view) {
         return faultCount(&Faults::nak, "nak", c, a);
     }},
    {"bad-bcc", "[N]", "send the next N data replies with a wrong checksum (BCC + 1)",
     [](CommandContext& c, const Words& a, std::string_view) {
         return faultCount(&Faults::badBcc, "bad-bcc", c, a);
     }},
    {"noise", "N [BYTE]", "send N noise bytes (default 0xFF) before the next reply", cmdNoise},
    {"dead", "", "dead line: no reply and no stream record until 'normal'", cmdDead},
    {"normal", "", "clear every fault; reopen the terminal if it was closed", cmdNormal},
    {"faults", "", "show the pending faults", cmdFaults},
    {"close", "", "close the terminal: the program sees the device gone", cmdClose},
    {"reopen", "", "open a new terminal (announced as 'kvt-devsim: PATH'; --link follows)",
     cmdReopen},
    {"baud", "[RATE]", "show or set the device's rate: 9600, 19200 or 57600", cmdBaud},
    {"paced", "[on|off]", "show or set pacing of output at the line's byte rate", cmdPaced},
    {"set", "KEY VALUE", "set a device fact (keys: see 'state' and --help)", cmdSet},
    {"get", "KEY", "show a device fact", cmdGet},
    {"state", "", "show the whole device state", cmdState},
    {"reg", "NAME|CODE [VALUE]", "show or set a one-byte register, e.g. 'reg KPR 23'", cmdReg},
    {"mem", "ADDR [V0..V9]", "show or set ten bytes of the matrix memory at ADDR", cmdMem},
    {"count", "", "stream record count: records=N sent=N lost=N streaming=yes|no", cmdCount},
    {"counters", "", "show every counter", cmdCounters},
    {"source", "FILE", "run the control commands in FILE (a state file)", cmdSource},
    {"save", "FILE", "write the device state as a state file", cmdSave},
    {"help", "", "this list", cmdHelp},
    {"quit", "", "end the emulator (as do Ctrl-C, SIGTERM and SIGHUP)", cmdQuit},
};

}  // namespace

std::string runControlCommand(CommandContext& context, std::string_view line) {
    line = trim(line);
    if (line.empty() || line.front() == '#') {
        return {};
    }
    Words words = splitWords(line);
    const std::string name = lowerCase(words.front());
    const std::string_view rest = trim(line.substr(words.front().size()));
    words.erase(words.begin());
    for (const ControlCommand& command : kCommands) {
        if (name == command.name) {
            return command.run(context, words, rest);
        }
    }
    return error("unknown command '" + name + "' (try 'help')");
}

std::string controlCommandHelp() {
    std::string text;
    for (const ControlCommand& command : kCommands) {
        char line[200];
        std::snprintf(line, sizeof line, "  %-8s %-18s %s\n", command.name, command.arguments,
                      command.help);
        text += line;
    }
    return text;
}

}  // namespace kvt::devsim
