// kvtcli's results: the JSON text scripts read and the text form people read.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "cli/Json.h"
#include "cli/TextRender.h"

namespace kvt::cli {
namespace {

TEST(CliJson, WritesNestedObjectsInTheOrderSet) {
    Json inner = Json::object();
    inner.set("serialNumber", Json::integer(12345)).set("partNumber", Json::string("A-1"));
    Json list = Json::array();
    list.push(Json::integer(1)).push(Json::boolean(false)).push(Json());
    Json root = Json::object();
    root.set("deviceInfo", std::move(inner)).set("list", std::move(list));
    EXPECT_EQ(root.dump(),
              "{\"deviceInfo\":{\"serialNumber\":12345,\"partNumber\":\"A-1\"},"
              "\"list\":[1,false,null]}");
}

TEST(CliJson, SettingAKeyAgainReplacesItInPlace) {
    Json root = Json::object();
    root.set("a", Json::integer(1)).set("b", Json::integer(2)).set("a", Json::integer(3));
    EXPECT_EQ(root.dump(), "{\"a\":3,\"b\":2}");
    ASSERT_NE(root.find("b"), nullptr);
    EXPECT_EQ(root.find("b")->asInteger(), 2);
    EXPECT_EQ(root.find("c"), nullptr);
}

TEST(CliJson, FloatsOfTheRecordsKeepOnlyTheirDigits) {
    EXPECT_EQ(Json::real(0.1f).scalarText(), "0.1");
    EXPECT_EQ(Json::real(2.3f).scalarText(), "2.3");
    EXPECT_EQ(Json::real(0.15f).scalarText(), "0.15");
    EXPECT_EQ(Json::real(-50.0f).scalarText(), "-50");
    EXPECT_EQ(Json::real(0.004f).scalarText(), "0.004");
    EXPECT_EQ(Json::real(1.0f / 3.0f).scalarText(), "0.33333334");
    EXPECT_EQ(Json::real(1000.0f).scalarText(), "1000");
    EXPECT_EQ(Json::number(5000.0).scalarText(), "5000");
    EXPECT_EQ(Json::real(1e-7f).scalarText(), "1e-07");
    // Every text reads back as the same float.
    for (float f : {0.1f, 6.4f, 99.5f, 1e-7f, 3.4e38f, 123456.789f}) {
        EXPECT_EQ(std::strtof(Json::real(f).scalarText().c_str(), nullptr), f);
    }
    EXPECT_EQ(Json::number(0.1).scalarText(), "0.1");
    EXPECT_EQ(Json::integer(-2147483648LL).scalarText(), "-2147483648");
    // Values JSON cannot carry become null.
    EXPECT_EQ(Json::real(std::numeric_limits<float>::quiet_NaN()).scalarText(), "null");
    EXPECT_EQ(Json::real(std::numeric_limits<float>::infinity()).scalarText(), "null");
    EXPECT_EQ(Json::number(-std::numeric_limits<double>::infinity()).scalarText(), "null");
}

TEST(CliJson, StringsAreEscaped) {
    EXPECT_EQ(jsonQuoted("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(jsonQuoted("line\nnext\r\t"), "\"line\\nnext\\r\\t\"");
    EXPECT_EQ(jsonQuoted(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\\u007f\"");
    EXPECT_EQ(jsonQuoted(std::string("nul\0", 4)), "\"nul\\u0000\"");
}

TEST(CliTextRender, ShowsMembersNestedAndListsOnOneLine) {
    Json status = Json::object();
    status.set("overvoltage", Json::integer(1).withText("NO")).set("ledGreen", Json::integer(3));
    Json digits = Json::array();
    digits.push(Json::integer(7)).push(Json::integer(5));
    Json root = Json::object();
    root.set("status", std::move(status))
        .set("digits", std::move(digits))
        .set("name", Json::string("UNKNOWN"))
        .set("empty", Json::array());
    EXPECT_EQ(renderText(root),
              "status:\n"
              "  overvoltage: NO\n"
              "  ledGreen: 3\n"
              "digits: 7 5\n"
              "name: UNKNOWN\n"
              "empty: (none)\n");
}

TEST(CliTextRender, ListsOfObjectsAndRowsTakeALineEach) {
    Json difference = Json::object();
    difference.set("field", Json::string("PROPORTIONAL_GAIN"))
        .set("project", Json::real(2.3f))
        .set("device", Json::real(1.0f));
    Json differences = Json::array();
    differences.push(std::move(difference));
    Json row = Json::array();
    row.push(Json::integer(40)).push(Json::integer(41));
    Json rows = Json::array();
    rows.push(row).push(row);
    Json matrix = Json::array();
    matrix.push(std::move(rows));
    Json root = Json::object();
    root.set("differences", std::move(differences)).set("matrix", std::move(matrix));
    EXPECT_EQ(renderText(root),
              "differences:\n"
              "  field: PROPORTIONAL_GAIN, project: 2.3, device: 1\n"
              "matrix:\n"
              "  [40 41] [40 41]\n");
}

}  // namespace
}  // namespace kvt::cli
