#include "framework/rules/tick_count.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::uint64_t kWrap = 0x100000000ull;

// Each case: the 32-bit readings in the order threads report them, and the 64-bit answers.
struct Case {
    const char* what;
    std::vector<std::uint32_t> readings;
    std::vector<std::uint64_t> expected;
};

TEST(TickWidener, CarriesWrapsAndNeverJumpsForOvertakenReadings) {
    const std::vector<Case> cases = {
        {"rising", {10, 20, 4000000000u}, {10, 20, 4000000000u}},
        {"one wrap", {0xFFFFFF00u, 5, 10}, {0xFFFFFF00u, kWrap + 5, kWrap + 10}},
        {"two wraps", {0xFFFFFFF0u, 1, 0x80000000u, 0xFFFFFFFFu, 2},
         {0xFFFFFFF0u, kWrap + 1, kWrap + 0x80000000u, kWrap + 0xFFFFFFFFu, 2 * kWrap + 2}},
        {"overtaken reading", {100, 101, 100, 102}, {100, 101, 100, 102}},
        {"overtaken across the wrap", {0xFFFFFFF0u, 3, 0xFFFFFFF5u, 4},
         {0xFFFFFFF0u, kWrap + 3, 0xFFFFFFF5u, kWrap + 4}},
        {"first reading high", {0xF0000000u, 0xF0000001u}, {0xF0000000u, 0xF0000001u}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fw::TickWidener widener;
        std::vector<std::uint64_t> got;
        for (const std::uint32_t r : c.readings) got.push_back(widener.Widen(r));
        EXPECT_EQ(got, c.expected);
    }
}

}  // namespace
