#include "data/HelpFile.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "support/TempDir.h"

namespace kvt {
namespace {

using test::TempDir;

struct HelpFolders {
    TempDir work;
    TempDir prefix;  // an installation: prefix/bin/kvt, prefix/share/kvt/KVT.HLP
    TempDir dataFolder;

    HelpFolders() {
        std::filesystem::create_directories(prefix / "bin");
        std::filesystem::create_directories(prefix / "share/kvt");
    }
    std::vector<std::string> candidates() const {
        return helpFileCandidates(work.str(),
                                  installedHelpFolders(dataFolder.str(), prefix.file("bin")));
    }
};

TEST(HelpFileLookup, OrderIsWorkingFolderThenBuildDataFolderThenBesideTheProgram) {
    HelpFolders f;
    const std::vector<std::string> expected{f.work.file("KVT.HLP"), f.dataFolder.file("KVT.HLP"),
                                            f.prefix.file("share/kvt/KVT.HLP")};
    EXPECT_EQ(f.candidates(), expected);
}

TEST(HelpFileLookup, TheFirstExistingCandidateWins) {
    // Which of the three places hold a copy, and which of them (0..2, -1 none) is shown.
    struct Case {
        std::array<bool, 3> present;
        int winner;
    };
    const Case cases[] = {
        {{true, true, true}, 0},
        {{false, true, true}, 1},
        {{false, false, true}, 2},
        {{false, false, false}, -1},
    };
    for (const Case& c : cases) {
        HelpFolders f;
        const std::vector<std::string> places = f.candidates();
        for (std::size_t i = 0; i < places.size(); ++i) {
            if (c.present[i]) {
                test::writeFile(places[i], "help");
            }
        }
        const std::string expected =
            c.winner < 0 ? std::string() : places[static_cast<std::size_t>(c.winner)];
        EXPECT_EQ(findHelpFile(places), expected) << c.winner;
    }
}

TEST(HelpFileLookup, AFolderNamedLikeTheFileIsNoHelpText) {
    HelpFolders f;
    std::filesystem::create_directory(f.work / "KVT.HLP");
    test::writeFile(f.prefix.file("share/kvt/KVT.HLP"), "p");
    EXPECT_EQ(findHelpFile(f.candidates()), f.prefix.file("share/kvt/KVT.HLP"));
}

TEST(HelpFileLookup, SameFolderTwiceIsLookedAtOnceAndEmptyFoldersAreSkipped) {
    TempDir work;
    const auto candidates =
        helpFileCandidates(work.str(), installedHelpFolders("/opt/kvt/share/kvt", "/opt/kvt/bin"));
    EXPECT_EQ(candidates,
              (std::vector<std::string>{work.file("KVT.HLP"), "/opt/kvt/share/kvt/KVT.HLP"}));
    EXPECT_EQ(helpFileCandidates(work.str(), installedHelpFolders("", "")).size(), 1u);
}

TEST(HelpFileLookup, TheMissingTextNamesEveryPlace) {
    const std::string text = helpFileMissingText({"/a/KVT.HLP", "/b/KVT.HLP"});
    EXPECT_NE(text.find("KVT.HLP was not found"), std::string::npos);
    EXPECT_NE(text.find("\n/a/KVT.HLP"), std::string::npos);
    EXPECT_NE(text.find("\n/b/KVT.HLP"), std::string::npos);
}

}  // namespace
}  // namespace kvt
