#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "data/BuiltinStrings.h"
#include "data/ParameterLimits.h"
#include "data/ParameterPages.h"

namespace kvt {
namespace {

// The texts the program itself carries; a caption id without one shows nothing without a
// language library.
bool hasBuiltinText(int id) {
    for (const BuiltinString& s : builtinStrings()) {
        if (s.id == id) {
            return s.text[0] != '\0';
        }
    }
    return false;
}

const ParameterField& fieldOf(std::string_view name) {
    const ParameterField* field = findParameterField(name);
    EXPECT_NE(field, nullptr) << name;
    static const ParameterField none{"", 0, FieldType::Int, -1};
    return field != nullptr ? *field : none;
}

TEST(ParameterPages, TabsInTheSheetsOrderWithTheirTemplatesAndCaptions) {
    struct Tab {
        ParameterPage page;
        int templateId;
        int tabString;
        const char* text;
    };
    const Tab expected[] = {
        {ParameterPage::Control, 120, 195, "Control"},
        {ParameterPage::Setpoint, 121, 214, "Setpoint"},
        {ParameterPage::DigitalInput, 116, 265, "Digital Input"},
        {ParameterPage::DisplayKeys, 115, 279, "Display / Keys"},
        {ParameterPage::DigitalOut, 113, 336, "Digital Out"},
        {ParameterPage::Error, 107, 6, "ERROR"},
        {ParameterPage::AnalogIn, 357, 357, "Analog IN"},
        {ParameterPage::AnalogOut, 358, 358, "Analog OUT"},
    };
    const auto tables = parameterPageTables();
    ASSERT_EQ(tables.size(), std::size(expected));
    for (std::size_t i = 0; i < tables.size(); ++i) {
        EXPECT_EQ(tables[i].page, expected[i].page) << i;
        EXPECT_EQ(tables[i].templateId, expected[i].templateId) << i;
        EXPECT_EQ(tables[i].tabString, expected[i].tabString) << i;
        EXPECT_STREQ(tables[i].tabText, expected[i].text) << i;
        EXPECT_EQ(&parameterPageTable(expected[i].page), &tables[i]) << i;
    }
}

// Each edit is parsed by its field's limit row on the same page, as the field's type, with a
// spin inside the parse range; each group offers exactly the limit's codes (hidden radios
// included); and every limited field has exactly one row.
TEST(ParameterPages, RowsMatchTheirFieldsLimits) {
    std::map<std::string_view, int> rows;
    const auto limitOn = [&](const PageTable& page, std::string_view field) {
        ++rows[field];
        EXPECT_GE(fieldOf(field).flag, 0) << field;
        const ParameterLimit* limit = findParameterLimit(field);
        EXPECT_TRUE(limit != nullptr && limit->page == page.page) << field;
        return limit;
    };
    for (const PageTable& page : parameterPageTables()) {
        for (const NumericRow& row : page.numerics) {
            const ParameterLimit* limit = limitOn(page, row.field);
            ASSERT_NE(limit, nullptr);
            const bool isFloat = fieldOf(row.field).type == FieldType::Float;
            EXPECT_EQ(limit->kind, isFloat ? LimitKind::Float : LimitKind::Integer) << row.field;
            EXPECT_EQ(isFloat,
                      row.format == ValueFormat::Fixed1 || row.format == ValueFormat::Fixed2)
                << row.field;
            EXPECT_LT(row.spinLo, row.spinHi) << row.field;
            EXPECT_GE(row.spinLo * row.step, limit->range.lo - 1e-9) << row.field;
            EXPECT_LE(row.spinHi * row.step, limit->range.hi + 1e-9) << row.field;
        }
        for (const ChoiceRow& row : page.choices) {
            const ParameterLimit* limit = limitOn(page, row.field);
            ASSERT_NE(limit, nullptr);
            std::uint32_t codes = 0;
            for (const ChoiceOption& option : row.options) {
                EXPECT_EQ(codes & (1u << option.code), 0u) << row.field << " " << option.code;
                codes |= 1u << option.code;
            }
            EXPECT_EQ(limit->kind, LimitKind::Choice) << row.field;
            EXPECT_EQ(codes, limit->codes) << row.field;
        }
        for (const DeviceValueRow& row : page.deviceValues) {
            EXPECT_EQ(findParameterLimit(row.field), nullptr) << row.field;
            EXPECT_EQ(fieldOf(row.field).flag, -1) << row.field;
        }
    }
    for (const ParameterLimit& limit : parameterLimits()) {
        EXPECT_EQ(rows[limit.field], 1) << limit.field;
    }
}

// Object names are built from the ids, so an id may stand only once on a page; and every
// caption has a text, with or without a language library.
TEST(ParameterPages, ControlIdsAreUniquePerPageAndCaptionsHaveTexts) {
    for (const PageTable& page : parameterPageTables()) {
        std::multiset<int> ids;
        std::set<int> strings;
        const auto add = [&](int id, int string, const char* text) {
            if (id != 0) {
                ids.insert(id);
            }
            EXPECT_TRUE(string != 0 || text[0] != '\0') << "control " << id;
            if (string != 0) {
                strings.insert(string);
            }
        };
        for (const NumericRow& row : page.numerics) {
            add(row.captionControl, row.captionString, row.captionText);
            ids.insert({row.edit, row.spin, row.readOnly});
        }
        for (const ChoiceRow& row : page.choices) {
            add(row.groupControl, row.groupString, row.groupText);
            ids.insert(row.readOnly);
            for (const ChoiceOption& option : row.options) {
                add(option.radio, option.textString, option.text);
                add(0, option.deviceString, option.deviceText);
            }
        }
        for (const DeviceValueRow& row : page.deviceValues) {
            add(row.captionControl, row.captionString, row.captionText);
            ids.insert(row.readOnly);
        }
        for (const CaptionRow& row : page.captions) {
            add(row.control, row.stringId, row.text);
        }
        for (int id : ids) {
            EXPECT_EQ(ids.count(id), 1u) << page.tabText << " control " << id;
        }
        strings.insert(page.tabString);
        for (int id : strings) {
            EXPECT_TRUE(hasBuiltinText(id)) << page.tabText << " string " << id;
        }
    }
}

}  // namespace
}  // namespace kvt
