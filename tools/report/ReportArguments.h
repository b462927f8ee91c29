#pragma once

#include <string>
#include <vector>

#include "print/PrintObject.h"

namespace kvt::report {

inline constexpr int kExitDone = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitFile = 4;

struct ReportArguments {
    std::string project;
    std::string output;
    PrintObject object = PrintObject::All;
    bool help = false;
    std::string error;  // what is wrong with the command line; empty when it is usable
};

ReportArguments parseReportArguments(const std::vector<std::string>& args);
const char* reportUsage();

}  // namespace kvt::report
