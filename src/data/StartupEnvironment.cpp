#include "data/StartupEnvironment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <ctime>
#include <vector>

namespace kvt {

std::string currentWorkingDirectory() {
    std::vector<char> buffer(256);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() >= (1u << 20)) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
    std::string directory(buffer.data());
    while (directory.size() > 1 && directory.back() == '/') {
        directory.pop_back();
    }
    return directory;
}

std::string buildStampOf(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        return {};
    }
    std::tm local{};
    const std::time_t modified = status.st_mtime;
    if (::localtime_r(&modified, &local) == nullptr) {
        return {};
    }
    std::array<char, 64> text{};
    const std::size_t length = std::strftime(text.data(), text.size(), kBuildStampFormat, &local);
    return std::string(text.data(), length);
}

std::string programBuildStamp() {
    return buildStampOf("/proc/self/exe");
}

}  // namespace kvt
