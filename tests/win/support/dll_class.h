// Objects of a control DLL loaded from a file of the build, whatever the registry names: the
// tests reach the locked copies of the controls this way.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

// The Windows name of a file of the build (a host path such as /work/build/x.dll).
std::wstring BuildFile(const char* hostPath);

// A new object of `clsid` from the DLL's own class factory, asked for `iid`. The DLL stays loaded
// for the rest of the process.
HRESULT CreateFromDll(const std::wstring& dll, REFCLSID clsid, REFIID iid, void** object);

}  // namespace testing_support
