#pragma once

#include <cctype>
#include <string_view>

namespace kvt::fuzz {

// A strict reader of JSON syntax (RFC 8259), just enough to tell whether a text is one value.
class JsonSyntax {
  public:
    explicit JsonSyntax(std::string_view text) : text_(text) {}

    bool wholeValue() {
        skipSpace();
        if (!value(0)) {
            return false;
        }
        skipSpace();
        return at_ == text_.size();
    }

  private:
    static constexpr int kMaxDepth = 64;

    bool value(int depth) {
        if (depth > kMaxDepth || at_ >= text_.size()) {
            return false;
        }
        switch (text_[at_]) {
            case '{':
                return container(depth, '}', true);
            case '[':
                return container(depth, ']', false);
            case '"':
                return string();
            case 't':
                return word("true");
            case 'f':
                return word("false");
            case 'n':
                return word("null");
            default:
                return number();
        }
    }

    bool container(int depth, char close, bool object) {
        ++at_;
        skipSpace();
        if (peek() == close) {
            ++at_;
            return true;
        }
        for (;;) {
            if (object) {
                skipSpace();
                if (peek() != '"' || !string()) {
                    return false;
                }
                skipSpace();
                if (peek() != ':') {
                    return false;
                }
                ++at_;
            }
            skipSpace();
            if (!value(depth + 1)) {
                return false;
            }
            skipSpace();
            if (peek() == ',') {
                ++at_;
                continue;
            }
            if (peek() != close) {
                return false;
            }
            ++at_;
            return true;
        }
    }

    bool string() {
        ++at_;
        while (at_ < text_.size()) {
            const auto c = static_cast<unsigned char>(text_[at_++]);
            if (c == '"') {
                return true;
            }
            if (c < 0x20) {
                return false;
            }
            if (c == '\\') {
                const char e = peek();
                ++at_;
                if (e == 'u') {
                    for (int k = 0; k < 4; ++k, ++at_) {
                        if (!std::isxdigit(static_cast<unsigned char>(peek()))) {
                            return false;
                        }
                    }
                } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos ||
                           e == '\0') {
                    return false;
                }
            }
        }
        return false;
    }

    bool number() {
        const std::size_t start = at_;
        if (peek() == '-') {
            ++at_;
        }
        if (peek() == '0') {
            ++at_;
        } else if (!digits()) {
            return false;
        }
        if (peek() == '.') {
            ++at_;
            if (!digits()) {
                return false;
            }
        }
        if (peek() == 'e' || peek() == 'E') {
            ++at_;
            if (peek() == '+' || peek() == '-') {
                ++at_;
            }
            if (!digits()) {
                return false;
            }
        }
        return at_ > start;
    }

    bool digits() {
        const std::size_t start = at_;
        while (std::isdigit(static_cast<unsigned char>(peek()))) {
            ++at_;
        }
        return at_ > start;
    }

    bool word(std::string_view w) {
        if (text_.substr(at_, w.size()) != w) {
            return false;
        }
        at_ += w.size();
        return true;
    }

    void skipSpace() {
        while (at_ < text_.size() &&
               std::string_view(" \t\r\n").find(text_[at_]) != std::string_view::npos) {
            ++at_;
        }
    }

    char peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }

    std::string_view text_;
    std::size_t at_ = 0;
};

inline bool isValidJson(std::string_view text) {
    return JsonSyntax(text).wholeValue();
}

}  // namespace kvt::fuzz
