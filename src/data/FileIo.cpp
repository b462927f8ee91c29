#include "data/FileIo.h"

#include "data/UniqueFd.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace kvt {
namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::filesystem::path resolveTarget(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) {
        const auto resolved = std::filesystem::canonical(path, ec);
        if (!ec) {
            return resolved;
        }
    }
    return path;
}

std::filesystem::path temporaryPathFor(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    std::string name = "." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) +
                       "-" + std::to_string(counter.fetch_add(1));
    return target.parent_path() / name;
}

// The temporary files that saves to the same target left when their process was killed. One of
// a process that still runs may be a save in progress and stays.
void removeStaleTemporaries(const std::filesystem::path& target) {
    const std::string prefix = "." + target.filename().string() + ".tmp-";
    const auto folder =
        target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        char* after = nullptr;
        const long pid = std::strtol(name.c_str() + prefix.size(), &after, 10);
        if (pid <= 0 || after == nullptr || *after != '-') {
            continue;
        }
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            std::error_code ignored;
            std::filesystem::remove(it->path(), ignored);
        }
    }
}

}  // namespace

FileReadResult readFilePrefix(const std::filesystem::path& path, std::size_t maxBytes) {
    FileReadResult result;
    // O_NONBLOCK: opening a pipe must not wait for a writer. It does not affect regular files.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid()) {
        result.error = errno;
        result.exists = errno != ENOENT && errno != ENOTDIR;
        return result;
    }
    result.exists = true;
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        result.error = errno;
        return result;
    }
    if (!S_ISREG(status.st_mode)) {
        result.error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        return result;
    }
    result.opened = true;
    result.bytes.resize(maxBytes);
    std::size_t have = 0;
    while (have < maxBytes) {
        const ssize_t got = ::read(fd.get(), result.bytes.data() + have, maxBytes - have);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            result.error = errno;
            break;
        }
        if (got == 0) {
            break;
        }
        have += static_cast<std::size_t>(got);
    }
    result.bytes.resize(have);
    if (have == maxBytes && result.error == 0) {
        char extra;
        ssize_t got;
        do {
            got = ::read(fd.get(), &extra, 1);
        } while (got < 0 && errno == EINTR);
        result.truncated = got > 0;
    }
    return result;
}

FileWriteResult replaceFileContents(const std::filesystem::path& path, std::string_view bytes) {
    FileWriteResult result;
    const std::filesystem::path target = resolveTarget(path);

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists) {
        const bool noWriteBit = (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
        if (noWriteBit || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            result.error = EACCES;
            return result;
        }
        if (!S_ISREG(existing.st_mode)) {
            result.error = S_ISDIR(existing.st_mode) ? EISDIR : EINVAL;
            return result;
        }
    }

    removeStaleTemporaries(target);
    std::filesystem::path temporary;
    UniqueFd fd;
    for (int attempt = 0; attempt < 16 && !fd.valid(); ++attempt) {
        temporary = temporaryPathFor(target);
        fd.reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd.valid() && errno != EEXIST) {
            break;
        }
    }
    if (!fd.valid()) {
        result.error = errno;
        return result;
    }

    auto fail = [&](int error) {
        fd.reset();
        ::unlink(temporary.c_str());
        result.error = error;
        return result;
    };
    if (!writeAll(fd.get(), bytes)) {
        return fail(errno);
    }
    if (exists && ::fchmod(fd.get(), existing.st_mode & 07777) != 0) {
        return fail(errno);
    }
    if (::fsync(fd.get()) != 0) {
        return fail(errno);
    }
    if (fd.close() != 0) {
        return fail(errno);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        return fail(errno);
    }
    // Make the rename itself durable; a folder that cannot be synced does not undo the save.
    const auto folder =
        target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) {
        ::fsync(dir.get());
    }
    result.ok = true;
    return result;
}

}  // namespace kvt
