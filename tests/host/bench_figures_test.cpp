// The bench's reading of a handle-table answer: only one process's entries, never past the
// bytes the system handed back.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bench/rules/figures.h"

namespace {

// A handle-table answer: a count, then 16-byte entries that begin with the owner's id.
std::vector<unsigned char> HandleTable(const std::vector<std::uint32_t>& owners, std::uint32_t count) {
    std::vector<unsigned char> data(4 + owners.size() * 16, 0xCC);
    std::memcpy(data.data(), &count, 4);
    for (std::size_t i = 0; i < owners.size(); ++i) std::memcpy(&data[4 + i * 16], &owners[i], 4);
    return data;
}

TEST(BenchHandleTable, CountsOnlyTheProcessesOwnEntries) {
    const auto table = HandleTable({4, 32, 32, 4, 77, 32}, 6);
    EXPECT_EQ(bench::CountProcessHandles(table.data(), table.size(), 32), 3u);
    EXPECT_EQ(bench::CountProcessHandles(table.data(), table.size(), 4), 2u);
    EXPECT_EQ(bench::CountProcessHandles(table.data(), table.size(), 5), 0u);
    // Entries beyond the count are not read, even when the buffer holds them.
    const auto shorter = HandleTable({32, 32, 32}, 1);
    EXPECT_EQ(bench::CountProcessHandles(shorter.data(), shorter.size(), 32), 1u);
}

TEST(BenchHandleTable, ACountTheBytesCannotHoldIsNoAnswer) {
    const auto table = HandleTable({32, 32}, 3);
    EXPECT_FALSE(bench::CountProcessHandles(table.data(), table.size(), 32).has_value());
    const auto huge = HandleTable({32}, 0xFFFFFFFFu);
    EXPECT_FALSE(bench::CountProcessHandles(huge.data(), huge.size(), 32).has_value());
    const unsigned char tiny[2] = {};
    EXPECT_FALSE(bench::CountProcessHandles(tiny, sizeof tiny, 32).has_value());
    EXPECT_FALSE(bench::CountProcessHandles(nullptr, 0, 32).has_value());
    const auto empty = HandleTable({}, 0);
    EXPECT_EQ(bench::CountProcessHandles(empty.data(), empty.size(), 32), 0u);
}

}  // namespace
