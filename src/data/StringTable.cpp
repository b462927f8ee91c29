#include "data/StringTable.h"

#include <algorithm>
#include <array>

#include "data/BuiltinStrings.h"
#include "data/Format.h"
#include "data/MenuText.h"
#include "data/ProgramFiles.h"

namespace kvt {

StringTable::StringTable() = default;
StringTable::~StringTable() = default;

bool StringTable::loadLanguageLibrary(const std::string& workingDirectory,
                                      std::string* failureText) {
    const auto path = programFilePath(workingDirectory, kLanguageLibraryFileName);
    auto library = LanguageLibrary::open(path, &loadError_);
    if (!library) {
        if (failureText != nullptr) {
            *failureText = format(kLibraryMissingFormat, path.c_str());
        }
        return false;
    }
    loadError_.clear();
    attachLanguageLibrary(std::move(library));
    return true;
}

void StringTable::attachLanguageLibrary(std::unique_ptr<LanguageLibrary> library) {
    library_ = std::move(library);
    libraryMenuUsable_ = false;
    menuError_.clear();
    if (library_ && library_->hasMenu()) {
        const MenuParseResult menu = parseMenuText(library_->menuText());
        libraryMenuUsable_ = menu.ok;
        if (!menu.ok) {
            menuError_ = format("menu line %d: %s", menu.errorLine, menu.error.c_str());
        }
    }
    std::lock_guard lock(mutex_);
    reported_.clear();
}

void StringTable::unloadLanguageLibrary() {
    library_.reset();
    libraryMenuUsable_ = false;
    menuError_.clear();
}

void StringTable::setMessageBox(MessageBox box) {
    std::lock_guard lock(mutex_);
    box_ = std::move(box);
}

std::string StringTable::builtin(int id) {
    const auto table = builtinStrings();
    const auto it = std::lower_bound(table.begin(), table.end(), id,
                                     [](const BuiltinString& s, int v) { return s.id < v; });
    return it != table.end() && it->id == id ? it->text : std::string();
}

std::string StringTable::text(int id) {
    std::string own = builtin(id);
    if (!library_ || id < 0) {
        return own;
    }
    std::array<char, kLookupCapacity> buffer{};
    if (lookupString(static_cast<unsigned>(id), buffer.data(), buffer.size()) == 0) {
        return own;
    }
    return buffer.data();
}

bool StringTable::libraryLoaded() const {
    return library_ != nullptr;
}

std::size_t StringTable::lookupString(unsigned id, char* buffer, std::size_t capacity) {
    if (!library_) {
        if (buffer != nullptr && capacity > 0) {
            buffer[0] = '\0';
        }
        return 0;
    }
    const std::size_t copied = library_->loadString(id, buffer, capacity);
    if (copied != 0) {
        return copied;
    }
    MessageBox box;
    {
        std::lock_guard lock(mutex_);
        if (!reported_.insert(id).second) {
            return 0;
        }
        box = box_;
    }
    // Outside the lock: the box is modal and other threads may look texts up meanwhile.
    if (box) {
        box(format(kStringMissingFormat, id), kStringMissingCaption);
    }
    return 0;
}

std::string StringTable::menuText() const {
    if (libraryHasMenu()) {
        return library_->menuText();
    }
    return builtinMenuText();
}

bool StringTable::libraryHasMenu() const {
    return library_ && libraryMenuUsable_;
}

}  // namespace kvt
