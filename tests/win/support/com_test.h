// Helpers shared by the Windows tests.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "raii.h"

namespace testing_support {

// An apartment for the test's thread, entered once per test program.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};

// Calls a parameterless method by name through IDispatch; the HRESULT of the whole call.
HRESULT CallByName(IDispatch* object, const wchar_t* name, VARIANT* result);

// An in-process object of the class, through IDispatch; empty (and a test failure) when it
// cannot be created.
fw::ComPtr<IDispatch> CreateDispatch(REFCLSID clsid);

// A parameterless method's string answer, whole (inner NULs kept); "<null>" for a null BSTR. A
// failed call or a result that is no BSTR fails the test.
std::wstring CallString(IDispatch* object, const wchar_t* name);

// Reads a string value of HKCR (or another root); nullopt-like empty flag when absent.
bool ReadString(HKEY root, const std::wstring& key, const wchar_t* name, std::wstring* value);
bool KeyExists(HKEY root, const std::wstring& key);

// A file's bytes, whole; empty when it cannot be read (the sample game's and the provider's
// records).
std::string ReadFileText(const std::wstring& path);

// Ends this prefix's COM surrogates, so that the next elevated instance starts in a new one with
// this process's environment (record file, current folder, code page) and the registered DLL.
void EndSurrogates();

}  // namespace testing_support
