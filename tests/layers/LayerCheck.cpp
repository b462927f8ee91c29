#include "LayerCheck.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace kvt::layers {
namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool inFolder(std::string_view path, std::string_view folder) {
    return startsWith(path, folder) && path.size() > folder.size() && path[folder.size()] == '/';
}

// The quoted or bracketed name of an #include line, and whether it was quoted; empty when the
// line is no include.
std::pair<std::string, bool> includedName(std::string_view line) {
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] != '#') {
        return {};
    }
    line.remove_prefix(first + 1);
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (!startsWith(line, "include")) {
        return {};
    }
    line.remove_prefix(7);
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (line.empty() || (line[0] != '"' && line[0] != '<')) {
        return {};
    }
    const char close = line[0] == '"' ? '"' : '>';
    const auto end = line.find(close, 1);
    if (end == std::string_view::npos) {
        return {};
    }
    return {std::string(line.substr(1, end - 1)), line[0] == '"'};
}

bool isQtHeader(std::string_view name) {
    return name.size() > 1 && name[0] == 'Q' &&
           (std::isupper(static_cast<unsigned char>(name[1])) || startsWith(name, "Qt"));
}

// Whether the quoted include `name` (a path below src/, or a file beside the includer) is allowed
// by `rule`.
bool allowed(const LayerRule& rule, std::string_view name) {
    if (name.find('/') == std::string_view::npos) {
        return true;  // a header beside the file
    }
    const std::string target = "src/" + std::string(name);
    if (inFolder(target, rule.folder)) {
        // The file's own folder, unless the header sits in a deeper folder of its own rule.
        const auto rest = target.substr(rule.folder.size() + 1);
        if (rest.find('/') == std::string::npos) {
            return true;
        }
    }
    for (const auto entry : rule.mayInclude) {
        if (name == entry) {
            return true;
        }
        // A folder entry covers the headers directly in it, not its sub-folders (scope does not
        // bring in scope/view).
        if (inFolder(name, entry) && name.substr(entry.size() + 1).find('/') == std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

const LayerRule* ruleFor(const std::vector<LayerRule>& table, std::string_view file) {
    const LayerRule* best = nullptr;
    for (const auto& rule : table) {
        if (inFolder(file, rule.folder) &&
            (best == nullptr || rule.folder.size() > best->folder.size())) {
            best = &rule;
        }
    }
    // Only files directly in the rule's folder: a sub-folder without a rule of its own is unknown.
    if (best != nullptr && std::string_view(file).substr(best->folder.size() + 1).find('/') !=
                               std::string_view::npos) {
        return nullptr;
    }
    return best;
}

std::vector<Violation> checkFile(const std::vector<LayerRule>& table, std::string_view file,
                                 std::string_view text) {
    std::vector<Violation> found;
    const LayerRule* rule = ruleFor(table, file);
    if (rule == nullptr) {
        found.push_back({std::string(file), 0, "", "the folder has no row in the layer table"});
        return found;
    }
    std::istringstream lines{std::string(text)};
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const auto [name, quoted] = includedName(line);
        if (name.empty()) {
            continue;
        }
        if (!quoted) {
            if (!rule->qt && isQtHeader(name)) {
                found.push_back(
                    {std::string(file), number, name, std::string(rule->folder) + " is Qt-free"});
            }
            continue;
        }
        if (!allowed(*rule, name)) {
            found.push_back({std::string(file), number, name,
                             std::string(rule->folder) + " may not include it"});
        }
    }
    return found;
}

std::vector<Violation> checkTree(const std::vector<LayerRule>& table,
                                 const std::filesystem::path& root) {
    std::vector<Violation> found;
    std::vector<std::string> files;
    for (const char* top : {"src", "tools"}) {
        const auto base = root / top;
        if (!std::filesystem::exists(base)) {
            continue;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(base)) {
            const auto extension = entry.path().extension();
            if (entry.is_regular_file() && (extension == ".cpp" || extension == ".h")) {
                files.push_back(std::filesystem::relative(entry.path(), root).generic_string());
            }
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::ifstream in(root / file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        auto more = checkFile(table, file, text.str());
        found.insert(found.end(), more.begin(), more.end());
    }
    return found;
}

std::string describe(const Violation& violation) {
    std::string text = violation.file + ":" + std::to_string(violation.line) + ": ";
    if (!violation.include.empty()) {
        text += "#include \"" + violation.include + "\": ";
    }
    return text + violation.reason;
}

}  // namespace kvt::layers
