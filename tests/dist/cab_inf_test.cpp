// The signed web-install cabinets as Windows reads them: its cabinet reader unpacks each, its INF
// reader parses the INF, which must name the DLL beside it with that DLL's own file version and
// control class.
#include <windows.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include "text.h"

#include <set>
#include <vector>

namespace {

// The folder the packaging test leaves the signed packages in, seen through drive Z:.
const std::wstring kSigned = L"Z:" + fw::NarrowToWide(DIST_SIGNED_DIR, CP_ACP);

UINT CALLBACK Unpack(PVOID names, UINT notification, UINT_PTR param, UINT_PTR) {
    if (notification != SPFILENOTIFY_FILEINCABINET) return NO_ERROR;
    auto* file = reinterpret_cast<FILE_IN_CABINET_INFO_W*>(param);
    static_cast<std::set<std::wstring>*>(names)->insert(file->NameInCabinet);
    const std::wstring target = kSigned + L"\\unpacked-" + file->NameInCabinet;
    lstrcpynW(file->FullTargetName, target.c_str(), MAX_PATH);
    return FILEOP_DOIT;
}

// All of the line's fields after "=", as the INF reader gives them back.
std::wstring InfLine(HINF inf, const wchar_t* section, const wchar_t* key) {
    INFCONTEXT line;
    wchar_t text[256] = {};
    if (!SetupFindFirstLineW(inf, section, key, &line) ||
        !SetupGetLineTextW(&line, nullptr, nullptr, nullptr, text, 256, nullptr))
        return L"(none)";
    return text;
}

std::wstring FileVersion(const std::wstring& path) {
    std::vector<BYTE> data(GetFileVersionInfoSizeW(path.c_str(), nullptr) + 1);
    VS_FIXEDFILEINFO* v = nullptr;
    UINT size = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&v), &size))
        return L"(none)";
    std::wstring text;
    for (DWORD part : {v->dwFileVersionMS, v->dwFileVersionLS})
        text += std::to_wstring(HIWORD(part)) + L"," + std::to_wstring(LOWORD(part)) + L",";
    return text.substr(0, text.size() - 1);
}

// The class ids of the controls that the DLL's own type library describes.
std::set<std::wstring> ControlClasses(const std::wstring& path) {
    std::set<std::wstring> ids;
    ITypeLib* lib = nullptr;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib))) return ids;
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        ITypeInfo* info = nullptr;
        TYPEATTR* attr = nullptr;
        if (FAILED(lib->GetTypeInfo(i, &info))) continue;
        if (SUCCEEDED(info->GetTypeAttr(&attr))) {
            if (attr->typekind == TKIND_COCLASS && (attr->wTypeFlags & TYPEFLAG_FCONTROL))
                ids.insert(fw::GuidToString(attr->guid));
            info->ReleaseTypeAttr(attr);
        }
        info->Release();
    }
    lib->Release();
    return ids;
}

TEST(WebInstallCabinet, InfNamesTheControlItHolds) {
    const struct {
        const wchar_t *cab, *dll, *inf;
    } cabinets[] = {
        {L"VarnokSpecCheck.cab", L"VarnokSpecCheck.ocx", L"VarnokSpecCheck.inf"},
        {L"VarnokLauncher.cab", L"VarnokLauncher.dll", L"VarnokLauncher.inf"},
    };
    for (const auto& c : cabinets) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.cab)));
        std::set<std::wstring> names;
        ASSERT_TRUE(SetupIterateCabinetW((kSigned + L"\\" + c.cab).c_str(), 0, Unpack, &names));
        EXPECT_EQ(names, (std::set<std::wstring>{c.dll, c.inf}));
        const std::wstring dll = kSigned + L"\\unpacked-" + c.dll;
        HINF inf = SetupOpenInfFileW((kSigned + L"\\unpacked-" + c.inf).c_str(), nullptr,
                                     INF_STYLE_WIN4, nullptr);
        ASSERT_NE(inf, INVALID_HANDLE_VALUE) << "error " << GetLastError();

        EXPECT_EQ(InfLine(inf, L"Version", L"Signature"), L"$CHICAGO$");
        EXPECT_EQ(SetupGetLineCountW(inf, L"Add.Code"), 1);
        EXPECT_EQ(InfLine(inf, L"Add.Code", c.dll), c.dll);  // its section is named after it
        EXPECT_EQ(InfLine(inf, c.dll, L"file-win32-x86"), L"thiscab");
        EXPECT_EQ(InfLine(inf, c.dll, L"RegisterServer"), L"yes");
        EXPECT_EQ(InfLine(inf, c.dll, L"FileVersion"), FileVersion(dll));
        EXPECT_EQ(std::set<std::wstring>{InfLine(inf, c.dll, L"clsid")}, ControlClasses(dll));
        SetupCloseInfFile(inf);
    }
}

}  // namespace
