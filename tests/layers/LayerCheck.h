#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "LayerTable.h"

namespace kvt::layers {

struct Violation {
    std::string file;  // relative to the root
    int line = 0;
    std::string include;
    std::string reason;
};

// The layer rule a file falls under: the deepest folder of the table that holds it; nullptr when
// the table does not cover the file.
const LayerRule* ruleFor(const std::vector<LayerRule>& table, std::string_view file);

// Checks one file's text against the table; `file` is its path relative to the root.
std::vector<Violation> checkFile(const std::vector<LayerRule>& table, std::string_view file,
                                 std::string_view text);

// Checks every C++ source and header under src/ and tools/ of `root`.
std::vector<Violation> checkTree(const std::vector<LayerRule>& table,
                                 const std::filesystem::path& root);

std::string describe(const Violation& violation);

}  // namespace kvt::layers
