// The bench's arithmetic and text: medians, batch sizes, the table's figures, and the count of
// one process's entries in a handle-table answer.
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

TEST(BenchText, DurationsInTheUnitThatSuitsThem) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {41.7e-9, "41.7 ns"}, {0.5e-9, "0.500 ns"}, {12.34e-6, "12.3 us"}, {1e-6, "1.00 us"},
        {0.160, "160 ms"},    {1.3249, "1.32 s"},   {999.4e-6, "999 us"},   {25, "25.0 s"},
    };
    for (const auto& c : cases) EXPECT_EQ(bench::FormatDuration(c.seconds), c.text);
}

TEST(BenchText, RatiosDeltasAndSizes) {
    EXPECT_EQ(bench::FormatRatio(355, 1), "355x");
    EXPECT_EQ(bench::FormatRatio(5, 2), "2.50x");
    EXPECT_EQ(bench::FormatRatio(19, 100), "0.190x");
    EXPECT_EQ(bench::FormatRatio(1, 0), "-");
    EXPECT_EQ(bench::FormatDelta(57, 57), "+0");
    EXPECT_EQ(bench::FormatDelta(60, 57), "+3");
    EXPECT_EQ(bench::FormatDelta(45, 57), "-12");
    EXPECT_EQ(bench::FormatDelta(5000000000LL, 0), "+5000000000");
    EXPECT_EQ(bench::FormatKiB(832000), "812.5 KiB");
    EXPECT_EQ(bench::FormatKiB(0), "0.0 KiB");
}

TEST(BenchText, RowsKeepTheirColumns) {
    const std::string row = bench::TableRow("Invoke GetStringCPU", "12.3 us", "floor 41.7 ns", "295x");
    EXPECT_EQ(row.find("12.3 us"), 46u);
    EXPECT_EQ(row.find("floor"), 70u);
    EXPECT_EQ(row.find("295x"), 100u);
    // A row without a comparison ends after its figure.
    EXPECT_EQ(bench::TableRow("size", "10.0 KiB"), std::string("size") + std::string(42, ' ') +
                                                       "10.0 KiB");
    // An item wider than its column pushes the figure right rather than running into it.
    const std::string wide(50, 'a');
    EXPECT_EQ(bench::TableRow(wide, "1 s"), wide + " 1 s");
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
