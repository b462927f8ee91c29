#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvt::cli {

// A JSON value for kvtcli's results: built by the commands, written as one line of JSON with
// --json, or shown as indented text otherwise. Object members keep the order they were set in.
class Json {
  public:
    enum class Kind { Null, Bool, Integer, Number, String, Array, Object };

    Json() = default;
    static Json boolean(bool value);
    static Json integer(std::int64_t value);
    // A double, written with as many digits as it needs to read back the same.
    static Json number(double value);
    // A record's float, written with as few digits as give back the same float (0.1, not
    // 0.100000001).
    static Json real(float value);
    static Json string(std::string value);
    static Json array();
    static Json object();

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::Null; }

    // Object: sets the member (replacing one of the same key). Array: appends.
    Json& set(std::string_view key, Json value);
    Json& push(Json value);
    // What the text form shows instead of the raw value ("NO" for a status of 1).
    Json& withText(std::string text);

    const Json* find(std::string_view key) const;
    const std::vector<std::pair<std::string, Json>>& members() const { return members_; }
    const std::vector<Json>& items() const { return items_; }
    // The scalar as JSON text ("1.5", "\"abc\"", "true").
    std::string scalarText() const;
    // The scalar as a person reads it: the text given by withText, else strings unquoted.
    std::string displayText() const;
    std::int64_t asInteger() const { return integer_; }
    double asNumber() const { return number_; }
    const std::string& asString() const { return text_; }
    bool asBool() const { return integer_ != 0; }

    // Compact JSON on one line.
    std::string dump() const;

  private:
    void dumpTo(std::string& out) const;

    Kind kind_ = Kind::Null;
    std::int64_t integer_ = 0;
    double number_ = 0.0;
    int digits_ = 17;    // significant digits that give the value back
    std::string text_;   // String
    std::string shown_;  // withText
    std::vector<Json> items_;
    std::vector<std::pair<std::string, Json>> members_;
};

// A string as a JSON string literal, quotes included. Bytes that are not well-formed UTF-8 are
// read as Windows-1252, the rule of stored texts, so the output is always valid UTF-8 and JSON.
std::string jsonQuoted(std::string_view text);

// The shortest "%.*g" form of a float (or double) that reads back as the same value; "null"
// for values JSON cannot carry (not finite).
std::string shortestFloatText(float value);
std::string shortestDoubleText(double value);

}  // namespace kvt::cli
