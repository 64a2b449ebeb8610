// The bench's arithmetic: medians, batch sizes, and the count of one process's entries in a
// handle-table answer.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bench/rules/figures.h"

namespace {

TEST(BenchMedian, MiddleValueOrMeanOfTheTwoMiddleOnes) {
    const struct {
        std::vector<double> values;
        double median;
    } cases[] = {
        {{}, 0},
        {{7}, 7},
        {{3, 1, 2}, 2},
        {{9, 1, 5, 3}, 4},
        {{1, 1000, 2, 3, 2}, 2},  // one outlier does not move it
        {{5, 5, 5, 5}, 5},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(bench::Median(c.values), c.median);
}

TEST(BenchBatchSize, BatchLastsAboutTheTargetWithinBounds) {
    const struct {
        double oneCall, batch;
        std::uint64_t max, calls;
    } cases[] = {
        {1e-6, 5e-3, 1u << 20, 5000},
        {0.2, 5e-3, 1u << 20, 1},   // a call longer than the batch: one call
        {1e-9, 5e-3, 1000, 1000},   // capped
        {0, 5e-3, 64, 64},          // too fast to measure: the cap
        {2e-3, 5e-3, 1u << 20, 2},  // rounded down
        {1e-6, 5e-3, 0, 1},         // a cap of 0 still makes one call
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bench::BatchSize(c.oneCall, c.batch, c.max), c.calls) << c.oneCall;
    }
}

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
