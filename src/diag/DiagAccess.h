#pragma once

#include <cstdint>
#include <functional>

#include "widgets/ToolDialog.h"

namespace kvt {

// What a diagnosis dialog needs of the engine: its command word, to know whether an action runs,
// and a way to post one. The main frame hands both in; tests give their own.
struct DiagAccess {
    CommandWordSource commandWord;
    std::function<void(std::uint32_t bits)> post;
};

}  // namespace kvt
