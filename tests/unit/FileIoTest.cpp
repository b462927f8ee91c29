#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "FileTestSupport.h"
#include "data/FileIo.h"

namespace kvt {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

mode_t modeOf(const std::filesystem::path& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

// Names in the folder besides the expected ones: a failed or finished write leaves no
// temporary file behind.
std::vector<std::string> folderNames(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileIo, ANewFileGetsTheContentAndOrdinaryPermissions) {
    TempDir dir;
    const mode_t previous = ::umask(022);
    const FileWriteResult result = replaceFileContents(dir / "a.KVT", "content");
    ::umask(previous);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(readFile(dir / "a.KVT"), "content");
    EXPECT_EQ(modeOf(dir / "a.KVT"), 0644u);
    EXPECT_EQ(folderNames(dir), std::vector<std::string>{"a.KVT"});
}

// A save killed between creating its temporary file and the rename leaves the file behind; the
// next save to the same target clears those of processes that are gone.
TEST(FileIo, ASaveClearsTheTemporaryFilesOfKilledSaves) {
    TempDir dir;
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    const std::string dead = ".a.KVT.tmp-" + std::to_string(child) + "-0";
    const std::string alive = ".a.KVT.tmp-" + std::to_string(::getpid()) + "-99";
    const std::string otherTarget = ".b.KVT.tmp-" + std::to_string(child) + "-0";
    for (const auto& name : {dead, alive, otherTarget}) {
        writeFile(dir / name, "half a project");
    }
    ASSERT_TRUE(replaceFileContents(dir / "a.KVT", "content").ok);
    EXPECT_EQ(folderNames(dir), (std::vector<std::string>{alive, otherTarget, "a.KVT"}));
}

TEST(FileIo, AnExistingFileKeepsItsPermissions) {
    TempDir dir;
    writeFile(dir / "a.KVT", "old");
    ::chmod((dir / "a.KVT").c_str(), 0640);
    ASSERT_TRUE(replaceFileContents(dir / "a.KVT", "new and longer").ok);
    EXPECT_EQ(readFile(dir / "a.KVT"), "new and longer");
    EXPECT_EQ(modeOf(dir / "a.KVT"), 0640u);
}

TEST(FileIo, AWriteProtectedFileIsNotReplaced) {
    TempDir dir;
    writeFile(dir / "a.KVT", "old");
    ::chmod((dir / "a.KVT").c_str(), 0444);
    const FileWriteResult result = replaceFileContents(dir / "a.KVT", "new");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, EACCES);
    EXPECT_EQ(readFile(dir / "a.KVT"), "old");
    EXPECT_EQ(folderNames(dir), std::vector<std::string>{"a.KVT"});
}

TEST(FileIo, ASymbolicLinkIsFollowed) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    writeFile(dir / "real" / "a.KVT", "old");
    std::filesystem::create_symlink(dir / "real" / "a.KVT", dir / "link.KVT");
    ASSERT_TRUE(replaceFileContents(dir / "link.KVT", "new").ok);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.KVT"));
    EXPECT_EQ(readFile(dir / "real" / "a.KVT"), "new");
}

TEST(FileIo, AFolderOrAMissingFolderIsNoTarget) {
    TempDir dir;
    std::filesystem::create_directory(dir / "a.KVT");
    EXPECT_FALSE(replaceFileContents(dir / "a.KVT", "x").ok);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a.KVT"));
    const FileWriteResult missing = replaceFileContents(dir / "no" / "a.KVT", "x");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, ENOENT);
}

TEST(FileIo, AWriteThatFailsHalfwayLeavesTheOldFile) {
    TempDir dir;
    writeFile(dir / "a.KVT", "old content");
    FileWriteResult result;
    {
        test::FileSizeLimit limit(100);
        result = replaceFileContents(dir / "a.KVT", std::string(5000, 'n'));
    }
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, EFBIG);
    EXPECT_EQ(readFile(dir / "a.KVT"), "old content");
    EXPECT_EQ(folderNames(dir), std::vector<std::string>{"a.KVT"});
}

TEST(FileIo, ReadingTakesAPrefixOfRegularFilesOnly) {
    TempDir dir;
    writeFile(dir / "f", "0123456789");
    FileReadResult whole = readFilePrefix(dir / "f", 100);
    EXPECT_TRUE(whole.opened);
    EXPECT_EQ(whole.bytes, "0123456789");
    EXPECT_FALSE(whole.truncated);
    FileReadResult part = readFilePrefix(dir / "f", 4);
    EXPECT_EQ(part.bytes, "0123");
    EXPECT_TRUE(part.truncated);
    EXPECT_FALSE(readFilePrefix(dir / "f", 10).truncated);

    const FileReadResult missing = readFilePrefix(dir / "none", 10);
    EXPECT_FALSE(missing.opened);
    EXPECT_FALSE(missing.exists);

    const FileReadResult folder = readFilePrefix(dir.path(), 10);
    EXPECT_FALSE(folder.opened);
    EXPECT_TRUE(folder.exists);

    // A pipe without a writer would block a plain open for ever.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const FileReadResult pipe = readFilePrefix(dir / "pipe", 10);
    EXPECT_FALSE(pipe.opened);
    EXPECT_TRUE(pipe.exists);
}

}  // namespace
}  // namespace kvt
