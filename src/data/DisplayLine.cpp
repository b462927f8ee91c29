#include "data/DisplayLine.h"

#include <algorithm>

namespace kvt {

std::string displayLine(std::string_view text) {
    const auto control = std::find_if(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
    return std::string(text.begin(), control);
}

}  // namespace kvt
