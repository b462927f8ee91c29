#include "cli/TextRender.h"

#include <algorithm>

#include "data/Cp1252.h"

namespace kvt::cli {
namespace {

constexpr int kIndentStep = 2;
constexpr const char* kEmptyList = "(none)";

bool isScalar(const Json& value) {
    return value.kind() != Json::Kind::Array && value.kind() != Json::Kind::Object;
}

// A list or an object written on one line.
std::string inlineText(const Json& value) {
    if (value.kind() == Json::Kind::Array) {
        std::string line;
        for (const Json& item : value.items()) {
            if (!line.empty()) {
                line += ' ';
            }
            line += isScalar(item) ? item.displayText() : "[" + inlineText(item) + "]";
        }
        return line.empty() ? kEmptyList : line;
    }
    if (value.kind() == Json::Kind::Object) {
        std::string line;
        for (const auto& [key, member] : value.members()) {
            if (!line.empty()) {
                line += ", ";
            }
            line += key + ": " + (isScalar(member) ? member.displayText() : inlineText(member));
        }
        return line;
    }
    return value.displayText();
}

void renderMembers(const Json& object, int indent, std::string& out);

void renderMember(const std::string& key, const Json& value, int indent, std::string& out) {
    const std::string pad(static_cast<std::size_t>(indent), ' ');
    if (value.kind() == Json::Kind::Object) {
        out += pad + key + ":\n";
        renderMembers(value, indent + kIndentStep, out);
        return;
    }
    if (value.kind() == Json::Kind::Array) {
        const auto& items = value.items();
        if (std::all_of(items.begin(), items.end(), isScalar)) {
            out += pad + key + ": " + inlineText(value) + "\n";
            return;
        }
        out += pad + key + ":\n";
        const std::string itemPad(static_cast<std::size_t>(indent + kIndentStep), ' ');
        for (const Json& item : items) {
            out += itemPad + inlineText(item) + "\n";
        }
        return;
    }
    out += pad + key + ": " + value.displayText() + "\n";
}

void renderMembers(const Json& object, int indent, std::string& out) {
    for (const auto& [key, value] : object.members()) {
        renderMember(key, value, indent, out);
    }
}

}  // namespace

std::string renderText(const Json& result) {
    std::string out;
    if (result.kind() == Json::Kind::Object) {
        renderMembers(result, 0, out);
    } else {
        out = inlineText(result) + "\n";
    }
    // Texts that came from the controller or a file may hold any bytes; a terminal gets UTF-8.
    return asValidUtf8(out);
}

}  // namespace kvt::cli
