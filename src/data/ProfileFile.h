#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace kvt {

// A profile (INI) file with the semantics the program's settings files have always had:
// section and key names match without regard to case, values are trimmed, the first of
// duplicate keys counts, and a rewrite keeps every other key, section and comment. Reads never
// fail: a missing key gives its default. Built on SimpleIni.
class ProfileFile {
  public:
    // Bigger files are not settings files; they are read as empty and never rewritten.
    static constexpr std::size_t kMaxFileBytes = 1024 * 1024;

    ProfileFile();
    ~ProfileFile();
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    // Loads the file. A missing file is an empty profile that may be written. A file that exists
    // but cannot be read (or is too big) is an empty profile that must not be written, or its
    // content would be lost: rewritable() is then false. So is a file with a zero byte, which
    // the parser reads only up to that byte.
    void load(const std::filesystem::path& path);
    void loadText(std::string_view text);

    std::string get(const char* section, const char* key, const char* defaultValue) const;
    // Creates the section and key when needed; a key of another spelling keeps its spelling.
    void set(const char* section, const char* key, const std::string& value);
    void remove(const char* section, const char* key);

    std::string text() const;
    bool rewritable() const { return rewritable_; }
    // Writes the profile back (safely, FileIo.h) unless no value changed (the file then stays
    // byte for byte as it was) or it is not rewritable. Returns false when it is not rewritable
    // or the write failed.
    bool save(const std::filesystem::path& path) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string loaded_;
    bool rewritable_ = true;
    bool existed_ = false;  // the file was there when loaded
    bool changed_ = false;  // a set or remove changed what the file holds
};

}  // namespace kvt
