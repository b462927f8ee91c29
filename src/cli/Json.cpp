#include "cli/Json.h"

#include <cmath>

#include "data/Cp1252.h"
#include "data/Format.h"

namespace kvt::cli {
namespace {

// A float needs at most 9 significant digits to come back unchanged, a double 17.
constexpr int kFloatDigits = 9;
constexpr int kDoubleDigits = 17;
// Below this a whole number is written without an exponent.
constexpr double kPlainWholeLimit = 1e15;

template <typename T>
int digitsFor(T value, int most) {
    for (int digits = 1; digits < most; ++digits) {
        if (static_cast<T>(parseDouble(format("%.*g", digits, static_cast<double>(value)))) ==
            value) {
            return digits;
        }
    }
    return most;
}

}  // namespace

Json Json::boolean(bool value) {
    Json j;
    j.kind_ = Kind::Bool;
    j.integer_ = value ? 1 : 0;
    return j;
}

Json Json::integer(std::int64_t value) {
    Json j;
    j.kind_ = Kind::Integer;
    j.integer_ = value;
    return j;
}

Json Json::number(double value) {
    Json j;
    j.kind_ = Kind::Number;
    j.number_ = value;
    j.digits_ = std::isfinite(value) ? digitsFor(value, kDoubleDigits) : kDoubleDigits;
    return j;
}

Json Json::real(float value) {
    Json j;
    j.kind_ = Kind::Number;
    j.number_ = value;
    j.digits_ = std::isfinite(value) ? digitsFor(value, kFloatDigits) : kFloatDigits;
    return j;
}

Json Json::string(std::string value) {
    Json j;
    j.kind_ = Kind::String;
    j.text_ = std::move(value);
    return j;
}

Json Json::array() {
    Json j;
    j.kind_ = Kind::Array;
    return j;
}

Json Json::object() {
    Json j;
    j.kind_ = Kind::Object;
    return j;
}

Json& Json::set(std::string_view key, Json value) {
    for (auto& member : members_) {
        if (member.first == key) {
            member.second = std::move(value);
            return *this;
        }
    }
    members_.emplace_back(std::string(key), std::move(value));
    return *this;
}

Json& Json::push(Json value) {
    items_.push_back(std::move(value));
    return *this;
}

Json& Json::withText(std::string text) {
    shown_ = std::move(text);
    return *this;
}

const Json* Json::find(std::string_view key) const {
    for (const auto& member : members_) {
        if (member.first == key) {
            return &member.second;
        }
    }
    return nullptr;
}

std::string Json::scalarText() const {
    switch (kind_) {
        case Kind::Null:
            return "null";
        case Kind::Bool:
            return integer_ != 0 ? "true" : "false";
        case Kind::Integer:
            return format("%lld", static_cast<long long>(integer_));
        case Kind::Number:
            if (!std::isfinite(number_)) {
                return "null";
            }
            // Whole numbers as people write them: 50, not 5e+01.
            if (number_ == std::trunc(number_) && std::fabs(number_) < kPlainWholeLimit) {
                return format("%.0f", number_);
            }
            return format("%.*g", digits_, number_);
        case Kind::String:
            return jsonQuoted(text_);
        case Kind::Array:
        case Kind::Object:
            return dump();
    }
    return "null";
}

std::string Json::displayText() const {
    if (!shown_.empty()) {
        return shown_;
    }
    if (kind_ == Kind::String) {
        return text_;
    }
    return scalarText();
}

std::string Json::dump() const {
    std::string out;
    dumpTo(out);
    return out;
}

void Json::dumpTo(std::string& out) const {
    if (kind_ == Kind::Array) {
        out += '[';
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (i != 0) {
                out += ',';
            }
            items_[i].dumpTo(out);
        }
        out += ']';
        return;
    }
    if (kind_ == Kind::Object) {
        out += '{';
        for (std::size_t i = 0; i < members_.size(); ++i) {
            if (i != 0) {
                out += ',';
            }
            out += jsonQuoted(members_[i].first);
            out += ':';
            members_[i].second.dumpTo(out);
        }
        out += '}';
        return;
    }
    out += scalarText();
}

std::string jsonQuoted(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            out += format("\\u%04x", c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const std::size_t length = utf8CharacterLength(text, i); length > 1) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        } else {
            // Stray bytes read as stored texts are: the output stays valid UTF-8.
            out += cp1252ToUtf8(text.substr(i, 1));
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string shortestFloatText(float value) {
    return Json::real(value).scalarText();
}

std::string shortestDoubleText(double value) {
    return Json::number(value).scalarText();
}

}  // namespace kvt::cli
