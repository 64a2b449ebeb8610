#include "spec_check/rules/adapter_address.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using spec_check::AdapterAddress;
using spec_check::AdapterNumbers;
using spec_check::AddressList;
using spec_check::FormatAdapterAddress;

namespace {
const AdapterAddress kFirst = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
const AdapterAddress kSecond = {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x01};
}  // namespace

TEST(AdapterAddress, LowercaseHexInStoredOrder) {
    EXPECT_EQ(FormatAdapterAddress(kFirst), "00-1a-2b-3c-4d-5e");
    EXPECT_EQ(FormatAdapterAddress({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), "ff-ff-ff-ff-ff-ff");
    EXPECT_EQ(FormatAdapterAddress({}), "00-00-00-00-00-00");
    EXPECT_EQ(FormatAdapterAddress({1, 2, 3, 0x10, 0x20, 0xA0}), "01-02-03-10-20-a0");
}

TEST(AdapterAddress, JoinedByOneLineBreakWithNothingAfterTheLast) {
    EXPECT_EQ(AddressList({kFirst}), "00-1a-2b-3c-4d-5e");
    EXPECT_EQ(AddressList({kFirst, kSecond}), "00-1a-2b-3c-4d-5e\r\nde-ad-be-ef-00-01");
    // One adapter reached through two adapter numbers is listed twice.
    EXPECT_EQ(AddressList({kSecond, kSecond}), "de-ad-be-ef-00-01\r\nde-ad-be-ef-00-01");
    // An all-zero address is listed like any other.
    EXPECT_EQ(AddressList({AdapterAddress{}, kFirst}), "00-00-00-00-00-00\r\n00-1a-2b-3c-4d-5e");
}

TEST(AdapterAddress, FailedQueriesLeaveNoEmptyLine) {
    const std::optional<AdapterAddress> failed;
    EXPECT_EQ(AddressList({kFirst, failed, failed, kSecond}),
              "00-1a-2b-3c-4d-5e\r\nde-ad-be-ef-00-01");
    EXPECT_EQ(AddressList({failed, kFirst}), "00-1a-2b-3c-4d-5e");
    EXPECT_EQ(AddressList({kFirst, failed}), "00-1a-2b-3c-4d-5e");
    EXPECT_EQ(AddressList({failed, failed}), "");
    EXPECT_EQ(AddressList({}), "");
}

TEST(AdapterAddress, AdapterListFollowsItsCountByte) {
    const unsigned char none[256] = {0, 7, 8};
    EXPECT_TRUE(AdapterNumbers(none, sizeof none).empty());
    const unsigned char three[256] = {3, 5, 0, 5, 9};
    EXPECT_EQ(AdapterNumbers(three, sizeof three), (std::vector<unsigned char>{5, 0, 5}));
    unsigned char full[256] = {255};
    for (int i = 1; i < 256; ++i) full[i] = static_cast<unsigned char>(i - 1);
    const auto all = AdapterNumbers(full, sizeof full);
    ASSERT_EQ(all.size(), 255u);
    EXPECT_EQ(all.front(), 0);
    EXPECT_EQ(all.back(), 254);
}

TEST(AdapterAddress, AdapterListIsNeverReadPastItsSize) {
    const unsigned char shortList[3] = {200, 1, 2};  // claims more numbers than it holds
    EXPECT_EQ(AdapterNumbers(shortList, sizeof shortList), (std::vector<unsigned char>{1, 2}));
    const unsigned char countOnly[1] = {4};
    EXPECT_TRUE(AdapterNumbers(countOnly, sizeof countOnly).empty());
    EXPECT_TRUE(AdapterNumbers(countOnly, 0).empty());
    EXPECT_TRUE(AdapterNumbers(nullptr, 256).empty());
}
