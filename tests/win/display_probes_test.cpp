// The display-adapter methods of the spec-check control: compared with what Direct3D 9 and
// DirectDraw 7 report to this program; and, where DirectX cannot be used (VARNOK_DIRECTX=absent:
// d3d9.dll and ddraw.dll kept from loading; VARNOK_DIRECTX=no-display: no display at all), the
// message and the null string.
#include <windows.h>
#include <d3d9.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "VarnokSpecCheck.h"
#include "com_test.h"
#include "msgbox_watcher.h"
#include "raii.h"
#include "text.h"

using fw::ComPtr;
using testing_support::CallString;
using testing_support::MessageBoxWatcher;

namespace {

std::string Mode() {
    const char* mode = std::getenv("VARNOK_DIRECTX");
    return mode ? mode : "present";
}

ComPtr<IDispatch> CreateControl() {
    return testing_support::CreateDispatch(CLSID_QuellisSpecCheck);
}

TEST(DisplayProbes, AnswersAreWhatDirectXReports) {
    if (Mode() != "present") GTEST_SKIP() << "DirectX is " << Mode();
    auto control = CreateControl();
    ASSERT_TRUE(control);
    MessageBoxWatcher watcher;

    fw::Library d3d9("d3d9.dll");
    const auto create = d3d9.Proc<IDirect3D9*(WINAPI*)(UINT)>("Direct3DCreate9");
    ASSERT_NE(create, nullptr);
    ComPtr<IDirect3D9> direct3d;
    *direct3d.put() = create(D3D_SDK_VERSION);
    ASSERT_TRUE(direct3d) << "Direct3D 9 is not usable on this display";
    D3DADAPTER_IDENTIFIER9 id{};
    ASSERT_EQ(direct3d->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &id), D3D_OK);
    char version[32];
    std::snprintf(version, sizeof version, "%u.%u.%u.%u",
                  static_cast<unsigned>(HIWORD(id.DriverVersion.HighPart)),
                  static_cast<unsigned>(LOWORD(id.DriverVersion.HighPart)),
                  static_cast<unsigned>(HIWORD(id.DriverVersion.LowPart)),
                  static_cast<unsigned>(LOWORD(id.DriverVersion.LowPart)));
    const std::wstring guid = fw::GuidToString(id.DeviceIdentifier);
    std::printf("adapter: %s / %s / %s / %ls\n", id.Description, id.Driver, version, guid.c_str());

    const struct {
        const wchar_t* method;
        std::wstring expected;
    } cases[] = {
        {L"GetStringVGA", fw::NarrowToWide(id.Description)},
        {L"GetStringVGADriver", fw::NarrowToWide(id.Driver)},
        {L"GetStringVGAVer", fw::NarrowToWide(version)},
        {L"GetStringVGAID", guid.substr(1, 36)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(fw::WideToNarrow(c.method, CP_UTF8));
        EXPECT_EQ(CallString(control.get(), c.method), c.expected);
    }

    // The memory text is a power of two n with 0.75n <= megabytes < 1.5n (1 below 2 MB).
    fw::Library ddraw("ddraw.dll");
    using CreateFn = HRESULT(WINAPI*)(GUID*, LPVOID*, REFIID, IUnknown*);
    const auto createDraw = ddraw.Proc<CreateFn>("DirectDrawCreateEx");
    ASSERT_NE(createDraw, nullptr);
    ComPtr<IDirectDraw7> draw;
    ASSERT_EQ(createDraw(nullptr, draw.put_void(), IID_IDirectDraw7, nullptr), DD_OK);
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
    DWORD total = 0, free = 0;
    ASSERT_EQ(draw->GetAvailableVidMem(&caps, &total, &free), DD_OK);
    const std::wstring memory = CallString(control.get(), L"GetStringVGAMemory");
    std::printf("video memory: %lu bytes, control says %ls\n", total, memory.c_str());
    ASSERT_GE(memory.size(), 3u);
    EXPECT_EQ(memory.substr(memory.size() - 2), L"MB");
    const unsigned long n = std::wcstoul(memory.c_str(), nullptr, 10);
    const double megabytes = total >> 20;
    EXPECT_EQ(n & (n - 1), 0u) << n;
    EXPECT_TRUE(megabytes < 2 ? n == 1 : 0.75 * n <= megabytes && megabytes < 1.5 * n) << n;

    EXPECT_TRUE(watcher.Seen().empty()) << "a message box appeared";
}

// Every call makes and releases its own DirectX objects: repeated calls leave no handle behind.
TEST(DisplayProbes, RepeatedCallsKeepNothing) {
    if (Mode() != "present") GTEST_SKIP() << "DirectX is " << Mode();
    auto control = CreateControl();
    ASSERT_TRUE(control);
    for (const wchar_t* method : {L"GetStringVGA", L"GetStringVGAMemory"}) {
        SCOPED_TRACE(fw::WideToNarrow(method, CP_UTF8));
        const std::wstring first = CallString(control.get(), method);
        DWORD before = 0, after = 0;
        GetProcessHandleCount(GetCurrentProcess(), &before);
        for (int i = 0; i < 40; ++i) ASSERT_EQ(CallString(control.get(), method), first);
        GetProcessHandleCount(GetCurrentProcess(), &after);
        EXPECT_LE(after, before + 2);
    }
}

TEST(NoDirectX, EachDisplayMethodShowsTheMessageAndReturnsNoString) {
    if (Mode() == "present") GTEST_SKIP() << "DirectX is usable here";
    // Without a display no box can appear, and Wine's DirectDraw still answers (without
    // hardware): only the Direct3D methods fail there.
    const bool absent = Mode() == "absent";
    auto control = CreateControl();
    ASSERT_TRUE(control);
    for (const wchar_t* method : {L"GetStringVGA", L"GetStringVGAVer", L"GetStringVGADriver",
                                  L"GetStringVGAID", L"GetStringVGAMemory"}) {
        if (!absent && method == std::wstring(L"GetStringVGAMemory")) continue;
        SCOPED_TRACE(fw::WideToNarrow(method, CP_UTF8));
        MessageBoxWatcher watcher;
        EXPECT_EQ(CallString(control.get(), method), L"<null>");
        if (!absent) continue;
        ASSERT_TRUE(watcher.WaitFor(1, 5000));
        const auto seen = watcher.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, L"Error");
        EXPECT_EQ(seen[0].text, L"Direct3DCreate9 is failed");
    }
    // The DirectX version shows nothing and still answers.
    MessageBoxWatcher watcher;
    EXPECT_EQ(CallString(control.get(), L"GetStringDirectX").rfind(L"DirectX ", 0), 0u);
    EXPECT_TRUE(watcher.Seen().empty());
}

}  // namespace
