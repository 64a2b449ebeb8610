#include "spec_check/rules/memory_size.h"

#include <gtest/gtest.h>

#include <cstdint>

using spec_check::EvenMegabytes;
using spec_check::MemoryText;

namespace {
constexpr std::uint64_t kMiB = 1ull << 20;
constexpr std::uint64_t kGiB = 1ull << 30;
}  // namespace

TEST(MemorySize, WholeMegabytesRoundedUpToEven) {
    EXPECT_EQ(MemoryText(2 * kGiB), "2048MB");
    EXPECT_EQ(MemoryText(2 * kGiB - 1), "2048MB");  // 2047 MiB and a remainder
    EXPECT_EQ(MemoryText(4095 * kMiB), "4096MB");
    EXPECT_EQ(MemoryText(4095 * kMiB + kMiB - 1), "4096MB");
    EXPECT_EQ(MemoryText(8086 * kMiB), "8086MB");
    EXPECT_EQ(MemoryText(8086 * kMiB + kMiB - 1), "8086MB");  // an even count never goes down
    EXPECT_EQ(MemoryText(kMiB), "2MB");
}

TEST(MemorySize, LessThanOneMegabyteIsZero) {
    EXPECT_EQ(MemoryText(kMiB - 1), "0MB");
    EXPECT_EQ(MemoryText(0), "0MB");  // what a failed query leaves
}

// Counts of ten or more digits, and of 2^31 MiB or more, are written in full and unsigned.
TEST(MemorySize, LargeTotalsAreWrittenInFull) {
    EXPECT_EQ(MemoryText((1ull << 31) * kMiB - 1), "2147483648MB");
    EXPECT_EQ(MemoryText((1ull << 31) * kMiB), "2147483648MB");
    EXPECT_EQ(MemoryText(999999999ull * kMiB), "1000000000MB");
    EXPECT_EQ(MemoryText(1000000001ull * kMiB), "1000000002MB");
    EXPECT_EQ(MemoryText(4294967295ull * kMiB), "4294967296MB");
    EXPECT_EQ(EvenMegabytes(UINT64_MAX), 1ull << 44);
    EXPECT_EQ(MemoryText(UINT64_MAX), "17592186044416MB");
}
