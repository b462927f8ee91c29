#include <gtest/gtest.h>

#include "data/DisplayLine.h"

namespace kvt {
namespace {

TEST(DisplayLineTest, AStoredTextStopsAtItsFirstControlCharacter) {
    EXPECT_EQ(displayLine("Plant 4"), "Plant 4");
    EXPECT_EQ(displayLine("root:x:0:0:root:/root:/bin/bash\ndaemon:x:1:1"),
              "root:x:0:0:root:/root:/bin/bash");
    EXPECT_EQ(displayLine("a\rb"), "a");
    EXPECT_EQ(displayLine("a\tb"), "a");
    EXPECT_EQ(displayLine("a\x7F b"), "a");
    EXPECT_EQ(displayLine("\nb"), "");
    EXPECT_EQ(displayLine("M\xFCller \xE2\x82\xAC"), "M\xFCller \xE2\x82\xAC")
        << "bytes above 0x7F are text";
}

}  // namespace
}  // namespace kvt
