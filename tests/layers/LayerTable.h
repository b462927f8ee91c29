#pragma once

#include <string_view>
#include <vector>

namespace kvt::layers {

// Which folder may include what: the one table of the layering, shown in docs/architecture.md and
// mirrored by the libraries of CMakeLists.txt. An entry is a folder under src/ ("engine") or one
// header of a folder ("link/TraceLog.h"). A folder may always include its own headers.
struct LayerRule {
    std::string_view folder;  // relative to the repository root
    std::vector<std::string_view> mayInclude;
    bool qt;  // may include Qt headers
};

inline const std::vector<LayerRule>& layerTable() {
    static const std::vector<LayerRule> table = {
        {"src/data", {}, false},
        {"src/link", {"data"}, false},
        {"src/scope", {"data"}, false},
        {"src/engine", {"link", "scope", "data"}, false},
        {"src/widgets", {"data"}, true},
        {"src/app",
         {"engine", "scope", "data", "widgets", "scope/view", "paramui", "calib", "diag", "print",
          "link/TraceLog.h"},
         true},
        {"src/scope/view", {"engine", "scope", "data", "widgets"}, true},
        {"src/paramui", {"engine", "scope", "data", "widgets"}, true},
        {"src/calib", {"engine", "scope", "data", "widgets"}, true},
        {"src/diag", {"engine", "scope", "data", "widgets"}, true},
        {"src/print", {"engine", "scope", "data", "widgets", "paramui", "scope/view"}, true},
        {"src/cli", {"engine", "scope", "data", "link/TraceLog.h", "link/LinkTiming.h"}, false},
        {"tools/devsim", {"link/Frame.h", "data"}, false},
        {"tools/report", {"print", "scope", "data", "widgets"}, true},
    };
    return table;
}

}  // namespace kvt::layers
