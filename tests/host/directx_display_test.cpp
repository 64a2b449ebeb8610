// The DirectX version and display-adapter rules.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "spec_check/rules/directx_version.h"
#include "spec_check/rules/display_adapter.h"

using namespace spec_check;

namespace {

constexpr std::uint64_t V(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return (std::uint64_t{a} << 48) | (std::uint64_t{b} << 32) | (std::uint64_t{c} << 16) | d;
}

std::string Scan(const std::map<std::string, std::uint64_t>& files) {
    const std::string dir = "C:\\S";
    return DirectXText(ScanDirectXFileVersions(dir, [&](const std::string& path) {
        const auto it = files.find(path.substr(dir.size()));
        return it == files.end() ? std::nullopt : std::optional<std::uint64_t>(it->second);
    }));
}

}  // namespace

TEST(DirectXScan, ReleaseNamedByTheFilesFound) {
    const struct {
        std::map<std::string, std::uint64_t> files;
        const char* expected;
    } cases[] = {
        {{}, "DirectX 0.0  \n"},
        {{{"\\ddraw.dll", V(4, 2, 0, 94)}}, "DirectX 0.0  \n"},
        {{{"\\ddraw.dll", V(4, 2, 0, 95)}}, "DirectX 1.0  \n"},
        {{{"\\ddraw.dll", V(4, 4, 0, 68)}, {"\\d3drg8x.dll", V(4, 4, 0, 70)}}, "DirectX 3.0 a\n"},
        {{{"\\ddraw.dll", V(4, 6, 0, 436)}}, "DirectX 6.1  \n"},
        {{{"\\ddraw.dll", V(4, 6, 0, 436)}, {"\\dplayx.dll", V(4, 6, 3, 518)}}, "DirectX 6.1 a\n"},
        {{{"\\ddraw.dll", V(4, 7, 0, 700)}, {"\\dinput.dll", V(4, 7, 0, 715)}}, "DirectX 7.0  \n"},
        {{{"\\ddraw.dll", V(4, 7, 0, 700)}, {"\\dinput.dll", V(4, 7, 0, 716)}}, "DirectX 7.0 a\n"},
        // A later step that matches overwrites an earlier one, even a "newer" letter.
        {{{"\\ddraw.dll", V(4, 8, 0, 400)}, {"\\dinput.dll", V(4, 8, 0, 400)}}, "DirectX 8.0  \n"},
        {{{"\\ddraw.dll", V(5, 1, 2258, 400)}}, "DirectX 8.0  \n"},
        {{{"\\ddraw.dll", V(5, 1, 2258, 399)}}, "DirectX 7.0  \n"},
        // Major 6: steps 1 to 9 by plain comparison, never the major-4/5 step.
        {{{"\\ddraw.dll", V(6, 0, 0, 0)}}, "DirectX 7.0  \n"},
        {{{"\\d3d8.dll", V(6, 0, 0, 0)}}, "DirectX 0.0  \n"},
        {{{"\\d3d8.dll", V(4, 8, 1, 881)}}, "DirectX 8.1  \n"},
        {{{"\\d3d8.dll", V(5, 1, 2600, 901)}}, "DirectX 8.1 a\n"},
        {{{"\\mpg2splt.ax", V(6, 3, 1, 884)}}, "DirectX 0.0  \n"},
        {{{"\\mpg2splt.ax", V(6, 3, 1, 885)}}, "DirectX 8.1 b\n"},
        {{{"\\dpnet.dll", V(5, 2, 3677, 134)}}, "DirectX 8.2  \n"},
        {{{"\\dpnet.dll", V(6, 2, 3677, 134)}}, "DirectX 0.0  \n"},
        {{{"\\d3d9.dll", 0}}, "DirectX 9.0  \n"},
        {{{"\\d3d9.dll", V(5, 3, 0, 0)}, {"\\d3d10.dll", V(6, 0, 0, 0)}}, "DirectX 10.0  \n"},
        // A readable d3d11.dll decides, whatever came before.
        {{{"\\mpg2splt.ax", V(6, 3, 1, 885)}, {"\\d3d11.dll", 0}}, "DirectX 11.0  \n"},
    };
    for (const auto& c : cases) {
        std::string files;
        for (const auto& [name, version] : c.files) files += name + " ";
        SCOPED_TRACE(files);
        EXPECT_EQ(Scan(c.files), c.expected);
    }
}

TEST(DirectXScan, PathsAreCutAtTheirBuffer) {
    std::vector<std::string> asked;
    const std::string longDir(600, 'x');
    ScanDirectXFileVersions(longDir, [&](const std::string& path) {
        asked.push_back(path);
        return std::nullopt;
    });
    ASSERT_EQ(asked.size(), 13u);
    for (const auto& path : asked) EXPECT_EQ(path, std::string(511, 'x'));
    asked.clear();
    ScanDirectXFileVersions("C:\\W\\system32", [&](const std::string& path) {
        asked.push_back(path);
        return std::nullopt;
    });
    EXPECT_EQ(asked.front(), "C:\\W\\system32\\ddraw.dll");
    EXPECT_EQ(asked.back(), "C:\\W\\system32\\d3d11.dll");
}

TEST(DirectXVersionRules, PackingComparisonLetterAndText) {
    EXPECT_EQ(MakeFileVersion(4, 7, 0, 700), 0x0004000700000000ull | 700);
    EXPECT_EQ(MakeFileVersion(0x10004, 0x1FFFF, 0, 0x10000), MakeFileVersion(4, 0xFFFF, 0, 0));
    EXPECT_EQ(CompareFileVersions(MakeFileVersion(5, 0, 0, 0),
                                  MakeFileVersion(4, 0xFFFF, 0xFFFF, 0xFFFF)),
              1);
    EXPECT_EQ(CompareFileVersions(MakeFileVersion(4, 7, 0, 1), MakeFileVersion(4, 7, 1, 0)), -1);
    EXPECT_EQ(CompareFileVersions(~0ull, ~0ull), 0);

    EXPECT_EQ(LowerLetter(u'B'), u'b');
    EXPECT_EQ(LowerLetter(u'b'), u'b');
    EXPECT_EQ(LowerLetter(u' '), u' ');
    EXPECT_EQ(LowerLetter(u'\u00C9'), 0xFFC9);  // not A to Z; widened as a signed character
    EXPECT_EQ(LowerLetter(u'\u0142'), u'B');    // kept to 8 bits after lower-casing

    EXPECT_EQ(DirectXText({9, 0, u'c'}), "DirectX 9.0 c\n");
    EXPECT_EQ(DirectXText({11, 0, u' '}), "DirectX 11.0  \n");
    EXPECT_EQ(DirectXText({0xFFFFFFFF, 2147483648u, 0xFFC9}), "DirectX -1.-2147483648 \xC9\n");
    EXPECT_EQ(DirectXText({9, 0, 0}), std::string("DirectX 9.0 \0\n", 14));
}

// The fixed part must lie wholly inside the block; run under AddressSanitizer, a read past the
// block's end would be reported.
TEST(DirectXVersionRules, FixedPartIsReadOnlyInsideItsBlock) {
    std::vector<unsigned char> block(92, 0);
    const unsigned char fixed[16] = {0xBD, 0x04, 0xEF, 0xFE, 0, 0, 1, 0,
                                     7, 0, 4, 0, 0xBC, 2, 0, 0};  // 4.7.0.700
    std::memcpy(block.data() + 40, fixed, sizeof fixed);
    const unsigned char* at = block.data() + 40;
    EXPECT_EQ(FixedFileVersion(block.data(), block.size(), at, 52), V(4, 7, 0, 700));
    EXPECT_EQ(FixedFileVersion(block.data(), block.size(), at, 15), std::nullopt);
    EXPECT_EQ(FixedFileVersion(block.data(), 55, at, 52), std::nullopt);  // cut inside the version
    EXPECT_EQ(FixedFileVersion(block.data(), 56, at, 52), V(4, 7, 0, 700));
    EXPECT_EQ(FixedFileVersion(block.data(), 40, at, 52), std::nullopt);
    EXPECT_EQ(FixedFileVersion(block.data() + 41, 51, at, 52), std::nullopt);  // before the block
    EXPECT_EQ(FixedFileVersion(block.data(), block.size(), nullptr, 52), std::nullopt);
    std::vector<unsigned char> small(block.begin(), block.begin() + 50);
    EXPECT_EQ(FixedFileVersion(small.data(), small.size(), small.data() + 40, 52), std::nullopt);
}

TEST(DisplayAdapterRules, IdentifierTexts) {
    EXPECT_EQ(DriverVersionText((8u << 16) | 15, (11u << 16) | 4660), "8.15.11.4660");
    EXPECT_EQ(DriverVersionText(0, 0), "0.0.0.0");
    EXPECT_EQ(DriverVersionText(0xFFFFFFFF, 0xFFFF0000), "65535.65535.65535.0");

    const std::uint8_t data4[8] = {0xAB, 0x0C, 1, 2, 3, 4, 5, 0xFF};
    EXPECT_EQ(DeviceIdText(0x1A2B, 0xBEEF, 0x0A, data4), "00001A2B-BEEF-000A-AB0C-0102030405FF");
    const std::uint8_t zeros[8] = {};
    EXPECT_EQ(DeviceIdText(0xFFFFFFFF, 0, 0, zeros), "FFFFFFFF-0000-0000-0000-000000000000");

    static char field[kAdapterTextSize];
    std::memset(field, 'D', sizeof field);
    field[511] = '\0';
    EXPECT_EQ(AdapterText(field), std::string(511, 'D'));
    field[511] = 'D';  // no terminator at all: cut at the field's end
    EXPECT_EQ(AdapterText(field), std::string(512, 'D'));
    field[3] = '\0';
    EXPECT_EQ(AdapterText(field), "DDD");
}

TEST(DisplayAdapterRules, VideoMemoryRoundedToAPowerOfTwo) {
    const struct {
        std::uint32_t megabytes;
        std::uint32_t n;
    } ranges[] = {
        {0, 1},       {1, 1},       {2, 2},       {3, 4},       {5, 4},      {6, 8},
        {11, 8},      {12, 16},     {23, 16},     {24, 32},     {47, 32},    {48, 64},
        {95, 64},     {96, 128},    {191, 128},   {192, 256},   {383, 256},  {384, 512},
        {767, 512},   {768, 1024},  {1535, 1024}, {1536, 2048}, {3071, 2048}, {3072, 4096},
        {4095, 4096},
    };
    for (const auto& r : ranges) EXPECT_EQ(RoundToPowerOfTwo(r.megabytes), r.n) << r.megabytes;

    constexpr std::uint32_t kMiB = 1u << 20;
    EXPECT_EQ(VideoMemoryText(0), "1MB");
    EXPECT_EQ(VideoMemoryText(2 * kMiB - 1), "1MB");
    EXPECT_EQ(VideoMemoryText(256 * kMiB), "256MB");
    EXPECT_EQ(VideoMemoryText(768 * kMiB - 1), "512MB");
    EXPECT_EQ(VideoMemoryText(0xFFFFFFFF), "4096MB");
}
