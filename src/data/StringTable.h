#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "data/LanguageLibrary.h"
#include "data/Strings.h"

namespace kvt {

// The program's texts by string id: the built-in table generated from res/strings.txt, replaced
// by the language library Lang_dll.DLL when one is loaded. Safe to use from every thread.
class StringTable final : public Strings {
  public:
    // Shows a message box (text, caption) with an OK button. The program supplies it; the data
    // layer shows no boxes itself. It may be called from whichever thread looks a text up.
    using MessageBox = std::function<void(const std::string& text, const std::string& caption)>;

    // Buffer of the lookup pattern, in characters including the terminating zero.
    static constexpr std::size_t kLookupCapacity = 349;
    static constexpr const char* kLibraryMissingFormat = "LANGUAGE DLL missing '%s' !";
    static constexpr const char* kStringMissingFormat = " IDS %u not found ";
    static constexpr const char* kStringMissingCaption = " Lang Dll ";

    StringTable();
    ~StringTable() override;

    // Start-up: loads Lang_dll.DLL from the working directory. When it cannot be loaded, returns
    // false and the text of the box the program then shows once ("LANGUAGE DLL missing '%s' !"
    // with the library's path); the program runs on with its own texts and menu.
    bool loadLanguageLibrary(const std::string& workingDirectory, std::string* failureText);
    // Why the last load failed (the loader's own words, for the trace), empty after a success.
    const std::string& libraryLoadError() const { return loadError_; }
    // Takes over an already opened library (tests, tools).
    void attachLanguageLibrary(std::unique_ptr<LanguageLibrary> library);
    // Exit: frees the library. Load and unload while no other thread looks texts up.
    void unloadLanguageLibrary();

    // The box for a string the loaded library lacks (" IDS %u not found " / " Lang Dll "). It is
    // shown once per id: the status bar looks texts up every second, and a box each time would
    // stack boxes without end.
    void setMessageBox(MessageBox box);

    // Strings
    std::string text(int id) override;
    std::string builtin(int id) override;
    bool libraryLoaded() const override;

    // LookupString: the library's text for the id into the buffer (at most capacity characters
    // including the zero); returns the count, or 0 and the missing-string box (first time per
    // id) when the library has none. Returns 0 without a box when no library is loaded.
    std::size_t lookupString(unsigned id, char* buffer, std::size_t capacity);

    // Menu 32024 in plain text form: the library's replacement when it carries one that parses
    // (data/MenuText.h), else the program's own menu.
    std::string menuText() const;
    bool libraryHasMenu() const;
    // Why the library's menu is not used, empty when it is used or there is none.
    const std::string& libraryMenuError() const { return menuError_; }

  private:
    std::unique_ptr<LanguageLibrary> library_;
    bool libraryMenuUsable_ = false;
    std::string menuError_;
    std::string loadError_;
    MessageBox box_;
    mutable std::mutex mutex_;  // guards box_ and reported_
    std::set<unsigned> reported_;
};

}  // namespace kvt
