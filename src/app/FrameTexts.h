#pragma once

#include <string>

#include "data/Records.h"
#include "data/Strings.h"

namespace kvt {

// The window title: application title, " TESTMODE " in test mode, then " - ", " [ ", the
// project's full path and " *]" or " ]" by the modified flag.
std::string frameTitle(Strings& strings, const ProjectInfo& info, bool testMode, bool modified);

// The four status bar panes, refreshed every second.
struct StatusTexts {
    std::string project;    // project bar, pane 0
    std::string setpoint;   // project bar, pane 1
    std::string file;       // file bar, pane 0
    std::string parameter;  // file bar, pane 1
};
StatusTexts statusTexts(Strings& strings, const Records& records);

}  // namespace kvt
