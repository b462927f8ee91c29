#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

#include "data/LanguageLibraryAbi.h"

namespace kvt {

// A loaded language library: a shared object with the C functions of data/LanguageLibraryAbi.h.
// Owns the library handle; the library is unloaded when the object goes.
class LanguageLibrary {
  public:
    // Menu texts longer than this are not taken over (a library must not make the program read
    // without end).
    static constexpr std::size_t kMaxMenuText = 256 * 1024;

    // Loads the file with dlopen. A name without a directory is taken from the current
    // directory, never from the library search path. Returns null and the reason when the file
    // cannot be loaded or lacks the string function.
    static std::unique_ptr<LanguageLibrary> open(const std::filesystem::path& file,
                                                 std::string* reason = nullptr);

    ~LanguageLibrary();
    LanguageLibrary(const LanguageLibrary&) = delete;
    LanguageLibrary& operator=(const LanguageLibrary&) = delete;

    // The library's text for the id, at most capacity bytes including the terminating zero, which
    // is always written. Returns the length copied, 0 when the library has no text for the id.
    std::size_t loadString(unsigned id, char* buffer, std::size_t capacity) const;

    // The replacement of menu 32024 (plain text form), empty when the library carries none.
    const std::string& menuText() const { return menuText_; }
    bool hasMenu() const { return !menuText_.empty(); }

  private:
    LanguageLibrary(void* handle, kvt_lang_string_fn loadString, std::string menuText);

    void* handle_;
    kvt_lang_string_fn loadString_;
    std::string menuText_;
};

}  // namespace kvt
