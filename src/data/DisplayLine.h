#pragma once

#include <string>
#include <string_view>

namespace kvt {

// A stored text as one line of a title or status bar: the text up to its first control
// character. Any file opens, foreign ones too, and a newline from one would make a bar two lines
// high and squeeze the scope.
std::string displayLine(std::string_view text);

}  // namespace kvt
