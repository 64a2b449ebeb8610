#include "spec_check/rules/os_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using spec_check::OsFacts;
using spec_check::OsName;

namespace {

struct Case {
    const char* label;
    OsFacts facts;
    std::string expected;
};

std::string Build(long long n) { return " ( build " + std::to_string(n) + " )"; }

OsFacts Facts(std::uint32_t major, std::uint32_t minor, std::uint8_t productType = 1,
              std::uint16_t suite = 0, std::uint16_t arch = 0, std::uint32_t build = 1234,
              std::string sp = {}) {
    OsFacts f;
    f.versionRead = true;
    f.major = major;
    f.minor = minor;
    f.productType = productType;
    f.suiteMask = suite;
    f.architecture = arch;
    f.build = build;
    f.servicePack = std::move(sp);
    return f;
}

OsFacts With6(std::uint32_t minor, std::uint8_t productType, std::uint32_t edition) {
    OsFacts f = Facts(6, minor, productType);
    f.edition = edition;
    return f;
}

OsFacts WithR2(OsFacts f) {
    f.serverR2 = 1;
    return f;
}

void ExpectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(OsName(c.facts), c.expected);
    }
}

}  // namespace

TEST(OsName, Major4ByMinor) {
    ExpectAll({
        {"4.0", Facts(4, 0), "Windows 95 / NT 4.0" + Build(1234)},
        {"4.10", Facts(4, 10), "Windows 98 / 98 SE" + Build(1234)},
        {"4.90", Facts(4, 90), "Windows Me" + Build(1234)},
        {"4.1 has no name", Facts(4, 1), "Unknown Windows"},
        {"4.3 with a service pack", Facts(4, 3, 1, 0, 0, 5, "SP6"), "SP6" + Build(5)},
    });
}

TEST(OsName, Major6NameByMinorAndProductType) {
    ExpectAll({
        {"6.0 ws", With6(0, 1, 0), "Windows Vista " + Build(1234)},
        {"6.0 server", With6(0, 3, 0), "Windows Server 2008 " + Build(1234)},
        {"6.1 ws", With6(1, 1, 0), "Windows 7 " + Build(1234)},
        {"6.1 dc", With6(1, 2, 0), "Windows Server 2008 R2 " + Build(1234)},
        {"6.2 ws", With6(2, 1, 0), "Windows 8 " + Build(1234)},
        {"6.2 server", With6(2, 3, 0), "Windows Server 2012 " + Build(1234)},
        {"6.3 ws", With6(3, 1, 0), "Windows 8.1 " + Build(1234)},
        {"6.3 server", With6(3, 3, 0), "Windows Server 2012 R2 " + Build(1234)},
        {"6.3 product type 0 counts as server", With6(3, 0, 0), "Windows Server 2012 R2 " + Build(1234)},
        {"6.5 no name, no edition", With6(5, 1, 0), "Unknown Windows"},
        {"6.9 no name, service pack", [] { OsFacts f = With6(9, 3, 0); f.servicePack = "SP1"; return f; }(),
         "SP1" + Build(1234)},
    });
}

TEST(OsName, Major6EditionByProductType) {
    const std::vector<std::pair<std::uint32_t, std::string>> editions = {
        {0x00, ""},
        {0x01, "Ultimate Edition "},
        {0x02, "Home Basic Edition "},
        {0x03, "Home Premium Edition "},
        {0x04, "Enterprise Edition "},
        {0x05, ""},
        {0x06, "Business Edition "},
        {0x07, "Standard Edition "},
        {0x08, "Datacenter Edition "},
        {0x09, "Small Business Server "},
        {0x0A, "Enterprise Edition "},
        {0x0B, "Starter Edition "},
        {0x0C, "Datacenter Edition (core installation) "},
        {0x0D, "Standard Edition (core installation) "},
        {0x0E, "Enterprise Edition (core installation) "},
        {0x0F, "Enterprise Edition for Itanium-based Systems "},
        {0x10, ""},
        {0x11, "Web Server Edition "},
        {0x12, "Cluster Server Edition "},
        {0x13, ""}, {0x14, ""}, {0x15, ""}, {0x16, ""}, {0x17, ""}, {0x18, ""},
        {0x19, "Small Business Server Premium Edition "},
        {0x1A, ""},
        {0x30, ""},
        {0xABCDABCD, ""},
        {0xFFFFFFFF, ""},
    };
    for (const auto& [product, text] : editions) {
        SCOPED_TRACE(testing::Message() << "product type " << product);
        EXPECT_EQ(OsName(With6(0, 1, product)), "Windows Vista " + text + Build(1234));
        EXPECT_EQ(OsName(With6(2, 3, product)), "Windows Server 2012 " + text + Build(1234));
    }
}

TEST(OsName, Major6EditionsWithoutTextLeaveTwoBlanks) {
    OsFacts seven = With6(1, 1, 1);
    seven.servicePack = "Service Pack 1";
    seven.build = 7601;
    OsFacts sevenOther = With6(1, 1, 0x30);
    sevenOther.build = 7600;
    OsFacts eight = With6(2, 1, 0x65);
    eight.build = 9200;
    OsFacts editionAlone = With6(4, 1, 4);
    editionAlone.build = 9800;
    ExpectAll({
        {"7 ultimate sp1", seven, "Windows 7 Ultimate Edition Service Pack 1 ( build 7601 )"},
        {"7 product 0x30", sevenOther, "Windows 7  ( build 7600 )"},
        {"8 unnamed edition", eight, "Windows 8  ( build 9200 )"},
        {"6.4 edition alone", editionAlone, "Enterprise Edition  ( build 9800 )"},
    });
}

TEST(OsName, Major5Minor2FirstPiece) {
    ExpectAll({
        {"R2 metric wins over storage mask", WithR2(Facts(5, 2, 3, 0x2000, 0, 3790)),
         "Windows Server 2003 R2, Standard Edition " + Build(3790)},
        {"R2 metric wins over x64 workstation", WithR2(Facts(5, 2, 1, 0, 9, 3790)),
         "Windows Server 2003 R2, " + Build(3790)},
        {"storage server", Facts(5, 2, 3, 0x2000, 0, 3790),
         "Windows Storage Server 2003 Standard Edition " + Build(3790)},
        {"storage mask plus enterprise is not storage", Facts(5, 2, 3, 0x2002, 0, 3790),
         "Windows Server 2003, Enterprise Edition" + Build(3790)},
        {"storage mask plus datacenter is not storage", Facts(5, 2, 3, 0x2080, 0, 3790),
         "Windows Server 2003, Datacenter Edition" + Build(3790)},
        {"home server", Facts(5, 2, 3, 0x8000, 0, 3790),
         "Windows Home Server Standard Edition " + Build(3790)},
        {"home mask plus blade is not home server", Facts(5, 2, 3, 0x8400, 0, 3790),
         "Windows Server 2003, Web Edition " + Build(3790)},
        {"xp x64", Facts(5, 2, 1, 0, 9, 3790, "Service Pack 2"),
         "Windows XP Professional x64 Edition Service Pack 2" + Build(3790)},
        {"xp x64 ignores enterprise bit", Facts(5, 2, 1, 0x0002, 9, 3790),
         "Windows XP Professional x64 Edition " + Build(3790)},
        {"workstation on x86", Facts(5, 2, 1, 0, 0, 3790), "Windows Server 2003, " + Build(3790)},
        {"workstation on Itanium", Facts(5, 2, 1, 0x0080, 6, 3790), "Windows Server 2003, " + Build(3790)},
    });
}

TEST(OsName, Major5Minor2ServerEditionByArchitecture) {
    const std::string first = "Windows Server 2003, ";
    ExpectAll({
        {"ia64 dc", Facts(5, 2, 3, 0x0082, 6), first + "Datacenter Edition for Itanium-based Systems " + Build(1234)},
        {"ia64 ent", Facts(5, 2, 3, 0x0002, 6), first + "Enterprise Edition for Itanium-based Systems " + Build(1234)},
        {"ia64 other", Facts(5, 2, 3, 0x4400, 6, 3790, "Service Pack 1"), first + "Service Pack 1" + Build(3790)},
        {"x64 dc", Facts(5, 2, 3, 0x0082, 9), first + "Datacenter x64 Edition " + Build(1234)},
        {"x64 ent", Facts(5, 2, 2, 0x0002, 9), first + "Enterprise x64 Edition " + Build(1234)},
        {"x64 other", Facts(5, 2, 3, 0x4000, 9), first + "Standard x64 Edition " + Build(1234)},
        {"x86 compute cluster first", Facts(5, 2, 3, 0x4082, 0), first + "Compute Cluster Edition " + Build(1234)},
        {"x86 dc", Facts(5, 2, 3, 0x0482, 0), first + "Datacenter Edition" + Build(1234)},
        {"x86 ent sp", Facts(5, 2, 3, 0x0002, 0, 3790, "Service Pack 2"),
         "Windows Server 2003, Enterprise EditionService Pack 2 ( build 3790 )"},
        {"x86 web", Facts(5, 2, 3, 0x0400, 0), first + "Web Edition " + Build(1234)},
        {"x86 standard", Facts(5, 2, 3, 0x0010, 0), first + "Standard Edition " + Build(1234)},
        {"arm counts as other", Facts(5, 2, 3, 0x0400, 5), first + "Web Edition " + Build(1234)},
        {"unknown architecture", Facts(5, 2, 3, 0, 0xFFFF), first + "Standard Edition " + Build(1234)},
    });
}

TEST(OsName, Major5Minors1And0) {
    ExpectAll({
        {"xp pro sp", Facts(5, 1, 1, 0x0100, 0, 2600, "Service Pack 3"),
         "Windows XP Professional Service Pack 3 ( build 2600 )"},
        {"xp home", Facts(5, 1, 1, 0x0200), "Windows XP Home Edition " + Build(1234)},
        {"xp home bit on a server type", Facts(5, 1, 3, 0x0300), "Windows XP Home Edition " + Build(1234)},
        {"2000 pro", Facts(5, 0, 1, 0x0082), "Windows 2000 Professional " + Build(1234)},
        {"2000 dc before enterprise", Facts(5, 0, 3, 0x0082), "Windows 2000 Datacenter Server " + Build(1234)},
        {"2000 advanced", Facts(5, 0, 2, 0x0002), "Windows 2000 Advanced Server " + Build(1234)},
        {"2000 server", Facts(5, 0, 3, 0x0400), "Windows 2000 Server " + Build(1234)},
        {"5.3 has no name", Facts(5, 3, 3, 0x0082), "Unknown Windows"},
    });
}

TEST(OsName, Major10IgnoresMinorAndEdition) {
    OsFacts withEdition = Facts(10, 0, 1, 0, 9, 19045);
    withEdition.edition = 1;
    ExpectAll({
        {"10 ws", Facts(10, 0, 1, 0, 0, 10240), "Windows 10 ( build 10240 )"},
        {"10 ws minor 5", Facts(10, 5, 1), "Windows 10" + Build(1234)},
        {"10 server", Facts(10, 0, 3, 0, 9, 14393), "Windows Server 2016 Technical Preview ( build 14393 )"},
        {"10 edition not used", withEdition, "Windows 10 ( build 19045 )"},
    });
}

TEST(OsName, UnnamedMajorVersionsNeedAServicePackText) {
    for (std::uint32_t major : {0u, 1u, 2u, 3u, 7u, 8u, 9u, 11u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(testing::Message() << "major " << major);
        EXPECT_EQ(OsName(Facts(major, 0)), "Unknown Windows");
        EXPECT_EQ(OsName(Facts(major, 0, 1, 0, 0, 42, "Service Pack 9")), "Service Pack 9" + Build(42));
    }
}

TEST(OsName, ServicePackTextIsAppendedUnchanged) {
    // Windows 98 SE: one letter between two blanks, version in the build field's high word.
    ExpectAll({
        {"98 se", Facts(4, 10, 1, 0, 0, 0x040A08AE, " A "), "Windows 98 / 98 SE A  ( build 67766446 )"},
        {"127 characters", Facts(6, 1, 1, 0, 0, 7601, std::string(127, 'x')),
         "Windows 7 " + std::string(127, 'x') + Build(7601)},
        {"bytes above 0x7F", Facts(5, 1, 1, 0, 0, 2600, "\xBC\xAD\xB7\xA3"),
         "Windows XP Professional \xBC\xAD\xB7\xA3" + Build(2600)},
    });
}

TEST(OsName, BuildIsTheWholeFieldAsSignedDecimal) {
    ExpectAll({
        {"zero", Facts(5, 1, 1, 0, 0, 0), "Windows XP Professional " + Build(0)},
        {"high bit", Facts(5, 1, 1, 0, 0, 0x80000000u), "Windows XP Professional " + Build(-2147483648LL)},
        {"all bits", Facts(5, 1, 1, 0, 0, 0xFFFFFFFFu), "Windows XP Professional " + Build(-1)},
        {"largest positive", Facts(5, 1, 1, 0, 0, 0x7FFFFFFFu), "Windows XP Professional " + Build(2147483647)},
    });
}

TEST(OsName, FailedVersionCallIsUnknownWithBuildZero) {
    OsFacts failed;
    EXPECT_EQ(OsName(failed), "Unknown Windows. ( build 0 )");
    // Whatever the record holds after a failure, it counts as cleared.
    failed = Facts(6, 1, 1, 0x0200, 9, 7601, "Service Pack 1");
    failed.edition = 1;
    failed.serverR2 = 1;
    failed.versionRead = false;
    EXPECT_EQ(OsName(failed), "Unknown Windows. ( build 0 )");
}

TEST(OsName, OptionalFactsAreAskedOnlyWhereTheyCount) {
    EXPECT_TRUE(spec_check::NeedsEdition(6));
    for (std::uint32_t major : {0u, 4u, 5u, 7u, 10u}) EXPECT_FALSE(spec_check::NeedsEdition(major)) << major;
    EXPECT_TRUE(spec_check::NeedsServerR2(5, 2));
    EXPECT_FALSE(spec_check::NeedsServerR2(5, 1));
    EXPECT_FALSE(spec_check::NeedsServerR2(6, 2));
    EXPECT_FALSE(spec_check::NeedsServerR2(2, 5));
    // The metric counts only on 5.2.
    EXPECT_EQ(OsName(WithR2(Facts(5, 1, 1))), "Windows XP Professional " + Build(1234));
}
