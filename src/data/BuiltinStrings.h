#pragma once

#include <span>

namespace kvt {

// One text of the program's own string table.
struct BuiltinString {
    int id;
    const char* text;
};

// The program's own texts, ids ascending, and its menu 32024 in the plain text form of
// data/MenuText.h. Both are generated at build time from res/strings.txt and res/menu.txt.
std::span<const BuiltinString> builtinStrings();
const char* builtinMenuText();

}  // namespace kvt
