// The launcher control under Wine: its type library, the launch settings, the direct launches
// with the sample game, registration and the proxy/stub.
#include <windows.h>
#include <comcat.h>
#include <objsafe.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "VarnokLauncher.h"
#include "com_test.h"
#include "msgbox_watcher.h"
#include "planted_games.h"
#include "raii.h"
#include "text.h"

using fw::Bstr;
using fw::ComPtr;
using fw::RegKey;
using testing_support::KeyExists;
using testing_support::MessageBoxWatcher;
using testing_support::ReadString;

namespace {

const wchar_t kTestKey[] = L"Software\\VarnokLauncherTest";
const char kTestKeyA[] = "Software\\VarnokLauncherTest";

std::wstring WindowsPath(const char* unixPath) {
    std::wstring path = L"Z:" + fw::NarrowToWide(unixPath, CP_ACP);
    for (auto& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

ComPtr<IQuellisLauncherVistaPlay> CreateLauncher(DWORD context = CLSCTX_INPROC_SERVER) {
    ComPtr<IQuellisLauncherVistaPlay> launcher;
    EXPECT_EQ(CoCreateInstance(CLSID_QuellisLauncherVistaPlay, nullptr, context,
                               IID_IQuellisLauncherVistaPlay, launcher.put_void()),
              S_OK);
    return launcher;
}

using testing_support::ReadFileText;

// Waits for the sample game's record (it appends one per start), or for a record holding `until`.
std::string WaitForRecord(const std::wstring& path, const std::string& until = "A_Param=",
                          DWORD timeoutMs = 20000) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        const std::string text = ReadFileText(path);
        if (text.find(until) != std::string::npos) return text;
        Sleep(100);
    }
    return ReadFileText(path);
}

std::string Line(const std::string& record, const std::string& name) {
    const size_t at = record.find(name + "=");
    if (at == std::string::npos) return "<absent>";
    const size_t end = record.find('\n', at);
    return record.substr(at + name.size() + 1, end - at - name.size() - 1);
}

// A game installed below a directory with a blank, its installation record under HKCU, the
// sample game's output file, and a planted C:\Program.exe that must never run.
class Launch : public ::testing::Test {
protected:
    void SetUp() override {
        game_ = WindowsPath(SAMPLE_GAME_EXE);
        CreateDirectoryW(L"C:\\VarnokTest", nullptr);
        CreateDirectoryW(L"C:\\VarnokTest\\Program Files", nullptr);
        CreateDirectoryW(installDir_.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW(game_.c_str(), (installDir_ + L"\\Game.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(game_.c_str(), L"C:\\VarnokTest\\Program.exe", FALSE));
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        RegKey key;
        ASSERT_EQ(key.CreateW(HKEY_CURRENT_USER, kTestKey), ERROR_SUCCESS);
        SetDirectory(key.get(), installDir_);
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        out_ = std::wstring(temp) + L"varnok_game_record.txt";
        DeleteFileW(out_.c_str());
        SetEnvironmentVariableW(L"SAMPLE_GAME_OUT", out_.c_str());
        SetEnvironmentVariableW(L"SAMPLE_GAME_KEY", (std::wstring(L"HKCU\\") + kTestKey).c_str());
        launcher_ = CreateLauncher();
        ASSERT_TRUE(launcher_);
    }
    void TearDown() override {
        launcher_.Reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
        DeleteFileW(out_.c_str());
    }
    static void SetDirectory(HKEY key, const std::wstring& dir) {
        RegSetValueExW(key, L"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(dir.c_str()),
                       static_cast<DWORD>((dir.size() + 1) * sizeof(wchar_t)));
    }
    void Settings(short keyType, const wchar_t* path, const wchar_t* argument) {
        Bstr key(kTestKey), value(L"InstallDir"), reg1(L"first parameter"), reg2(L"second"),
            addPath(path), addArg(argument);
        ASSERT_EQ(launcher_->SetRegInfo(keyType, key.get(), value.get()), S_OK);
        ASSERT_EQ(launcher_->SetRegParam(reg1.get(), reg2.get()), S_OK);
        ASSERT_EQ(launcher_->AddPathName(addPath.get()), S_OK);
        ASSERT_EQ(launcher_->AddParmeter(addArg.get()), S_OK);
    }
    std::string ParamData(HKEY root, const char* key, const char* name, DWORD* size) {
        RegKey k;
        if (k.OpenA(root, key, KEY_QUERY_VALUE) != ERROR_SUCCESS) return "<no key>";
        std::vector<char> data(8192);
        *size = static_cast<DWORD>(data.size());
        if (RegQueryValueExA(k.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                             size) != ERROR_SUCCESS) {
            return "<no value>";
        }
        return std::string(data.data());
    }

    std::wstring game_;
    std::wstring installDir_ = L"C:\\VarnokTest\\Program Files\\Game";
    std::wstring out_;
    ComPtr<IQuellisLauncherVistaPlay> launcher_;
};

TEST_F(Launch, GameStartsByItsFullNameWithTheComposedCommandLine) {
    Settings(1, L"\\Game.exe", L"-x");
    LONG result = 77;
    ASSERT_EQ(launcher_->ExecuteWin(&result), S_OK);
    EXPECT_EQ(result, 77) << "a successful start leaves the result as it was";
    const std::string record = WaitForRecord(out_);
    EXPECT_EQ(Line(record, "cmdline"), "C:\\VarnokTest\\Program Files\\Game\\Game.exe -x");
    EXPECT_EQ(Line(record, "module"), "C:\\VarnokTest\\Program Files\\Game\\Game.exe")
        << "the planted C:\\VarnokTest\\Program.exe must not run";
    EXPECT_EQ(Line(record, "C_Param"), "first parameter|2048");
    EXPECT_EQ(Line(record, "R_Param"), "second|2048");
    EXPECT_EQ(record.find("module=", record.find("module=") + 1), std::string::npos)
        << "exactly one program started";
}

// Only an absolute local installation directory starts a program; every other value would let
// the system find one below the current drive or folder, on a share or through a device path.
TEST_F(Launch, OnlyAnAbsoluteLocalDirectoryStartsTheGame) {
    testing_support::PlantedGames planted(game_);
    ASSERT_TRUE(planted.ok());
    RegKey key;
    ASSERT_EQ(key.OpenW(HKEY_CURRENT_USER, kTestKey, KEY_SET_VALUE), ERROR_SUCCESS);
    Settings(1, L"\\Game.exe", L"-x");
    DWORD size = 0;
    for (const wchar_t* dir : testing_support::kUnsafeInstallDirs) {
        SCOPED_TRACE("InstallDir '" + fw::WideToNarrow(dir, CP_UTF8) + "'");
        SetDirectory(key.get(), dir);
        LONG result = 0;
        EXPECT_EQ(launcher_->ExecuteWin(&result), S_FALSE);
        EXPECT_EQ(result, 2);
        EXPECT_EQ(ParamData(HKEY_CURRENT_USER, kTestKeyA, "C_Param", &size), "<no value>");
    }
    SetDirectory(key.get(), testing_support::PlantedGames::kInstallDir);
    LONG result = 0;
    EXPECT_EQ(launcher_->ExecuteWin(&result), S_OK);
    EXPECT_EQ(result, 0);
    // A program started by an earlier launch has had the time this one took to record itself.
    const std::string record =
        WaitForRecord(out_, std::string("module=") + testing_support::PlantedGames::kInstalledGame);
    EXPECT_EQ(Line(record, "module"), testing_support::PlantedGames::kInstalledGame) << record;
    EXPECT_EQ(record.find("module=", record.find("module=") + 1), std::string::npos) << record;
}

TEST_F(Launch, NoSeparatorIsAddedAndAnEmptyArgumentLeavesATrailingBlank) {
    RegKey key;
    ASSERT_EQ(key.OpenW(HKEY_CURRENT_USER, kTestKey, KEY_SET_VALUE), ERROR_SUCCESS);
    SetDirectory(key.get(), installDir_ + L"\\");
    Bstr k(kTestKey), v(L"InstallDir"), p(L"Game.exe");
    ASSERT_EQ(launcher_->SetRegInfo(1, k.get(), v.get()), S_OK);
    ASSERT_EQ(launcher_->AddPathName(p.get()), S_OK);
    LONG result = 0;
    ASSERT_EQ(launcher_->ExecuteWin(&result), S_OK);
    EXPECT_EQ(Line(WaitForRecord(out_), "cmdline"),
              "C:\\VarnokTest\\Program Files\\Game\\Game.exe ");
}

TEST_F(Launch, RegistryFailuresStopBeforeAnythingIsWrittenOrStarted) {
    Bstr missing(L"Software\\VarnokLauncherTest\\Missing"), value(L"InstallDir"),
        noValue(L"NoSuchValue"), key(kTestKey), path(L"\\Game.exe");
    ASSERT_EQ(launcher_->AddPathName(path.get()), S_OK);
    LONG result = 0;
    ASSERT_EQ(launcher_->SetRegInfo(1, missing.get(), value.get()), S_OK);
    EXPECT_EQ(launcher_->ExecuteWin(&result), S_FALSE);
    EXPECT_EQ(result, 1);
    ASSERT_EQ(launcher_->SetRegInfo(1, key.get(), noValue.get()), S_OK);
    EXPECT_EQ(launcher_->ExecuteWin(&result), S_FALSE);
    EXPECT_EQ(result, 2);
    DWORD size = 0;
    EXPECT_EQ(ParamData(HKEY_CURRENT_USER, kTestKeyA, "C_Param", &size), "<no value>");
    // Key types other than 0 and 1 mean the local machine, where the key does not exist.
    for (short type : {2, 7, -1, 0}) {
        SCOPED_TRACE(testing::Message() << "key type " << type);
        ASSERT_EQ(launcher_->SetRegInfo(type, key.get(), value.get()), S_OK);
        EXPECT_EQ(launcher_->ExecuteWin(&result), S_FALSE);
        EXPECT_EQ(result, 1);
    }
    Sleep(500);
    EXPECT_EQ(ReadFileText(out_), "") << "nothing started";
}

// The three values the launches write hold a page's texts: named as the installation directory,
// in any case, they start nothing even when they hold a real one.
TEST_F(Launch, LaunchOutputValuesNeverNameTheInstallationDirectory) {
    Settings(1, L"\\Game.exe", L"-x");
    RegKey key;
    ASSERT_EQ(key.OpenW(HKEY_CURRENT_USER, kTestKey, KEY_SET_VALUE), ERROR_SUCCESS);
    Bstr keyPath(kTestKey);
    for (const wchar_t* name : {L"C_Param", L"r_param", L"A_PARAM"}) {
        SCOPED_TRACE(fw::WideToNarrow(name, CP_UTF8));
        ASSERT_EQ(RegSetValueExW(key.get(), name, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(installDir_.c_str()),
                                 static_cast<DWORD>((installDir_.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        Bstr value(name);
        ASSERT_EQ(launcher_->SetRegInfo(1, keyPath.get(), value.get()), S_OK);
        LONG result = 0;
        EXPECT_EQ(launcher_->ExecuteWin(&result), S_FALSE);
        EXPECT_EQ(result, 2);
    }
    Sleep(500);
    EXPECT_EQ(ReadFileText(out_), "") << "nothing started";
}

TEST_F(Launch, ProgramThatCannotStartGivesNineAfterTheValuesAreWritten) {
    Settings(1, L"\\NoSuchGame.exe", L"-x");
    LONG result = 0;
    EXPECT_EQ(launcher_->ExecuteWin(&result), S_OK);
    EXPECT_EQ(result, 9);
    DWORD size = 0;
    EXPECT_EQ(ParamData(HKEY_CURRENT_USER, kTestKeyA, "C_Param", &size), "first parameter");
    EXPECT_EQ(size, 2048u);
}

TEST_F(Launch, TooLongCommandLineStartsNothing) {
    Settings(1, L"\\Game.exe", std::wstring(250, L'a').c_str());
    LONG result = 0;
    EXPECT_EQ(launcher_->ExecuteWin(&result), S_OK);
    EXPECT_EQ(result, 9);
    Sleep(500);
    EXPECT_EQ(ReadFileText(out_), "");
}

TEST_F(Launch, BoardGameFromTheSystemFolderEmptiesPathAndArgument) {
    // 32-bit programs see the 32-bit system folder under the name system32.
    ASSERT_TRUE(CopyFileW(game_.c_str(), L"C:\\windows\\system32\\varnok_board.exe", FALSE));
    Settings(1, L"varnok_board.exe", L"arg");
    LONG result = 0;
    EXPECT_EQ(launcher_->ExecuteWinBoardGame(&result), S_OK);
    EXPECT_EQ(result, 0);
    const std::string record = WaitForRecord(out_);
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(Line(record, "cmdline"), std::string(windows) + "\\system32\\varnok_board.exe arg");
    EXPECT_EQ(Line(record, "A_Param"), "arg|256");
    // The path and argument are gone: the second launch names the folder itself.
    EXPECT_EQ(launcher_->ExecuteWinBoardGame(&result), S_OK);
    EXPECT_EQ(result, 9);
    DWORD size = 0;
    EXPECT_EQ(ParamData(HKEY_CURRENT_USER, kTestKeyA, "A_Param", &size), "");
    EXPECT_EQ(size, 256u);
    DeleteFileW(L"C:\\windows\\system32\\varnok_board.exe");
}

TEST_F(Launch, BoardGameWithAMissingUserKeyWritesBelowTheLocalMachine) {
    const char machineKey[] = "Software\\VarnokLauncherTest\\Board";
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, machineKey);
    Bstr key(L"Software\\VarnokLauncherTest\\Board"), value(L"x"), reg1(L"one"), reg2(L"two"),
        arg(L"a");
    ASSERT_EQ(launcher_->SetRegInfo(1, key.get(), value.get()), S_OK);
    ASSERT_EQ(launcher_->SetRegParam(reg1.get(), reg2.get()), S_OK);
    ASSERT_EQ(launcher_->AddParmeter(arg.get()), S_OK);
    LONG result = 0;
    EXPECT_EQ(launcher_->ExecuteWinBoardGame(&result), S_OK);
    DWORD size = 0;
    EXPECT_EQ(ParamData(HKEY_LOCAL_MACHINE, machineKey, "C_Param", &size), "one");
    EXPECT_EQ(ParamData(HKEY_LOCAL_MACHINE, machineKey, "R_Param", &size), "two");
    EXPECT_EQ(ParamData(HKEY_LOCAL_MACHINE, machineKey, "A_Param", &size), "a");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\VarnokLauncherTest\\Board"));
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\VarnokLauncherTest");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\VarnokLauncherTest");
}

TEST_F(Launch, SettingsAccumulateAndRefuseWhatDoesNotFit) {
    MessageBoxWatcher watcher;
    Bstr a(L"\\Ga"), b(L"me.exe"), nullText;
    ASSERT_EQ(launcher_->AddPathName(a.get()), S_OK);
    ASSERT_EQ(launcher_->AddPathName(b.get()), S_OK);
    ASSERT_EQ(launcher_->AddParmeter(nullText.get()), S_OK);
    Bstr up(L"\\..\\Program.exe"), colon(L"C:\\x.exe");
    EXPECT_EQ(launcher_->AddPathName(up.get()), S_FALSE);
    EXPECT_EQ(launcher_->AddPathName(colon.get()), S_FALSE);
    Bstr tooLong(std::wstring(256, L'p').c_str());
    EXPECT_EQ(launcher_->AddParmeter(tooLong.get()), S_FALSE);
    ASSERT_TRUE(watcher.WaitFor(3, 5000));
    const auto boxes = watcher.Seen();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, L"The PathName Parameter is invalid.");
    EXPECT_EQ(boxes[1].text, L"The PathName Parameter is invalid.");
    EXPECT_EQ(boxes[2].text, L"The Parameter is invalid.");

    // The refusals changed nothing: the path is still "\Game.exe", the argument empty.
    Bstr key(kTestKey), value(L"InstallDir"), nullKey;
    ASSERT_EQ(launcher_->SetRegInfo(1, key.get(), value.get()), S_OK);
    // A null key text keeps the key path; the value name still changes.
    ASSERT_EQ(launcher_->SetRegInfo(1, nullKey.get(), value.get()), S_OK);
    LONG result = 0;
    ASSERT_EQ(launcher_->ExecuteWin(&result), S_OK);
    EXPECT_EQ(Line(WaitForRecord(out_), "cmdline"),
              "C:\\VarnokTest\\Program Files\\Game\\Game.exe ");
}

TEST_F(Launch, FieldLimitsAndHostileTexts) {
    MessageBoxWatcher watcher;
    Bstr exact(std::wstring(255, L'p').c_str());
    EXPECT_EQ(launcher_->AddParmeter(exact.get()), S_OK);
    Bstr one(L"q");
    EXPECT_EQ(launcher_->AddParmeter(one.get()), S_FALSE) << "the whole text would pass 255 bytes";
    ASSERT_TRUE(watcher.WaitFor(1, 5000));
    EXPECT_EQ(watcher.Seen()[0].text, L"The Parameter is invalid.");

    // A megabyte, embedded NULs and unpaired surrogates never pass a field.
    std::wstring huge(1 << 20, L'z');
    Bstr big(SysAllocStringLen(huge.data(), static_cast<UINT>(huge.size())));
    Bstr odd(SysAllocStringLen(L"ab\0cd\xD800\xDC00\xDFFF", 8));
    EXPECT_EQ(launcher_->SetRegParam(big.get(), odd.get()), S_OK);
    Bstr key(kTestKey), value(L"InstallDir");
    EXPECT_EQ(launcher_->SetRegInfo(1, key.get(), value.get()), S_OK);
    LONG result = 0;
    EXPECT_EQ(launcher_->ExecuteWinBoardGame(&result), S_OK);  // writes the fields, starts nothing
    DWORD size = 0;
    EXPECT_EQ(ParamData(HKEY_CURRENT_USER, kTestKeyA, "C_Param", &size), std::string(2047, 'z'));
    EXPECT_EQ(size, 2048u);
    EXPECT_EQ(ParamData(HKEY_CURRENT_USER, kTestKeyA, "R_Param", &size), "ab");

    // A key path too long for its field is refused rather than cut to another key's name.
    Bstr longKey((std::wstring(kTestKey) + L"\\" + std::wstring(300, L'k')).c_str());
    EXPECT_EQ(launcher_->SetRegInfo(1, longKey.get(), value.get()), S_OK);
    result = 0;
    EXPECT_EQ(launcher_->ExecuteWin(&result), S_FALSE);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(watcher.Seen().size(), 1u) << "no other message";
}

TEST(LauncherObject, InstancesKeepTheirOwnSettingsAndTestMethodsDoNothing) {
    auto first = CreateLauncher();
    auto second = CreateLauncher();
    ASSERT_TRUE(first && second);
    RegKey key;
    ASSERT_EQ(key.CreateW(HKEY_CURRENT_USER, kTestKey), ERROR_SUCCESS);
    Bstr k(kTestKey), v(L"InstallDir"), missing(L"Software\\VarnokLauncherTest\\Missing");
    ASSERT_EQ(first->SetRegInfo(1, k.get(), v.get()), S_OK);
    ASSERT_EQ(second->SetRegInfo(1, missing.get(), v.get()), S_OK);
    LONG result = 0;
    EXPECT_EQ(first->ExecuteWin(&result), S_FALSE);
    EXPECT_EQ(result, 2) << "the first instance keeps its own key (present, no value)";
    EXPECT_EQ(second->ExecuteWin(&result), S_FALSE);
    EXPECT_EQ(result, 1) << "the second one keeps its missing key";
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);

    result = 42;
    Bstr any(L"any");
    EXPECT_EQ(first->TestMethod(any.get(), 7, &result), S_OK);
    EXPECT_EQ(first->RealMethod(nullptr, -1, &result), S_OK);
    EXPECT_EQ(result, 42);

    ComPtr<ISupportErrorInfo> errors;
    ASSERT_EQ(first.As(errors), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_IQuellisLauncherVistaPlay), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    ComPtr<IConnectionPointContainer> none;
    EXPECT_EQ(first.As(none), E_NOINTERFACE);
    ComPtr<IOleObject> ole;
    ASSERT_EQ(first.As(ole), S_OK);
    DWORD misc = 0;
    EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
    EXPECT_EQ(misc, 0x20191u);
}

TEST(LauncherObject, PersistsOnlyItsExtentAndLoadingKeepsTheSettings) {
    auto launcher = CreateLauncher();
    ASSERT_TRUE(launcher);
    ComPtr<IPersistPropertyBag> bag;
    EXPECT_EQ(launcher.As(bag), E_NOINTERFACE);
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(launcher.As(persist), S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    ASSERT_EQ(persist->Save(stream.get(), TRUE), S_OK);
    HGLOBAL memory = nullptr;
    ASSERT_EQ(GetHGlobalFromStream(stream.get(), &memory), S_OK);
    const size_t size = GlobalSize(memory);
    const auto* bytes = static_cast<const char*>(GlobalLock(memory));
    const std::string saved(bytes, size);
    GlobalUnlock(memory);
    auto has = [&saved](const wchar_t* name) {
        const std::string utf16(reinterpret_cast<const char*>(name), wcslen(name) * sizeof(wchar_t));
        return saved.find(utf16) != std::string::npos;
    };
    EXPECT_TRUE(has(L"_cx"));
    EXPECT_TRUE(has(L"_cy"));
    EXPECT_FALSE(has(L"_Version"));
    EXPECT_FALSE(has(L"_ExtentX"));
    EXPECT_FALSE(has(L"_StockProps"));
    EXPECT_FALSE(has(L"Software"));

    // Loading state into an instance with settings leaves the settings as they were.
    RegKey key;
    ASSERT_EQ(key.CreateW(HKEY_CURRENT_USER, kTestKey), ERROR_SUCCESS);
    auto other = CreateLauncher();
    Bstr k(kTestKey), v(L"InstallDir");
    ASSERT_EQ(other->SetRegInfo(1, k.get(), v.get()), S_OK);
    ComPtr<IPersistStreamInit> otherPersist;
    ASSERT_EQ(other.As(otherPersist), S_OK);
    LARGE_INTEGER zero{};
    ASSERT_EQ(stream->Seek(zero, STREAM_SEEK_SET, nullptr), S_OK);
    ASSERT_EQ(otherPersist->Load(stream.get()), S_OK);
    LONG result = 0;
    EXPECT_EQ(other->ExecuteWin(&result), S_FALSE);
    EXPECT_EQ(result, 2) << "still the page's key, which has no directory value";
    key.Close();
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
}

TEST(LauncherTypeLibrary, InterfaceMethodsAndParameters) {
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(LoadRegTypeLib(LIBID_QuellisLauncherLib, 1, 0, 0x0409, lib.put()), S_OK);
    Bstr name, doc;
    ASSERT_EQ(lib->GetDocumentation(-1, name.put(), doc.put(), nullptr, nullptr), S_OK);
    EXPECT_STREQ(name.get(), L"QuellisLauncherLib");
    EXPECT_STREQ(doc.get(), L"TorvaneLauncher 1.0 Type Library");

    ComPtr<ITypeInfo> cls;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(CLSID_QuellisLauncherVistaPlay, cls.put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(cls->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCONTROL);
    EXPECT_EQ(attr->cImplTypes, 1);
    cls->ReleaseTypeAttr(attr);
    ASSERT_EQ(cls->GetDocumentation(MEMBERID_NIL, name.put(), doc.put(), nullptr, nullptr), S_OK);
    EXPECT_STREQ(name.get(), L"QuellisLauncherVistaPlay");
    EXPECT_STREQ(doc.get(), L"TorvaneLauncher ActiveX Control");

    // A dual interface is found as its dispatch view; its vtable view holds the methods.
    ComPtr<ITypeInfo> disp;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(IID_IQuellisLauncherVistaPlay, disp.put()), S_OK);
    ASSERT_EQ(disp->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    disp->ReleaseTypeAttr(attr);
    HREFTYPE vtable = 0;
    ASSERT_EQ(disp->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable), S_OK);
    ComPtr<ITypeInfo> itf;
    ASSERT_EQ(disp->GetRefTypeInfo(vtable, itf.put()), S_OK);
    ASSERT_EQ(itf->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FNONEXTENSIBLE);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    EXPECT_EQ(attr->cFuncs, 12);
    itf->ReleaseTypeAttr(attr);
    ASSERT_EQ(itf->GetDocumentation(MEMBERID_NIL, name.put(), doc.put(), nullptr, nullptr), S_OK);
    EXPECT_STREQ(doc.get(), L"ITorvaneLauncherVistaPlay Interface");

    struct Method {
        const wchar_t* name;
        std::vector<std::pair<const wchar_t*, VARTYPE>> params;  // VT_BYREF|VT_I4 for the retval
    } methods[] = {
        {L"TestMethod", {{L"strTestParam", VT_BSTR}, {L"ITestParam", VT_I4}, {L"IReturn", VT_PTR}}},
        {L"RealMethod", {{L"strTestParam", VT_BSTR}, {L"ITestParam", VT_I4}, {L"IReturn", VT_PTR}}},
        {L"SetRegInfo", {{L"i_KeyType", VT_I2}, {L"i_strRegKey", VT_BSTR}, {L"i_strValueName", VT_BSTR}}},
        {L"SetRegParam", {{L"i_bstrReg1", VT_BSTR}, {L"i_bstrReg2", VT_BSTR}}},
        {L"AddPathName", {{L"i_bstrAddPath", VT_BSTR}}},
        {L"AddParmeter", {{L"i_bstrParam", VT_BSTR}}},
        {L"Execute", {{L"IReturn", VT_PTR}}},
        {L"ExecuteVista", {{L"IReturn", VT_PTR}}},
        {L"ExecuteWin", {{L"IReturn", VT_PTR}}},
        {L"ExecuteBoardGame", {{L"IReturn", VT_PTR}}},
        {L"ExecuteVistaBoardGame", {{L"IReturn", VT_PTR}}},
        {L"ExecuteWinBoardGame", {{L"IReturn", VT_PTR}}},
    };
    for (UINT i = 0; i < 12; ++i) {
        FUNCDESC* func = nullptr;
        ASSERT_EQ(itf->GetFuncDesc(i, &func), S_OK);
        const MEMBERID memid = func->memid;
        EXPECT_EQ(memid, static_cast<MEMBERID>(i + 1));
        EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_HRESULT);
        ASSERT_EQ(func->cParams, static_cast<SHORT>(methods[i].params.size())) << methods[i].name;
        for (SHORT p = 0; p < func->cParams; ++p) {
            const ELEMDESC& e = func->lprgelemdescParam[p];
            EXPECT_EQ(e.tdesc.vt, methods[i].params[p].second) << methods[i].name << " " << p;
            const USHORT flags = e.paramdesc.wParamFlags;
            if (methods[i].params[p].second == VT_PTR) {
                EXPECT_EQ(e.tdesc.lptdesc->vt, VT_I4);
                EXPECT_TRUE((flags & PARAMFLAG_FOUT) && (flags & PARAMFLAG_FRETVAL));
            } else {
                EXPECT_TRUE(flags & PARAMFLAG_FIN);
            }
        }
        itf->ReleaseFuncDesc(func);
        BSTR names[4] = {};
        UINT got = 0;
        ASSERT_EQ(itf->GetNames(memid, names, 4, &got), S_OK);
        EXPECT_STREQ(names[0], methods[i].name);
        for (UINT n = 1; n < got; ++n) {
            EXPECT_STREQ(names[n], methods[i].params[n - 1].first);
        }
        for (UINT n = 0; n < got; ++n) SysFreeString(names[n]);
        ASSERT_EQ(itf->GetDocumentation(memid, nullptr, doc.put(), nullptr, nullptr), S_OK);
        EXPECT_EQ(std::wstring(doc.get()), std::wstring(L"method ") + methods[i].name);
    }
}

TEST(LauncherProxy, SecondInstanceInTheSurrogateIsReachedThroughTheProxy) {
    auto remote = CreateLauncher(CLSCTX_LOCAL_SERVER);
    ASSERT_TRUE(remote);
    Bstr missing(L"Software\\VarnokLauncherTest\\NotThere"), value(L"v");
    ASSERT_EQ(remote->SetRegInfo(1, missing.get(), value.get()), S_OK);
    LONG result = 0;
    EXPECT_EQ(remote->ExecuteWin(&result), S_FALSE);
    EXPECT_EQ(result, 1) << "the result comes back through the marshalled pointer";
    result = 5;
    EXPECT_EQ(remote->TestMethod(nullptr, 0, &result), S_OK);
}

}  // namespace
