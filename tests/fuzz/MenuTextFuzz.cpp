// Menu texts as a language library may carry them: parse, and a parsed menu formats to a text
// that parses to the same menu.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "data/MenuText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kvt;
    const MenuParseResult menu =
        parseMenuText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!menu.ok) {
        fuzz::require(menu.bar.empty() && menu.errorLine > 0, "errors name a line");
        return 0;
    }
    const MenuParseResult again = parseMenuText(formatMenuText(menu.bar));
    fuzz::require(again.ok && again.bar == menu.bar, "format and parse agree");
    return 0;
}
