// C++ exceptions in a DLL linked as the controls are: thrown in one frame, caught by type in
// another.
#include <windows.h>

#include <gtest/gtest.h>

#include "text.h"

TEST(ShippedRuntime, ExceptionsAreCaughtByType) {
    HMODULE dll = LoadLibraryW((L"Z:" + fw::NarrowToWide(EXCEPTION_PROBE_DLL, CP_ACP)).c_str());
    ASSERT_NE(dll, nullptr) << "error " << GetLastError();
    const auto probe = reinterpret_cast<HRESULT (*)(int)>(
        reinterpret_cast<void*>(GetProcAddress(dll, "ProbeException")));
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(probe(0), E_OUTOFMEMORY) << "a string beyond its maximum size";
    EXPECT_EQ(probe(1), E_OUTOFMEMORY) << "an allocation the address space has no room for";
    EXPECT_EQ(probe(2), E_UNEXPECTED) << "a substring past the end";
    EXPECT_EQ(probe(3), S_OK) << "nothing thrown";
    FreeLibrary(dll);
}
