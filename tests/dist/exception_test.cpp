// C++ exceptions in a DLL linked as the controls are: thrown across frames, caught by type.
#include <windows.h>

#include <gtest/gtest.h>

#include "text.h"

namespace {

TEST(ShippedRuntime, ExceptionsAreCaughtByType) {
    const std::wstring path = L"Z:" + fw::NarrowToWide(EXCEPTION_PROBE_DLL, CP_ACP);
    HMODULE dll = LoadLibraryW(path.c_str());
    ASSERT_NE(dll, nullptr) << "error " << GetLastError();
    using Probe = HRESULT (*)(int);
    const auto probe =
        reinterpret_cast<Probe>(reinterpret_cast<void*>(GetProcAddress(dll, "ProbeException")));
    ASSERT_NE(probe, nullptr);

    const struct {
        int kind;
        HRESULT expected;
        const char* what;
    } cases[] = {
        {0, E_OUTOFMEMORY, "std::bad_alloc thrown"},
        {1, E_OUTOFMEMORY, "a string beyond its maximum size"},
        {2, E_OUTOFMEMORY, "an allocation the address space has no room for"},
        {3, E_UNEXPECTED, "a substring past the end"},
        {4, S_OK, "nothing thrown"},
    };
    for (const auto& c : cases) EXPECT_EQ(probe(c.kind), c.expected) << c.what;
    FreeLibrary(dll);
}

}  // namespace
