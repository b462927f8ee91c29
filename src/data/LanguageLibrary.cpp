#include "data/LanguageLibrary.h"

#include <dlfcn.h>

#include <cstring>

namespace kvt {

std::unique_ptr<LanguageLibrary> LanguageLibrary::open(const std::filesystem::path& file,
                                                       std::string* reason) {
    // dlopen searches the library path for a bare name; the program wants the file of its own
    // working directory only.
    std::string path = file.string();
    if (path.find('/') == std::string::npos) {
        path = "./" + path;
    }
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (reason != nullptr) {
            const char* error = ::dlerror();
            *reason = error != nullptr ? error : "cannot be loaded";
        }
        return nullptr;
    }
    auto loadString = reinterpret_cast<kvt_lang_string_fn>(::dlsym(handle, KVT_LANG_STRING_SYMBOL));
    if (loadString == nullptr) {
        if (reason != nullptr) {
            *reason = std::string("no function ") + KVT_LANG_STRING_SYMBOL;
        }
        ::dlclose(handle);
        return nullptr;
    }
    std::string menu;
    if (auto menuFunction =
            reinterpret_cast<kvt_lang_menu_fn>(::dlsym(handle, KVT_LANG_MENU_SYMBOL))) {
        if (const char* text = menuFunction()) {
            const std::size_t length = ::strnlen(text, kMaxMenuText + 1);
            if (length <= kMaxMenuText) {
                menu.assign(text, length);
            }
        }
    }
    return std::unique_ptr<LanguageLibrary>(
        new LanguageLibrary(handle, loadString, std::move(menu)));
}

LanguageLibrary::LanguageLibrary(void* handle, kvt_lang_string_fn loadString, std::string menuText)
    : handle_(handle), loadString_(loadString), menuText_(std::move(menuText)) {}

LanguageLibrary::~LanguageLibrary() {
    ::dlclose(handle_);
}

std::size_t LanguageLibrary::loadString(unsigned id, char* buffer, std::size_t capacity) const {
    if (buffer == nullptr || capacity == 0) {
        return 0;
    }
    buffer[0] = '\0';
    const int limit = capacity > 0x7fffffff ? 0x7fffffff : static_cast<int>(capacity);
    const int copied = loadString_(id, buffer, limit);
    // Trust the zero inside the buffer, not the count: a library may report more than it wrote.
    buffer[capacity - 1] = '\0';
    if (copied <= 0) {
        return 0;
    }
    return ::strnlen(buffer, capacity);
}

}  // namespace kvt
