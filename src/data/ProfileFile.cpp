#include "data/ProfileFile.h"

// Used as a header-only library (the packaged header keeps the template definitions behind
// SI_IMPLEMENTATION), for byte strings only: the wide-character variants would need a
// conversion library.
#define SI_IMPLEMENTATION
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include "data/FileIo.h"

namespace kvt {

struct ProfileFile::Impl {
    // Not UTF-8 aware: names and values are byte strings, compared without case for A..Z only.
    // Multi-key mode keeps duplicates in file order, so the first one is the one read.
    CSimpleIniA ini{false, true, false};

    Impl() {
        ini.SetSpaces(false);
        ini.SetQuotes(true);
    }
};

ProfileFile::ProfileFile() : impl_(std::make_unique<Impl>()) {}
ProfileFile::~ProfileFile() = default;

void ProfileFile::load(const std::filesystem::path& path) {
    const FileReadResult file = readFilePrefix(path, kMaxFileBytes);
    if (!file.exists) {
        loadText({});
        existed_ = false;
        return;
    }
    if (!file.opened || file.error != 0 || file.truncated) {
        loadText({});
        rewritable_ = false;
        return;
    }
    loadText(file.bytes);
}

void ProfileFile::loadText(std::string_view text) {
    impl_ = std::make_unique<Impl>();
    rewritable_ = true;
    existed_ = true;
    changed_ = false;
    loaded_.assign(text);
    if (impl_->ini.LoadData(loaded_.data(), loaded_.size()) < 0) {
        impl_ = std::make_unique<Impl>();
        rewritable_ = false;
    }
    // The parser stops at a zero byte; a rewrite would drop whatever follows it.
    if (loaded_.find('\0') != std::string::npos) {
        rewritable_ = false;
    }
}

std::string ProfileFile::get(const char* section, const char* key, const char* defaultValue) const {
    const char* value = impl_->ini.GetValue(section, key, defaultValue);
    return value != nullptr ? value : std::string();
}

void ProfileFile::set(const char* section, const char* key, const std::string& value) {
    // Replacing a key re-creates it; take over the spelling the file already has.
    std::string spelling = key;
    CSimpleIniA::TNamesDepend keys;
    if (impl_->ini.GetAllKeys(section, keys)) {
        const SI_GenericNoCase<char> less;
        for (const auto& existing : keys) {
            if (!less(existing.pItem, key) && !less(key, existing.pItem)) {
                spelling = existing.pItem;
                break;
            }
        }
    }
    bool duplicates = false;
    const char* current = impl_->ini.GetValue(section, spelling.c_str(), nullptr, &duplicates);
    if (current != nullptr && !duplicates && value == current) {
        return;
    }
    impl_->ini.SetValue(section, spelling.c_str(), value.c_str(), nullptr, true);
    changed_ = true;
}

void ProfileFile::remove(const char* section, const char* key) {
    if (impl_->ini.GetValue(section, key, nullptr) != nullptr) {
        impl_->ini.Delete(section, key, true);
        changed_ = true;
    }
}

std::string ProfileFile::text() const {
    std::string out;
    impl_->ini.Save(out, impl_->ini.IsUnicode());
    return out;
}

bool ProfileFile::save(const std::filesystem::path& path) const {
    if (!rewritable_) {
        return false;
    }
    // Nothing set differs from the file: leave it byte for byte, comments and line ends included
    // (the parser does not keep every comment and blank line of a file it rewrites).
    if (!changed_ && existed_) {
        return true;
    }
    const std::string out = text();
    if (out == loaded_) {
        return true;
    }
    return replaceFileContents(path, out).ok;
}

}  // namespace kvt
