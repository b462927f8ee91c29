#include "TerminalLink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kvt::devsim {

namespace {
std::string linkTarget(const std::string& path) {
    char buffer[4096];
    const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string{};
}

bool isSymlinkOrAbsent(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return errno == ENOENT;
    }
    return S_ISLNK(info.st_mode);
}
}  // namespace

bool TerminalLink::pointTo(const std::string& target, std::string& error) {
    if (!enabled()) {
        return true;
    }
    if (!isSymlinkOrAbsent(path_)) {
        error = path_ + " exists and is not a symbolic link; left alone";
        return false;
    }
    const std::string temporary = path_ + ".kvt-devsim-" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0) {
        error = "cannot create link " + path_ + ": " + std::strerror(errno);
        return false;
    }
    if (::rename(temporary.c_str(), path_.c_str()) != 0) {
        error = "cannot create link " + path_ + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    target_ = target;
    return true;
}

void TerminalLink::remove() {
    // Only our own link: another emulator may have taken the name over since.
    if (!target_.empty() && linkTarget(path_) == target_) {
        ::unlink(path_.c_str());
    }
    target_.clear();
}

}  // namespace kvt::devsim
