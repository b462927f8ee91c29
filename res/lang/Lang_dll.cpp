// The sample language library: German texts for part of the program's string ids and a German
// menu. The build turns strings.txt and menu.txt of this folder into LangTables.inc and makes
// Lang_dll.DLL from this file. Ids without a text here fall back to the program's own texts.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "data/LanguageLibraryAbi.h"

namespace {

struct LanguageString {
    unsigned id;
    const char* text;
};

#include "LangTables.inc"  // kStrings (ids ascending) and kMenu

}  // namespace

extern "C" KVT_LANG_EXPORT int kvt_lang_string(unsigned id, char* buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) {
        return 0;
    }
    const auto* end = std::end(kStrings);
    const auto* it = std::lower_bound(std::begin(kStrings), end, id,
                                      [](const LanguageString& s, unsigned v) { return s.id < v; });
    if (it == end || it->id != id) {
        buffer[0] = '\0';
        return 0;
    }
    const std::size_t length =
        std::min(std::strlen(it->text), static_cast<std::size_t>(capacity - 1));
    std::memcpy(buffer, it->text, length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

extern "C" KVT_LANG_EXPORT const char* kvt_lang_menu(void) {
    return kMenu;
}
