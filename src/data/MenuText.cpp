#include "data/MenuText.h"

#include <algorithm>
#include <charconv>

namespace kvt {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// Reads the lines of a menu text one by one and takes them apart into words.
class MenuLexer {
  public:
    explicit MenuLexer(std::string_view text) : text_(text) {}

    // Next line with content; false at the end.
    bool nextLine() {
        while (pos_ < text_.size()) {
            const std::size_t newline = text_.find('\n', pos_);
            const std::size_t end = newline == std::string_view::npos ? text_.size() : newline;
            line_ = text_.substr(pos_, end - pos_);
            pos_ = end + 1;
            ++number_;
            cursor_ = 0;
            skipBlanks();
            if (cursor_ < line_.size() && line_[cursor_] != '#') {
                return true;
            }
        }
        return false;
    }

    int lineNumber() const { return number_; }
    bool atEnd() {
        skipBlanks();
        return cursor_ >= line_.size();
    }

    std::string_view word() {
        skipBlanks();
        const std::size_t start = cursor_;
        while (cursor_ < line_.size() && !isBlank(line_[cursor_]) && line_[cursor_] != '"') {
            ++cursor_;
        }
        return line_.substr(start, cursor_ - start);
    }

    bool quoted(std::string& out, std::string& error) {
        skipBlanks();
        if (cursor_ >= line_.size() || line_[cursor_] != '"') {
            error = "expected a quoted text";
            return false;
        }
        ++cursor_;
        out.clear();
        while (cursor_ < line_.size()) {
            const char c = line_[cursor_++];
            if (c == '"') {
                return true;
            }
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (cursor_ >= line_.size()) {
                break;
            }
            switch (line_[cursor_++]) {
                case 'n':
                    out.push_back('\n');
                    break;
                case 't':
                    out.push_back('\t');
                    break;
                case '"':
                    out.push_back('"');
                    break;
                case '\\':
                    out.push_back('\\');
                    break;
                default:
                    error = "unknown escape in a text";
                    return false;
            }
        }
        error = "text without its closing quote";
        return false;
    }

  private:
    void skipBlanks() {
        while (cursor_ < line_.size() && isBlank(line_[cursor_])) {
            ++cursor_;
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string_view line_;
    std::size_t cursor_ = 0;
    int number_ = 0;
};

bool parseId(std::string_view word, int& id) {
    const auto* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, id);
    return ec == std::errc() && ptr == end && id >= 1 && id <= 65535;
}

void appendQuoted(std::string& out, const std::string& text) {
    out.push_back('"');
    for (char c : text) {
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out.push_back(c);
        }
    }
    out.push_back('"');
}

void appendEntries(std::string& out, std::span<const MenuEntry> entries, int depth) {
    const std::string indent(static_cast<std::size_t>(depth) * 4, ' ');
    for (const MenuEntry& e : entries) {
        out += indent;
        switch (e.kind) {
            case MenuEntry::Kind::Separator:
                out += "MENUITEM SEPARATOR\n";
                break;
            case MenuEntry::Kind::Item:
                out += "MENUITEM " + std::to_string(e.id) + " ";
                appendQuoted(out, e.text);
                out += "\n";
                break;
            case MenuEntry::Kind::Popup:
                out += "POPUP ";
                appendQuoted(out, e.text);
                out += "\n";
                appendEntries(out, e.children, depth + 1);
                out += indent + "END\n";
                break;
        }
    }
}

const MenuEntry* find(std::span<const MenuEntry> entries, int id) {
    for (const MenuEntry& e : entries) {
        if (e.kind == MenuEntry::Kind::Item && e.id == id) {
            return &e;
        }
        if (e.kind == MenuEntry::Kind::Popup) {
            if (const MenuEntry* inner = find(e.children, id)) {
                return inner;
            }
        }
    }
    return nullptr;
}

}  // namespace

MenuParseResult parseMenuText(std::string_view text) {
    MenuParseResult result;
    MenuLexer lexer(text);
    std::vector<MenuEntry> pending;  // popups opened and not yet closed, outermost first
    pending.reserve(kMaxMenuDepth);

    auto fail = [&](std::string message) {
        result.ok = false;
        result.bar.clear();
        result.errorLine = std::max(1, lexer.lineNumber());
        result.error = std::move(message);
        return result;
    };

    while (lexer.nextLine()) {
        std::string error;
        const std::string_view keyword = lexer.word();
        if (keyword == "POPUP") {
            if (static_cast<int>(pending.size()) >= kMaxMenuDepth) {
                return fail("popups nested too deeply");
            }
            MenuEntry popup;
            popup.kind = MenuEntry::Kind::Popup;
            if (!lexer.quoted(popup.text, error)) {
                return fail(error);
            }
            pending.push_back(std::move(popup));
        } else if (keyword == "END") {
            if (pending.empty()) {
                return fail("END without its POPUP");
            }
            MenuEntry popup = std::move(pending.back());
            pending.pop_back();
            (pending.empty() ? result.bar : pending.back().children).push_back(std::move(popup));
        } else if (keyword == "MENUITEM") {
            MenuEntry item;
            const std::string_view what = lexer.word();
            if (what == "SEPARATOR") {
                item.kind = MenuEntry::Kind::Separator;
            } else if (!parseId(what, item.id)) {
                return fail("expected a command id 1..65535 or SEPARATOR");
            } else if (!lexer.quoted(item.text, error)) {
                return fail(error);
            }
            (pending.empty() ? result.bar : pending.back().children).push_back(std::move(item));
        } else {
            return fail("expected POPUP, MENUITEM or END");
        }
        if (!lexer.atEnd()) {
            return fail("unexpected text at the end of the line");
        }
    }
    if (!pending.empty()) {
        return fail("POPUP without its END");
    }
    if (result.bar.empty()) {
        return fail("the menu is empty");
    }
    result.ok = true;
    return result;
}

std::string formatMenuText(std::span<const MenuEntry> bar) {
    std::string out;
    appendEntries(out, bar, 0);
    return out;
}

const MenuEntry* findMenuItem(std::span<const MenuEntry> bar, int id) {
    return find(bar, id);
}

bool removeMenuItem(std::vector<MenuEntry>& bar, int id) {
    bool found = false;
    for (auto it = bar.begin(); it != bar.end();) {
        if (it->kind == MenuEntry::Kind::Item && it->id == id) {
            it = bar.erase(it);
            found = true;
            continue;
        }
        if (it->kind == MenuEntry::Kind::Popup) {
            found = removeMenuItem(it->children, id) || found;
        }
        ++it;
    }
    return found;
}

}  // namespace kvt
