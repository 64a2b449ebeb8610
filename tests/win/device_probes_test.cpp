// The memory, network-adapter, version-text and sound-device methods of the spec-check control,
// each compared with what the test asks the system itself.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>
#include <nb30.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "VarnokSpecCheck.h"
#include "com_test.h"
#include "raii.h"

using fw::ComPtr;
using fw::Variant;
using testing_support::CallString;

namespace {

ComPtr<IDispatch> CreateControl() {
    return testing_support::CreateDispatch(CLSID_QuellisSpecCheck);
}

std::wstring Widen(const std::string& s) {
    const int n = MultiByteToWideChar(CP_THREAD_ACP, 0, s.data(), static_cast<int>(s.size()),
                                      nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    if (n) MultiByteToWideChar(CP_THREAD_ACP, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

TEST(SpecCheckMemory, PhysicalTotalInEvenMegabytes) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    unsigned long long megabytes = status.ullTotalPhys / (1024 * 1024);
    if (megabytes % 2) ++megabytes;
    const std::wstring expected = std::to_wstring(megabytes) + L"MB";
    std::cout << "total " << status.ullTotalPhys << " bytes, control says "
              << std::string(expected.begin(), expected.end()) << "\n";
    EXPECT_EQ(CallString(control.get(), L"GetStringMEMORY"), expected);
    EXPECT_NE(megabytes, 0u);
}

TEST(SpecCheckVersionText, FixedTextWithCommasAndLetter) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    EXPECT_EQ(CallString(control.get(), L"GetStringSpecVer"), L"1,0,1,3s");
    EXPECT_EQ(CallString(control.get(), L"GetStringSpecVer"), L"1,0,1,3s");
}

// The adapter walk done here the plain way: every LAN adapter number, reset, status query.
std::vector<std::string> NetbiosAddresses(int* adapterCount) {
    LANA_ENUM lanas{};
    NCB ncb{};
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = reinterpret_cast<UCHAR*>(&lanas);
    ncb.ncb_length = sizeof lanas;
    Netbios(&ncb);
    *adapterCount = lanas.length;
    std::vector<std::string> addresses;
    for (int i = 0; i < lanas.length; ++i) {
        ncb = NCB{};
        ncb.ncb_command = NCBRESET;
        ncb.ncb_lana_num = lanas.lana[i];
        Netbios(&ncb);
        struct {
            ADAPTER_STATUS status;
            NAME_BUFFER names[30];
        } answer{};
        ncb = NCB{};
        ncb.ncb_command = NCBASTAT;
        ncb.ncb_lana_num = lanas.lana[i];
        std::memset(ncb.ncb_callname, ' ', NCBNAMSZ);
        ncb.ncb_callname[0] = '*';
        ncb.ncb_buffer = reinterpret_cast<UCHAR*>(&answer);
        ncb.ncb_length = sizeof answer;
        if (Netbios(&ncb) != NRC_GOODRET) continue;
        const UCHAR* a = answer.status.adapter_address;
        char text[18];
        std::snprintf(text, sizeof text, "%02x-%02x-%02x-%02x-%02x-%02x", a[0], a[1], a[2], a[3],
                      a[4], a[5]);
        addresses.push_back(text);
    }
    return addresses;
}

TEST(SpecCheckNetwork, ListsEveryAddressNetbiosReports) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    int adapters = 0;
    const auto addresses = NetbiosAddresses(&adapters);
    std::string expected;
    for (const auto& a : addresses) expected += (expected.empty() ? "" : "\r\n") + a;
    std::cout << adapters << " adapter numbers, " << addresses.size() << " answered:"
              << (expected.empty() ? " (none)" : "\n" + expected) << "\n";
    const std::wstring first = CallString(control.get(), L"GetStringMacAddress");
    EXPECT_EQ(first, Widen(expected));
    // Every call walks the adapters afresh and finds the same.
    EXPECT_EQ(CallString(control.get(), L"GetStringMacAddress"), first);
}

std::vector<std::string> g_devices;

BOOL CALLBACK RecordDevice(LPGUID, LPCSTR description, LPCSTR module, LPVOID) {
    g_devices.push_back(description ? description : "<null>");
    std::cout << "device: " << (description ? description : "<null>") << " / "
              << (module ? module : "<null>") << "\n";
    return TRUE;
}

TEST(SpecCheckSound, LastDeviceDirectSoundEnumerates) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    const std::wstring answer = CallString(control.get(), L"GetStringSOUND");

    fw::Library dsound("dsound.dll");
    ASSERT_TRUE(dsound);
    using EnumerateFn = HRESULT(WINAPI*)(LPDSENUMCALLBACKA, LPVOID);
    const auto enumerate = dsound.Proc<EnumerateFn>("DirectSoundEnumerateA");
    ASSERT_NE(enumerate, nullptr);
    g_devices.clear();
    const HRESULT hr = enumerate(&RecordDevice, nullptr);
    std::cout << "DirectSoundEnumerateA: 0x" << std::hex << hr << std::dec << ", "
              << g_devices.size() << " devices\n";
    const std::string expected =
        g_devices.empty() || g_devices.back() == "<null>" ? "" : g_devices.back();
    EXPECT_EQ(answer, Widen(expected));
    EXPECT_EQ(CallString(control.get(), L"GetStringSOUND"), Widen(expected));
    // Run with a silent ALSA device, Wine reports the primary driver first and that device
    // after it: only the last one's description comes back.
    if (std::getenv("VARNOK_EXPECT_SOUND_DEVICE")) {
        ASSERT_GE(g_devices.size(), 2u);
        EXPECT_FALSE(answer.empty());
        EXPECT_NE(answer, Widen(g_devices.front()));
    }
}

}  // namespace
