#include "data/Format.h"

#include <locale.h>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace kvt {
namespace {

locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// Switches the calling thread to the C locale for the lifetime of the object.
class LocaleScope {
  public:
    LocaleScope() : previous_(uselocale(cLocale())) {}
    ~LocaleScope() { uselocale(previous_); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

  private:
    locale_t previous_;
};

}  // namespace

std::string format(const char* fmt, ...) {
    LocaleScope scope;
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out;
    if (needed > 0) {
        out.resize(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(out.data(), out.size(), fmt, args);
        out.resize(static_cast<std::size_t>(needed));
    }
    va_end(args);
    return out;
}

double parseDouble(const std::string& text) {
    LocaleScope scope;
    return std::strtod(text.c_str(), nullptr);
}

long parseLong(const std::string& text) {
    LocaleScope scope;
    return std::strtol(text.c_str(), nullptr, 10);
}

}  // namespace kvt
