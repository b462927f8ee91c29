#pragma once

#include <string>

namespace kvt {

// Text by string id. Every user-visible text has an id; the language library, when loaded and
// holding the id, replaces the program's own text.
class Strings {
  public:
    virtual ~Strings() = default;
    // The lookup pattern: the program's own text, replaced by the language library's.
    virtual std::string text(int id) = 0;
    // The program's own text only (a few texts never go through the library).
    virtual std::string builtin(int id) = 0;
    virtual bool libraryLoaded() const = 0;
};

// String ids used across the program.
namespace ids {
inline constexpr int kAppTitle = 32024;
inline constexpr int kUnknown = 31;
inline constexpr int kCommunicationError = 106;
inline constexpr int kBaudrateError = 333;
inline constexpr int kFirmwareTooOld = 348;
// The two cautions of Auto-Adapt, in the window and in kvtcli.
inline constexpr int kAutoAdaptWarning = 380;
inline constexpr int kAutoAdaptQuestion = 381;
}  // namespace ids

}  // namespace kvt
