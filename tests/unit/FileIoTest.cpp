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

class FileIo : public ::testing::Test {
  protected:
    // A failed or finished write leaves no temporary file behind: the folder holds a.KVT alone.
    bool onlyTheFile() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            names.push_back(entry.path().filename().string());
        }
        return names == std::vector<std::string>{"a.KVT"};
    }

    TempDir dir;
    const std::filesystem::path file = dir / "a.KVT";
};

TEST_F(FileIo, ANewFileGetsTheContentAndOrdinaryPermissions) {
    const mode_t previous = ::umask(022);
    const FileWriteResult result = replaceFileContents(file, "content");
    ::umask(previous);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(readFile(file), "content");
    EXPECT_EQ(modeOf(file), 0644u);
    EXPECT_TRUE(onlyTheFile());
}

// A save killed between creating its temporary file and the rename leaves the file behind; the
// next save to the same target clears those of processes that are gone.
TEST_F(FileIo, ASaveClearsTheTemporaryFilesOfKilledSaves) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    const std::string dead = ".a.KVT.tmp-" + std::to_string(child) + "-0";
    const std::string alive = ".a.KVT.tmp-" + std::to_string(::getpid()) + "-99";
    for (const auto& name : {dead, alive}) {
        writeFile(dir / name, "half a project");
    }
    ASSERT_TRUE(replaceFileContents(file, "content").ok);
    EXPECT_FALSE(std::filesystem::exists(dir / dead));
    EXPECT_TRUE(std::filesystem::exists(dir / alive)) << "a save in progress stays";
}

TEST_F(FileIo, AnExistingFileKeepsItsPermissions) {
    writeFile(file, "old");
    ::chmod(file.c_str(), 0640);
    ASSERT_TRUE(replaceFileContents(file, "new and longer").ok);
    EXPECT_EQ(readFile(file), "new and longer");
    EXPECT_EQ(modeOf(file), 0640u);
}

TEST_F(FileIo, AWriteProtectedFileIsNotReplaced) {
    writeFile(file, "old");
    ::chmod(file.c_str(), 0444);
    const FileWriteResult result = replaceFileContents(file, "new");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, EACCES);
    EXPECT_EQ(readFile(file), "old");
    EXPECT_TRUE(onlyTheFile());
}

TEST_F(FileIo, ASymbolicLinkIsFollowed) {
    std::filesystem::create_directory(dir / "real");
    writeFile(dir / "real" / "a.KVT", "old");
    std::filesystem::create_symlink(dir / "real" / "a.KVT", dir / "link.KVT");
    ASSERT_TRUE(replaceFileContents(dir / "link.KVT", "new").ok);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.KVT"));
    EXPECT_EQ(readFile(dir / "real" / "a.KVT"), "new");
}

TEST_F(FileIo, AFolderOrAMissingFolderIsNoTarget) {
    std::filesystem::create_directory(file);
    EXPECT_FALSE(replaceFileContents(file, "x").ok);
    EXPECT_TRUE(std::filesystem::is_directory(file));
    const FileWriteResult missing = replaceFileContents(dir / "no" / "a.KVT", "x");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, ENOENT);
}

TEST_F(FileIo, AWriteThatFailsHalfwayLeavesTheOldFile) {
    writeFile(file, "old content");
    FileWriteResult result;
    {
        test::FileSizeLimit limit(100);
        result = replaceFileContents(file, std::string(5000, 'n'));
    }
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, EFBIG);
    EXPECT_EQ(readFile(file), "old content");
    EXPECT_TRUE(onlyTheFile());
}

TEST_F(FileIo, ReadingTakesAPrefixOfRegularFilesOnly) {
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
