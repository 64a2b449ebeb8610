#include "spec_check/rules/cpu_name.h"

#include <gtest/gtest.h>

#include <string>

using spec_check::TextUpToNul;
using spec_check::TrimLeadingSpaces;

TEST(CpuName, TrimsOnlyLeadingSpaces) {
    EXPECT_EQ(TrimLeadingSpaces("     Intel(R) Core(TM) i7"), "Intel(R) Core(TM) i7");
    EXPECT_EQ(TrimLeadingSpaces("AMD Ryzen   "), "AMD Ryzen   ");
    EXPECT_EQ(TrimLeadingSpaces("  AMD Ryzen  "), "AMD Ryzen  ");
    EXPECT_EQ(TrimLeadingSpaces("\tCPU"), "\tCPU");
    EXPECT_EQ(TrimLeadingSpaces(" \tCPU"), "\tCPU");
    EXPECT_EQ(TrimLeadingSpaces("Plain"), "Plain");
}

TEST(CpuName, EmptyAndAllSpaceNamesStayWhole) {
    EXPECT_EQ(TrimLeadingSpaces(""), "");
    EXPECT_EQ(TrimLeadingSpaces("    "), "    ");
    EXPECT_EQ(TrimLeadingSpaces(std::string(254, ' ')), std::string(254, ' '));
}

TEST(CpuName, KeepsBytesAbove0x7F) {
    const std::string name = "  \xC7\xD1\xB1\xB9 CPU";  // double-byte characters after the blanks
    EXPECT_EQ(TrimLeadingSpaces(name), "\xC7\xD1\xB1\xB9 CPU");
}

TEST(CpuName, TextStopsAtFirstNulAndNeverPassesTheData) {
    const char withNul[] = {'A', 'B', '\0', 'C'};
    EXPECT_EQ(TextUpToNul(withNul, sizeof withNul), "AB");
    const char noNul[] = {'X', 'Y', 'Z'};
    EXPECT_EQ(TextUpToNul(noNul, sizeof noNul), "XYZ");
    EXPECT_EQ(TextUpToNul(noNul, 0), "");
    EXPECT_EQ(TextUpToNul(nullptr, 5), "");
    const char onlyNul[] = {'\0'};
    EXPECT_EQ(TextUpToNul(onlyNul, 1), "");
}
