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

// For its lifetime, the class `clsid` is registered as served by `dll` (its InprocServer32), and
// the surrogates are ended so that the next elevated instance loads it; the registration it found
// is put back when it goes, also when a check has failed. ok() tells whether it took over.
class ServedBy {
public:
    ServedBy(REFCLSID clsid, const std::wstring& dll);
    ~ServedBy();
    ServedBy(const ServedBy&) = delete;
    ServedBy& operator=(const ServedBy&) = delete;
    bool ok() const { return ok_; }

private:
    bool Serve(const std::wstring& dll) const;
    std::wstring key_, registered_;
    bool ok_ = false;
};

}  // namespace testing_support
