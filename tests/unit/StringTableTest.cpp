#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <set>
#include <thread>
#include <vector>

#include "FileTestSupport.h"
#include "data/BuiltinStrings.h"
#include "data/MenuText.h"
#include "data/StringTable.h"

namespace kvt {
namespace {

using test::TempDir;

const std::filesystem::path kSampleLibrary = std::string(KVT_BINARY_DIR) + "/lang/Lang_dll.DLL";

struct Box {
    std::string text;
    std::string caption;
};

// A string table whose boxes are recorded.
struct RecordedTable {
    StringTable table;
    std::mutex mutex;
    std::vector<Box> boxes;

    RecordedTable() {
        table.setMessageBox([this](const std::string& text, const std::string& caption) {
            std::lock_guard lock(mutex);
            boxes.push_back({text, caption});
        });
    }
};

// A working directory holding a copy of the sample language library.
struct SampleDirectory {
    TempDir dir;
    SampleDirectory() { std::filesystem::copy_file(kSampleLibrary, dir / "Lang_dll.DLL"); }
};

TEST(BuiltinStrings, IdsAscendAndLieInTheProgramsRanges) {
    const auto table = builtinStrings();
    ASSERT_GT(table.size(), 300u);
    int previous = 0;
    for (const BuiltinString& s : table) {
        EXPECT_GT(s.id, previous);
        previous = s.id;
        EXPECT_TRUE((s.id >= 1 && s.id <= 404) || s.id == 1830 || s.id == 32024) << s.id;
        EXPECT_NE(std::string(s.text), "") << s.id;
    }
}

TEST(StringTable, WithoutALibraryTheProgramsTextsStandAndNoBoxIsShown) {
    TempDir dir;
    RecordedTable recorded;
    std::string failure;
    EXPECT_FALSE(recorded.table.loadLanguageLibrary(dir.str(), &failure));
    EXPECT_EQ(failure, "LANGUAGE DLL missing '" + dir.str() + "/Lang_dll.DLL' !");
    EXPECT_FALSE(recorded.table.libraryLoaded());
    EXPECT_EQ(recorded.table.text(2), "Serial Port");
    char buffer[16] = "x";
    EXPECT_EQ(recorded.table.lookupString(2, buffer, sizeof buffer), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_TRUE(recorded.boxes.empty());
    EXPECT_EQ(recorded.table.menuText(), builtinMenuText());
}

TEST(StringTable, TheSampleLibraryReplacesTextsAndMenuUntilUnloaded) {
    SampleDirectory sample;
    RecordedTable recorded;
    StringTable& table = recorded.table;
    ASSERT_TRUE(table.loadLanguageLibrary(sample.dir.str(), nullptr));
    EXPECT_TRUE(table.libraryLoaded());
    EXPECT_EQ(table.text(2), "Serielle Schnittstelle");
    EXPECT_EQ(table.text(25), "Datei konnte nicht ge\u00f6ffnet werden\n");
    EXPECT_EQ(table.builtin(2), "Serial Port");
    EXPECT_TRUE(recorded.boxes.empty());
    // The lookup is cut to the buffer.
    char buffer[5];
    EXPECT_EQ(table.lookupString(2, buffer, sizeof buffer), 4u);
    EXPECT_STREQ(buffer, "Seri");
    char large[StringTable::kLookupCapacity];
    EXPECT_EQ(table.lookupString(7, large, sizeof large), 2u);
    EXPECT_STREQ(large, "OK");
    // The library carries its menu.
    EXPECT_TRUE(table.libraryHasMenu());
    const MenuParseResult menu = parseMenuText(table.menuText());
    ASSERT_TRUE(menu.ok) << menu.errorLine << ": " << menu.error;
    ASSERT_NE(findMenuItem(menu.bar, 32005), nullptr);
    EXPECT_EQ(findMenuItem(menu.bar, 32005)->text, "Projekt \u00f6&ffnen...");

    table.unloadLanguageLibrary();
    EXPECT_FALSE(table.libraryLoaded());
    EXPECT_EQ(table.text(2), "Serial Port");
    EXPECT_FALSE(table.libraryHasMenu());
}

TEST(StringTable, AMissingStringShowsItsBoxOncePerIdAndKeepsTheProgramsText) {
    SampleDirectory sample;
    RecordedTable recorded;
    ASSERT_TRUE(recorded.table.loadLanguageLibrary(sample.dir.str(), nullptr));
    for (int second = 0; second < 5; ++second) {
        EXPECT_EQ(recorded.table.text(154), "Setpoint");  // the status bar asks every second
    }
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_EQ(recorded.boxes[0].text, " IDS 154 not found ");
    EXPECT_EQ(recorded.boxes[0].caption, " Lang Dll ");
    EXPECT_EQ(recorded.table.text(155), "Analog Input 2");
    ASSERT_EQ(recorded.boxes.size(), 2u);
    EXPECT_EQ(recorded.boxes[1].text, " IDS 155 not found ");
}

TEST(StringTable, ThreadsLookingUpTheSameMissingIdShowOneBox) {
    SampleDirectory sample;
    RecordedTable recorded;
    ASSERT_TRUE(recorded.table.loadLanguageLibrary(sample.dir.str(), nullptr));
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                wrong += recorded.table.text(160) == "Analog In 2" ? 0 : 1;
                wrong += recorded.table.text(2) == "Serielle Schnittstelle" ? 0 : 1;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(recorded.boxes.size(), 1u);
}

TEST(StringTable, OnlyTheExactFileNameIsLoaded) {
    TempDir dir;
    std::filesystem::copy_file(kSampleLibrary, dir / "lang_dll.dll");
    StringTable table;
    EXPECT_FALSE(table.loadLanguageLibrary(dir.str(), nullptr));
}

TEST(StringTable, AnEmptyWorkingDirectoryMeansTheCurrentOne) {
    SampleDirectory sample;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(sample.dir.path());
    StringTable table;
    const bool loaded = table.loadLanguageLibrary("", nullptr);
    std::filesystem::current_path(previous);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(table.text(2), "Serielle Schnittstelle");
}

TEST(LanguageLibrary, AFileThatIsNoLibraryIsRefused) {
    TempDir dir;
    test::writeFile(dir / "Lang_dll.DLL", "not a shared object");
    std::string reason;
    EXPECT_EQ(LanguageLibrary::open(dir / "Lang_dll.DLL", &reason), nullptr);
    EXPECT_FALSE(reason.empty());

    StringTable table;
    std::string failure;
    EXPECT_FALSE(table.loadLanguageLibrary(dir.str(), &failure));
    EXPECT_EQ(failure.rfind("LANGUAGE DLL missing '", 0), 0u);
    EXPECT_FALSE(table.libraryLoadError().empty());
}

TEST(LanguageLibrary, ALibraryWithoutTheStringFunctionIsRefused) {
    // Any shared object of the system will do; the maths library is always there.
    Dl_info info{};
    double (*function)(double) = &::erf;
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(function), &info), 0);
    ASSERT_NE(info.dli_fname, nullptr);
    TempDir dir;
    std::filesystem::copy_file(info.dli_fname, dir / "Lang_dll.DLL");
    std::string reason;
    EXPECT_EQ(LanguageLibrary::open(dir / "Lang_dll.DLL", &reason), nullptr);
    EXPECT_EQ(reason, "no function kvt_lang_string");
}

TEST(LanguageLibrary, TheSampleOnlyTranslatesIdsTheProgramHas) {
    auto library = LanguageLibrary::open(kSampleLibrary);
    ASSERT_NE(library, nullptr);
    StringTable own;
    int translated = 0;
    for (unsigned id = 1; id <= 32024; ++id) {
        char buffer[StringTable::kLookupCapacity];
        if (library->loadString(id, buffer, sizeof buffer) != 0) {
            ++translated;
            EXPECT_NE(own.builtin(static_cast<int>(id)), "") << "id " << id;
        }
    }
    EXPECT_GT(translated, 40);
    EXPECT_LT(translated, static_cast<int>(builtinStrings().size())) << "some fall back";
}

// A library written in C as the guide shows, with a menu that does not parse. Compiled by the
// test with the system's C compiler.
TEST(LanguageLibrary, AHandWrittenLibraryWorksAndABrokenMenuIsNotUsed) {
    if (std::system("command -v cc >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no C compiler to make the library with";
    }
    TempDir dir;
    test::writeFile(dir / "lang.c", R"(#include <string.h>
__attribute__((visibility("default"))) int kvt_lang_string(unsigned id, char* buffer,
                                                            int capacity) {
    const char* text = id == 39 ? "Annuler" : 0;
    if (!text || capacity <= 0) return 0;
    size_t n = strlen(text);
    if (n > (size_t)capacity - 1) n = (size_t)capacity - 1;
    memcpy(buffer, text, n);
    buffer[n] = 0;
    return (int)n;
}
__attribute__((visibility("default"))) const char* kvt_lang_menu(void) {
    return "POPUP \"&Fichier\"\n    MENUITEM 32004 \"&Nouveau\"\n";
}
)");
    const std::string build = "cc -shared -fPIC -o '" + (dir / "Lang_dll.DLL").string() + "' '" +
                              (dir / "lang.c").string() + "' 2>&1";
    ASSERT_EQ(std::system(build.c_str()), 0);

    RecordedTable recorded;
    ASSERT_TRUE(recorded.table.loadLanguageLibrary(dir.str(), nullptr));
    EXPECT_EQ(recorded.table.text(39), "Annuler");
    EXPECT_EQ(recorded.table.text(7), "OK");
    EXPECT_EQ(recorded.boxes.size(), 1u);
    EXPECT_FALSE(recorded.table.libraryHasMenu());
    EXPECT_EQ(recorded.table.menuText(), builtinMenuText());
    EXPECT_EQ(recorded.table.libraryMenuError(), "menu line 2: POPUP without its END");
}

}  // namespace
}  // namespace kvt
