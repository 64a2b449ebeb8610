#include "spec_check/rules/sound_device.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using spec_check::CollectSoundDescription;

namespace {

// Plays an enumeration: each device's description in turn, stopping when the callback asks to.
// Returns what was collected, starting from the empty text each call starts with.
std::string Enumerate(const std::vector<const char*>& descriptions, int* calls = nullptr) {
    std::string collected;
    int n = 0;
    for (const char* d : descriptions) {
        ++n;
        if (!CollectSoundDescription(collected, d)) break;
    }
    if (calls) *calls = n;
    return collected;
}

}  // namespace

TEST(SoundDevice, LastDeviceReportedWins) {
    EXPECT_EQ(Enumerate({"Primary Sound Driver"}), "Primary Sound Driver");
    int calls = 0;
    EXPECT_EQ(Enumerate({"Primary Sound Driver", "Speakers (Onboard Audio)", "Headset"}, &calls),
              "Headset");
    EXPECT_EQ(calls, 3);  // the enumeration is never cut short
    // A shorter later name leaves no trace of a longer earlier one.
    EXPECT_EQ(Enumerate({"A rather long device description", "Out"}), "Out");
}

TEST(SoundDevice, NoDeviceGivesEmptyText) {
    EXPECT_EQ(Enumerate({}), "");
}

TEST(SoundDevice, NullDescriptionCountsAsEmpty) {
    EXPECT_EQ(Enumerate({nullptr}), "");
    EXPECT_EQ(Enumerate({"Speakers", nullptr}), "");
    EXPECT_EQ(Enumerate({nullptr, "Speakers"}), "Speakers");
    std::string collected = "stale";
    EXPECT_TRUE(CollectSoundDescription(collected, nullptr));
    EXPECT_EQ(collected, "");
}

TEST(SoundDevice, DescriptionEndsAtItsNulAndKeepsHighBytes) {
    const char withNul[] = {'M', 'i', 'c', '\0', 'X', '\0'};
    EXPECT_EQ(Enumerate({withNul}), "Mic");
    EXPECT_EQ(Enumerate({"\xBD\xBA\xC7\xC1\xC4\xBF"}), "\xBD\xBA\xC7\xC1\xC4\xBF");
    EXPECT_EQ(Enumerate({""}), "");
}
