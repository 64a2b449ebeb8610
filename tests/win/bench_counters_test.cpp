// The bench's soak counters against what this test takes from the platform: a handle count must
// move by exactly the handles opened, a private-bytes figure by about the memory committed, and
// both must come back when they are released.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "bench/process_counters.h"
#include "raii.h"

namespace {

TEST(BenchCounters, HandleCountMovesByTheHandlesOpened) {
    std::string rejected;
    const auto counter = bench::VerifiedHandleCounter(&rejected);
    ASSERT_TRUE(counter.has_value()) << rejected;
    for (const int opened : {1, 5, 40}) {
        const auto before = counter->read();
        ASSERT_TRUE(before.has_value());
        {
            std::vector<fw::Handle> events;
            for (int i = 0; i < opened; ++i) {
                events.emplace_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
                ASSERT_TRUE(events.back().valid());
            }
            EXPECT_EQ(counter->read(), *before + opened) << counter->source << ", " << opened;
        }
        EXPECT_EQ(counter->read(), *before) << counter->source << ", " << opened;
    }
}

TEST(BenchCounters, PrivateBytesMoveByTheMemoryCommitted) {
    std::string rejected;
    const auto counter = bench::VerifiedPrivateBytesCounter(&rejected);
    ASSERT_TRUE(counter.has_value()) << rejected;
    for (const SIZE_T mebibytes : {8u, 32u}) {
        const SIZE_T bytes = mebibytes << 20;
        const auto before = counter->read();
        ASSERT_TRUE(before.has_value());
        void* block = VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        ASSERT_NE(block, nullptr);
        for (SIZE_T at = 0; at < bytes; at += 4096) static_cast<volatile char*>(block)[at] = 1;
        const auto during = counter->read();
        VirtualFree(block, 0, MEM_RELEASE);
        const auto after = counter->read();
        ASSERT_TRUE(during.has_value() && after.has_value());
        EXPECT_GE(*during - *before, static_cast<std::int64_t>(bytes))
            << counter->source << ", " << mebibytes << " MiB";
        EXPECT_LE(*after, *during - static_cast<std::int64_t>(bytes) / 2)
            << counter->source << ", " << mebibytes << " MiB released";
    }
}

}  // namespace
