#pragma once

#include <string>

namespace kvt {

// A message box as the engine and the windows ask for it; the desktop program shows it, kvtcli
// prints it, tests answer it.
enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class BoxIcon { None, Exclamation, Question, Stop, Information };
enum class BoxResult { Ok, Cancel, Yes, No };

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    BoxButtons buttons = BoxButtons::Ok;
    BoxIcon icon = BoxIcon::None;
    bool owned = false;  // owned by the main frame rather than by nobody
    BoxResult defaultButton = BoxResult::Ok;
    // A second line under the text, for what the program found out about the cause.
    std::string informative = {};
};

}  // namespace kvt
