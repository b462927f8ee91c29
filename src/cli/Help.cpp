#include "cli/Help.h"

namespace kvt::cli {
namespace {

constexpr const char* kUsage =
    "Usage: kvtcli [--port PATH | --simulate] [--workdir DIR] [--log] [--json] COMMAND [ARGS]\n";

constexpr const char* kIntro =
    "kvtcli runs the service tool's device actions without a window: the same engine and link\n"
    "threads, the same files (KVT_com.ini, KVT_para.ini, project files, debug.txt).\n";

constexpr const char* kOptions =
    "Options:\n"
    "  --port PATH      serial device to use (otherwise the port chosen in KVT_com.ini)\n"
    "  --simulate       the built-in simulated device (the program's \"-TESTSIO\"). The baud-rate\n"
    "                   test still opens a port, so kvtcli opens a pseudo-terminal pair of its\n"
    "                   own for the run and points the port at it; no serial device is needed\n"
    "  --workdir DIR    working directory for KVT_para.ini, KVT_com.ini, debug.txt (default:\n"
    "                   current)\n"
    "  --log            write debug.txt, as \"-LOG\" does\n"
    "  --json           print the result as one JSON object on stdout\n"
    "  --help           this text; COMMAND --help shows one command\n";

constexpr const char* kNotes =
    "Exit codes:\n"
    "  0 done   1 usage error   2 communication error (the action ended \"stopped \")\n"
    "  3 no baud rate answered   4 file error (cannot read or write)\n"
    "  5 the controller holds other values than sent or stored (write-params, diff,\n"
    "    param-set, test-function)   130 interrupted before the action was done\n"
    "\n"
    "Commands that talk to the controller read and rewrite KVT_com.ini and KVT_para.ini in the\n"
    "working directory, as the window does at start-up. Ctrl+C stops cleanly: a recording gets\n"
    "its orderly stop and keeps the samples so far; any other action is abandoned. A dead line\n"
    "ends an action after four time-outs and three pauses (about 43 s).\n";

void appendCommand(std::string& text, const Command& c) {
    text += "  ";
    for (char ch : c.usage) {
        text += ch;
        if (ch == '\n') {
            text += "  ";
        }
    }
    text += "\n      ";
    for (char ch : c.description) {
        text += ch;
        if (ch == '\n') {
            text += "      ";
        }
    }
    text += "\n";
}

}  // namespace

std::string programHelp() {
    std::string text = kUsage;
    text += "\n";
    text += kIntro;
    text += "\n";
    text += kOptions;
    text += "\nCommands:\n";
    for (const Command& c : commands()) {
        appendCommand(text, c);
    }
    text += "\n";
    text += kNotes;
    return text;
}

std::string commandHelp(const Command& command) {
    const std::string head = "Usage: kvtcli [options] ";
    std::string text = head;
    for (char ch : command.usage) {
        text += ch;
        if (ch == '\n') {
            text += std::string(head.size(), ' ');
        }
    }
    text += "\n\n";
    text += command.description;
    text += "\n\n";
    text += kOptions;
    return text;
}

}  // namespace kvt::cli
