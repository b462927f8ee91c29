#include <gtest/gtest.h>

#include "link/Frame.h"

namespace kvt {
namespace {

TEST(Bcc, IsAnAdditiveChecksumWithCarryDiscarded) {
    const std::uint8_t a[] = {0x02, 0x00};
    const std::uint8_t b[] = {0xFF, 0x02};
    EXPECT_EQ(ComputeBcc(a), 0x02);
    EXPECT_EQ(ComputeBcc(b), 0x01);
    EXPECT_EQ(ComputeBcc({}), 0x00);
}

}  // namespace
}  // namespace kvt
