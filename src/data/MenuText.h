#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvt {

// Menu 32024 as plain text, the form in which the program keeps its own menu (res/menu.txt) and
// in which a language library may replace it:
//
//   POPUP "&Project"              a popup; the lines up to its END are its entries
//       MENUITEM 32004 "&New..."  a command with its id
//       MENUITEM SEPARATOR        a separator line
//   END
//
// Texts are quoted with the escapes \n \t \" \\ ("&" marks the access key, "\t" separates the
// key name). Blank lines and lines starting with '#' are ignored; keywords are upper case.
struct MenuEntry {
    enum class Kind { Item, Separator, Popup };

    Kind kind = Kind::Item;
    int id = 0;                       // items: command id 1..65535
    std::string text;                 // items and popups
    std::vector<MenuEntry> children;  // popups

    friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

struct MenuParseResult {
    bool ok = false;
    std::vector<MenuEntry> bar;  // the entries of the menu bar, in order
    int errorLine = 0;           // 1-based line of the first error
    std::string error;
};

// Popups nest at most this deep; deeper text is refused rather than followed.
inline constexpr int kMaxMenuDepth = 8;

MenuParseResult parseMenuText(std::string_view text);
// The text form of a menu; parseMenuText(formatMenuText(bar)).bar == bar.
std::string formatMenuText(std::span<const MenuEntry> bar);

// The command with the id anywhere in the menu, or null.
const MenuEntry* findMenuItem(std::span<const MenuEntry> bar, int id);
// Removes every command with the id (the calibration items without "-CAL"); true if one was found.
bool removeMenuItem(std::vector<MenuEntry>& bar, int id);

}  // namespace kvt
