// The web-install cabinets as Windows reads them: the platform's cabinet reader unpacks each
// signed cabinet, the platform's INF reader parses its INF, and the INF must name the file the
// cabinet holds, with that file's own version resource and type library.
#include <windows.h>
#include <oleauto.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include "text.h"

#include <set>
#include <string>
#include <vector>

namespace {

// The signed packages that the packaging test leaves (a Linux path, seen through drive Z:).
const std::wstring kPackages = L"Z:" + fw::NarrowToWide(DIST_SIGNED_DIR, CP_ACP);

struct Package {
    const wchar_t* cab;
    const wchar_t* dll;
};

const Package kCabinets[] = {
    {L"VarnokSpecCheck.cab", L"VarnokSpecCheck.ocx"},
    {L"VarnokLauncher.cab", L"VarnokLauncher.dll"},
};

struct Unpacking {
    std::wstring folder;
    std::set<std::wstring> names;
};

UINT CALLBACK UnpackFile(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) {
    auto* unpacking = static_cast<Unpacking*>(context);
    if (notification != SPFILENOTIFY_FILEINCABINET) return NO_ERROR;
    auto* info = reinterpret_cast<FILE_IN_CABINET_INFO_W*>(param1);
    unpacking->names.insert(info->NameInCabinet);
    const std::wstring target = unpacking->folder + L"\\" + info->NameInCabinet;
    if (target.size() >= MAX_PATH) return FILEOP_SKIP;
    lstrcpyW(info->FullTargetName, target.c_str());
    return FILEOP_DOIT;
}

// The text after "=" of the line `key` in `section` (all its comma-separated fields, as the
// platform gives them back), empty when absent.
std::wstring InfValue(HINF inf, const wchar_t* section, const wchar_t* key) {
    INFCONTEXT line;
    if (!SetupFindFirstLineW(inf, section, key, &line)) return L"";
    wchar_t value[256] = {};
    if (!SetupGetLineTextW(&line, nullptr, nullptr, nullptr, value, 256, nullptr)) return L"";
    return value;
}

// "a,b,c,d" from the file's version resource, as the platform reads it.
std::wstring FileVersion(const std::wstring& path) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (!size) return L"";
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return L"";
    return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"," +
           std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"," +
           std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"," +
           std::to_wstring(LOWORD(fixed->dwFileVersionLS));
}

// The class ids of the controls in the DLL's own type library.
std::set<std::wstring> ControlClassIds(const std::wstring& path) {
    std::set<std::wstring> ids;
    ITypeLib* lib = nullptr;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib))) return ids;
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        ITypeInfo* info = nullptr;
        if (FAILED(lib->GetTypeInfo(i, &info))) continue;
        TYPEATTR* attr = nullptr;
        if (SUCCEEDED(info->GetTypeAttr(&attr))) {
            if (attr->typekind == TKIND_COCLASS && (attr->wTypeFlags & TYPEFLAG_FCONTROL)) {
                wchar_t text[40] = {};
                StringFromGUID2(attr->guid, text, 40);
                ids.insert(text);
            }
            info->ReleaseTypeAttr(attr);
        }
        info->Release();
    }
    lib->Release();
    return ids;
}

TEST(WebInstallCabinet, InfNamesTheControlItHolds) {
    for (const Package& package : kCabinets) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(package.cab)));
        wchar_t temp[MAX_PATH] = {};
        ASSERT_TRUE(GetTempPathW(MAX_PATH, temp));
        Unpacking unpacking{std::wstring(temp) + L"cab-" + package.cab, {}};
        CreateDirectoryW(unpacking.folder.c_str(), nullptr);

        const std::wstring cab = kPackages + L"\\" + package.cab;
        ASSERT_TRUE(SetupIterateCabinetW(cab.c_str(), 0, UnpackFile, &unpacking))
            << "error " << GetLastError();
        const std::wstring dllName = package.dll;
        const std::wstring infName = dllName.substr(0, dllName.rfind(L'.')) + L".inf";
        EXPECT_EQ(unpacking.names, (std::set<std::wstring>{package.dll, infName}));

        const std::wstring infPath = unpacking.folder + L"\\" + infName;
        const std::wstring dllPath = unpacking.folder + L"\\" + package.dll;
        HINF inf = SetupOpenInfFileW(infPath.c_str(), nullptr, INF_STYLE_WIN4, nullptr);
        ASSERT_NE(inf, INVALID_HANDLE_VALUE) << "error " << GetLastError();

        EXPECT_EQ(InfValue(inf, L"Version", L"Signature"), L"$CHICAGO$");
        // [Add.Code]: one line, naming the DLL and the section that describes it.
        EXPECT_EQ(SetupGetLineCountW(inf, L"Add.Code"), 1);
        EXPECT_EQ(InfValue(inf, L"Add.Code", package.dll), package.dll);
        const wchar_t* section = package.dll;
        EXPECT_EQ(InfValue(inf, section, L"file-win32-x86"), L"thiscab");
        EXPECT_EQ(InfValue(inf, section, L"RegisterServer"), L"yes");

        const std::wstring version = FileVersion(dllPath);
        EXPECT_FALSE(version.empty());
        EXPECT_EQ(InfValue(inf, section, L"FileVersion"), version);
        const std::set<std::wstring> controls = ControlClassIds(dllPath);
        EXPECT_EQ(controls.size(), 1u);
        EXPECT_TRUE(controls.count(InfValue(inf, section, L"clsid")))
            << "clsid " << testing::PrintToString(InfValue(inf, section, L"clsid"));
        SetupCloseInfFile(inf);

        DeleteFileW(infPath.c_str());
        DeleteFileW(dllPath.c_str());
        RemoveDirectoryW(unpacking.folder.c_str());
    }
}

}  // namespace
