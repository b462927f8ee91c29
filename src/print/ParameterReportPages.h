#pragma once

#include <string>
#include <vector>

#include "data/Strings.h"

class QPainter;

namespace kvt {

class ReportLayout;
struct ReportSource;
struct ParameterSets;

// One printed line of a parameter page: a group heading (no values) or a parameter with the
// value to be written (the current set) and the value read from the controller.
struct ParameterLine {
    bool heading = false;
    std::string label;
    std::string write;
    std::string read;
};

// The lines of parameter page 0, 1 or 2. The pages follow the tabs of the Parameters dialog,
// one group per tab; the autosafe fields, which have no tab, close the last page.
std::vector<ParameterLine> parameterPageLines(const ParameterSets& sets, Strings& strings,
                                              int pageIndex);

void paintParameterPage(QPainter& painter, const ReportLayout& layout, const ReportSource& source,
                        int pageIndex);

}  // namespace kvt
