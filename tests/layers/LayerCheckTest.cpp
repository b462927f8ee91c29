#include <gtest/gtest.h>

#include "LayerCheck.h"

namespace kvt::layers {
namespace {

std::vector<std::string> reasons(std::string_view file, std::string_view text) {
    std::vector<std::string> out;
    for (const auto& v : checkFile(layerTable(), file, text)) {
        out.push_back(describe(v));
    }
    return out;
}

TEST(LayerCheck, TheSourceTreeKeepsItsLayers) {
    const auto found = checkTree(layerTable(), KVT_SOURCE_DIR);
    for (const auto& v : found) {
        ADD_FAILURE() << describe(v);
    }
    EXPECT_TRUE(found.empty());
}

TEST(LayerCheck, NamesFileAndLineOfAWrongArrow) {
    EXPECT_EQ(reasons("src/data/Records.h", "#pragma once\n\n#include \"scope/ScopeGeometry.h\"\n"),
              std::vector<std::string>{
                  "src/data/Records.h:3: #include \"scope/ScopeGeometry.h\": src/data may not "
                  "include it"});
    EXPECT_EQ(reasons("src/widgets/X.cpp", "#include \"app/MainFrame.h\"\n").size(), 1u);
    EXPECT_EQ(reasons("src/engine/X.cpp", "  #  include \"widgets/ToolDialog.h\"\n").size(), 1u);
    EXPECT_EQ(reasons("src/diag/X.cpp", "#include \"link/LinkState.h\"\n").size(), 1u);
    // A folder entry does not bring in its sub-folders.
    EXPECT_EQ(reasons("src/engine/X.cpp", "#include \"scope/view/ChildView.h\"\n").size(), 1u);
    EXPECT_EQ(reasons("src/scope/X.cpp", "#include \"scope/view/ChildView.h\"\n").size(), 1u);
}

TEST(LayerCheck, QtOnlyOutsideTheCore) {
    EXPECT_EQ(
        reasons("src/link/X.cpp", "#include <QString>\n"),
        std::vector<std::string>{"src/link/X.cpp:1: #include \"QString\": src/link is Qt-free"});
    EXPECT_EQ(reasons("src/cli/X.cpp", "#include <QtCore/QObject>\n").size(), 1u);
    EXPECT_TRUE(reasons("src/widgets/X.cpp", "#include <QWidget>\n").empty());
    EXPECT_TRUE(reasons("src/data/X.cpp", "#include <queue>\n#include <cstdint>\n").empty());
}

TEST(LayerCheck, AllowsTheTableArrowsAndSingleHeaders) {
    EXPECT_TRUE(
        reasons("src/engine/X.cpp", "#include \"link/Frame.h\"\n#include \"data/Records.h\"\n")
            .empty());
    EXPECT_TRUE(reasons("src/cli/X.cpp", "#include \"link/TraceLog.h\"\n").empty());
    EXPECT_EQ(reasons("src/cli/X.cpp", "#include \"link/SerialPort.h\"\n").size(), 1u);
    EXPECT_TRUE(
        reasons("tools/devsim/X.cpp", "#include \"link/Frame.h\"\n#include \"Local.h\"\n").empty());
    EXPECT_TRUE(
        reasons("src/scope/view/X.cpp", "#include \"scope/view/ScopePainter.h\"\n").empty());
    // Commented-out and non-include lines are no arrows.
    EXPECT_TRUE(reasons("src/data/X.cpp", "// #include \"app/x.h\"\nint include;\n").empty());
}

TEST(LayerCheck, AFolderWithoutARowFails) {
    EXPECT_EQ(reasons("src/newfolder/X.cpp", ""),
              std::vector<std::string>{
                  "src/newfolder/X.cpp:0: the folder has no row in the layer table"});
    EXPECT_EQ(reasons("src/data/sub/X.cpp", "").size(), 1u);
}

}  // namespace
}  // namespace kvt::layers
