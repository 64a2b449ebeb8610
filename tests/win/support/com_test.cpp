#include "com_test.h"

#include <tlhelp32.h>

#include <fstream>
#include <sstream>

#include "text.h"

namespace testing_support {

HRESULT CallByName(IDispatch* object, const wchar_t* name, VARIANT* result) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, result,
                          nullptr, nullptr);
}

fw::ComPtr<IDispatch> CreateDispatch(REFCLSID clsid) {
    fw::ComPtr<IDispatch> object;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               object.put_void()),
              S_OK);
    return object;
}

std::wstring CallString(IDispatch* object, const wchar_t* name) {
    fw::Variant result;
    EXPECT_EQ(CallByName(object, name, result.get()), S_OK) << name;
    EXPECT_EQ(V_VT(result.get()), VT_BSTR) << name;
    if (V_VT(result.get()) != VT_BSTR || !V_BSTR(result.get())) return L"<null>";
    return std::wstring(V_BSTR(result.get()), SysStringLen(V_BSTR(result.get())));
}

bool ReadString(HKEY root, const std::wstring& key, const wchar_t* name, std::wstring* value) {
    fw::RegKey k;
    if (k.OpenW(root, key.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
    wchar_t buf[2048] = {};
    DWORD size = sizeof(buf) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(k.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    if (value) *value = buf;
    return true;
}

bool KeyExists(HKEY root, const std::wstring& key) {
    fw::RegKey k;
    return k.OpenW(root, key.c_str(), KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

std::string ReadFileText(const std::wstring& path) {
    std::ifstream in(fw::WideToNarrow(path.c_str(), CP_ACP), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void EndSurrogates() {
    fw::Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, L"dllhost.exe") != 0) continue;
        fw::Handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (!process.valid()) continue;
        TerminateProcess(process.get(), 0);
        WaitForSingleObject(process.get(), 10000);
    }
}

}  // namespace testing_support
