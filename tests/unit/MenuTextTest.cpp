#include <gtest/gtest.h>

#include <string>

#include "data/BuiltinStrings.h"
#include "data/MenuText.h"

namespace kvt {
namespace {

std::vector<int> itemIds(const MenuEntry& popup) {
    std::vector<int> ids;
    for (const MenuEntry& e : popup.children) {
        ids.push_back(e.kind == MenuEntry::Kind::Separator ? 0 : e.id);
    }
    return ids;
}

TEST(MenuText, FormattingAndParsingGiveTheSameMenu) {
    const MenuParseResult menu = parseMenuText(builtinMenuText());
    ASSERT_TRUE(menu.ok);
    const std::string text = formatMenuText(menu.bar);
    const MenuParseResult again = parseMenuText(text);
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_EQ(again.bar, menu.bar);
    EXPECT_NE(text.find("    MENUITEM 32019 \"&Exit \\tAlt+F4\"\n"), std::string::npos);
}

TEST(MenuText, EscapesCommentsAndWindowsLineEnds) {
    const MenuParseResult menu = parseMenuText(
        "# comment\r\n\r\nPOPUP \"A \\\"quoted\\\" \\\\ text\"\r\n  MENUITEM 7 "
        "\"x\\ny\"\r\nEND\r\n");
    ASSERT_TRUE(menu.ok) << menu.errorLine << ": " << menu.error;
    ASSERT_EQ(menu.bar.size(), 1u);
    EXPECT_EQ(menu.bar[0].text, "A \"quoted\" \\ text");
    EXPECT_EQ(menu.bar[0].children[0].text, "x\ny");
}

TEST(MenuText, ErrorsNameTheirLine) {
    struct Case {
        const char* text;
        int line;
    };
    const Case cases[] = {
        {"MENUITEM 1 \"a\"\nBOGUS\n", 2},
        {"POPUP \"a\"\nMENUITEM 1 \"b\"\n", 2},
        {"MENUITEM 1 \"a\"\nEND\n", 2},
        {"MENUITEM 0 \"a\"\n", 1},
        {"MENUITEM 65536 \"a\"\n", 1},
        {"MENUITEM 12a \"a\"\n", 1},
        {"MENUITEM -3 \"a\"\n", 1},
        {"MENUITEM 3 \"unterminated\n", 1},
        {"MENUITEM 3 \"bad \\q escape\"\n", 1},
        {"MENUITEM 3 \"a\" extra\n", 1},
        {"MENUITEM 3\n", 1},
        {"popup \"lower case\"\nEND\n", 1},
        {"\n# only a comment\n", 2},
        {"", 1},
    };
    for (const Case& c : cases) {
        const MenuParseResult menu = parseMenuText(c.text);
        EXPECT_FALSE(menu.ok) << c.text;
        EXPECT_TRUE(menu.bar.empty()) << c.text;
        EXPECT_FALSE(menu.error.empty()) << c.text;
        EXPECT_EQ(menu.errorLine, c.line) << c.text;
    }
}

TEST(MenuText, NestingIsLimited) {
    std::string deep;
    std::string close;
    for (int i = 0; i < kMaxMenuDepth; ++i) {
        deep += "POPUP \"p\"\n";
        close += "END\n";
    }
    EXPECT_TRUE(parseMenuText(deep + "MENUITEM 1 \"x\"\n" + close).ok);
    const MenuParseResult tooDeep =
        parseMenuText(deep + "POPUP \"p\"\nMENUITEM 1 \"x\"\nEND\n" + close);
    EXPECT_FALSE(tooDeep.ok);
    EXPECT_EQ(tooDeep.errorLine, kMaxMenuDepth + 1);
}

TEST(MenuText, CalibrationItemsCanBeRemovedWhereverTheyAre) {
    MenuParseResult menu = parseMenuText(
        "MENUITEM 32021 \"Cal\"\nPOPUP \"More\"\n MENUITEM 32029 \"Matrix\"\n"
        " MENUITEM 32030 \"Setup\"\n MENUITEM 5 \"Other\"\nEND\n");
    ASSERT_TRUE(menu.ok);
    EXPECT_TRUE(removeMenuItem(menu.bar, 32021));
    EXPECT_TRUE(removeMenuItem(menu.bar, 32029));
    EXPECT_TRUE(removeMenuItem(menu.bar, 32030));
    EXPECT_FALSE(removeMenuItem(menu.bar, 32030));
    ASSERT_EQ(menu.bar.size(), 1u);
    EXPECT_EQ(itemIds(menu.bar[0]), (std::vector<int>{5}));
    EXPECT_EQ(findMenuItem(menu.bar, 32002), nullptr);
}

}  // namespace
}  // namespace kvt
