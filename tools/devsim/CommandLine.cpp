#include "CommandLine.h"

#include <cstdio>
#include <string_view>

#include "ControlCommands.h"
#include "DeviceSettings.h"

namespace kvt::devsim {

namespace {

struct OptionSpec {
    const char* option;
    const char* value;    // nullptr: the option takes no value
    const char* command;  // the control command it stands for
    const char* help;
};

constexpr OptionSpec kOptions[] = {
    {"--baud", "RATE", "baud", "answer only at RATE: 9600, 19200 (default) or 57600"},
    {"--paced", nullptr, "paced on", "send replies and records at the line's byte rate"},
    {"--state", "FILE", "source", "run the control commands in FILE first (see 'save')"},
    {"--drop", "N", "drop", "leave the first N requests unanswered"},
    {"--nak", "N", "nak", "refuse the first N requests with NAK"},
    {"--bad-bcc", "N", "bad-bcc", "send the first N data replies with a wrong checksum"},
    {"--noise", "N", "noise", "send N noise bytes before the first reply"},
    {"--dead", nullptr, "dead", "start with a dead line (until 'normal')"},
};

const OptionSpec* findOption(std::string_view name) {
    for (const OptionSpec& entry : kOptions) {
        if (name == entry.option) {
            return &entry;
        }
    }
    return nullptr;
}

std::string line(const char* name, const char* value, const char* help) {
    char text[240];
    std::snprintf(text, sizeof text, "  %-32s %s\n",
                  (std::string(name) + (value != nullptr ? std::string(" ") + value : "")).c_str(),
                  help);
    return text;
}

}  // namespace

bool parseCommandLine(int argc, const char* const* argv, CommandLine& out, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string inlineValue;
        bool hasInlineValue = false;
        if (const std::size_t equals = arg.find('=');
            arg.rfind("--", 0) == 0 && equals != arg.npos) {
            inlineValue = std::string(arg.substr(equals + 1));
            hasInlineValue = true;
            arg = arg.substr(0, equals);
        }
        auto takeValue = [&](std::string& value) {
            if (hasInlineValue) {
                value = inlineValue;
                return true;
            }
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            value = argv[++i];
            return true;
        };
        std::string value;
        if (arg == "--help" || arg == "-h") {
            out.help = true;
        } else if (arg == "--log") {
            if (!takeValue(out.logPath)) {
                return false;
            }
        } else if (arg == "--link") {
            if (!takeValue(out.linkPath)) {
                return false;
            }
        } else if (const OptionSpec* entry = findOption(arg)) {
            if (entry->value != nullptr && !takeValue(value)) {
                return false;
            }
            out.startupCommands.push_back(entry->value != nullptr
                                              ? std::string(entry->command) + " " + value
                                              : std::string(entry->command));
        } else if (const DeviceSetting* setting =
                       arg.rfind("--", 0) == 0 ? findDeviceSetting(arg.substr(2)) : nullptr) {
            if (!takeValue(value)) {
                return false;
            }
            out.startupCommands.push_back(std::string("set ") + setting->key + " " + value);
        } else {
            error = "unknown option '" + std::string(arg) + "' (see --help)";
            return false;
        }
    }
    return true;
}

std::string usageText() {
    std::string text =
        "Usage: kvt-devsim [OPTION]...\n"
        "An emulated valve controller behind a pseudo-terminal, for demos, training and tests.\n"
        "It prints the terminal's path as its first line ('kvt-devsim: /dev/pts/N'); open that\n"
        "path as the serial port. It answers one reply per request, like a controller, and only\n"
        "at its own baud rate as set on the terminal. Control commands are read from stdin, one\n"
        "per line; each is answered with one line 'ok ...' or 'error: ...'.\n"
        "\n"
        "Options:\n";
    text += line("--log", "FILE", "log every request, reply and event to FILE");
    text += line("--link", "PATH", "keep a symbolic link PATH to the terminal");
    for (const OptionSpec& entry : kOptions) {
        text += line(entry.option, entry.value, entry.help);
    }
    text += line("--help", nullptr, "this text");
    text += "\nDevice facts (option --KEY VALUE, or control command 'set KEY VALUE'):\n";
    for (const DeviceSetting& setting : deviceSettings()) {
        text += line((std::string("--") + setting.key).c_str(), setting.valueHelp, setting.help);
    }
    text += "\nControl commands:\n";
    text += controlCommandHelp();
    text +=
        "\n"
        "Behaviour:\n"
        "  A write stores its byte; the read code (write code + 1) returns it unchanged.\n"
        "  ARS selects a row of the matrix memory (26 rows at 0, 10 .. 250), WAS writes ten\n"
        "  values there, WAR reads them. A request with a wrong BCC is refused: NAK, padded\n"
        "  with 00 to the reply's length where a data reply is due. Unknown requests, and AXR\n"
        "  and AX2R below firmware 7, get no answer.\n"
        "  TCS (0x51) answers ACK while a PWM setpoint (0x7E) is active and switches it off;\n"
        "  otherwise it stops a calibration and answers the calibration status byte.\n"
        "  SAS streams a 6-byte record every 4 ms for the ATS acquisition time, TAS one at the\n"
        "  PRS period until PAS; PAS stops either. Record k:\n"
        "  STX, k mod 256, a sine (period 250), a slow sine 28..228 (period 1000), a triangle\n"
        "  28..228 (period 2000), and (k / 50) mod 256 as the binary byte.\n"
        "  The device answers only while the terminal runs at its own rate; at another rate it\n"
        "  ignores what arrives and its stream records are lost, as on a real line.\n"
        "See docs/devsim.md for the full guide.\n";
    return text;
}

}  // namespace kvt::devsim
