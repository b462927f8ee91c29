#pragma once

#include <string>
#include <string_view>

#include "link/LinkTiming.h"

namespace kvt::cli {

// A testing aid: the environment variable shortens the link's time-outs so that dead-line cases
// end in seconds instead of the controller's 43. Not shown in --help; documented in the guide.
// Its value is a list of key=value pairs separated by blanks or commas, each in milliseconds:
// "reply=300 pause=50 send=200".
inline constexpr const char* kLinkTimingVariable = "KVT_CLI_LINK_TIMING";
inline constexpr int kMaxTimingMs = 600000;

// Applies the text to the timing; false with the reason when it does not parse (an unknown key,
// a value that is not a whole number from 1 to 600000).
bool applyLinkTiming(std::string_view text, LinkTiming& timing, std::string* error);

}  // namespace kvt::cli
