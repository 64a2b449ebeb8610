// The elevated launch end to end under Wine: the test prefix's elevation provider stands in for
// the system's prompt, the elevated instance runs in the COM surrogate and is driven through the
// launcher's own proxy/stub.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <iterator>
#include <string>
#include <vector>

#include "VarnokLauncher.h"
#include "com_test.h"
#include "dll_class.h"
#include "launcher_ctrl.h"
#include "msgbox_watcher.h"
#include "page_site.h"
#include "planted_games.h"
#include "raii.h"
#include "text.h"

using fw::Bstr;
using fw::ComPtr;
using fw::RegKey;

namespace {

const wchar_t kKey[] = L"Software\\VarnokElevationTest";
const char kKeyA[] = "Software\\VarnokElevationTest";
const wchar_t kProviderKey[] = L"Software\\VarnokElevationProvider";

using testing_support::EndSurrogates;
using testing_support::ReadFileText;

std::string Line(const std::string& record, const std::string& name, size_t from = 0) {
    const size_t at = record.find(name + "=", from);
    if (at == std::string::npos) return "<absent>";
    const size_t end = record.find('\n', at);
    return record.substr(at + name.size() + 1, end - at - name.size() - 1);
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class Elevation : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        record_ = std::wstring(temp) + L"varnok_elevated_game.txt";
        prompt_ = std::wstring(temp) + L"varnok_prompt.txt";
        DeleteFileW(record_.c_str());
        DeleteFileW(prompt_.c_str());
        SetEnvironmentVariableW(L"SAMPLE_GAME_OUT", record_.c_str());
        SetEnvironmentVariableW(L"SAMPLE_GAME_KEY", (std::wstring(L"HKCU\\") + kKey).c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, kProviderKey);
        ProviderSetting(L"Record", prompt_);
        game_ = L"Z:" + fw::NarrowToWide(SAMPLE_GAME_EXE, CP_ACP);
        for (auto& c : game_) {
            if (c == L'/') c = L'\\';
        }
        CreateDirectoryW(L"C:\\VarnokElevated", nullptr);
        ASSERT_TRUE(CopyFileW(game_.c_str(), L"C:\\VarnokElevated\\Game.exe", FALSE));
        ASSERT_TRUE(CopyFileW(game_.c_str(), L"C:\\windows\\system32\\varnok_elev_board.exe", FALSE));
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        RegKey key;
        ASSERT_EQ(key.CreateW(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
        const wchar_t dir[] = L"C:\\VarnokElevated";
        ASSERT_EQ(RegSetValueExW(key.get(), L"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(dir),
                                 sizeof dir),
                  ERROR_SUCCESS);
        ASSERT_EQ(CoCreateInstance(CLSID_QuellisLauncherVistaPlay, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IQuellisLauncherVistaPlay, launcher_.put_void()),
                  S_OK);
    }
    void TearDown() override {
        launcher_.Reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
        DeleteFileW(L"C:\\windows\\system32\\varnok_elev_board.exe");
        RegDeleteTreeW(HKEY_CURRENT_USER, kProviderKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, kProviderKey);
    }
    // What the test prefix's elevation provider does at the next request.
    static void ProviderSetting(const wchar_t* name, const std::wstring& value) {
        RegKey key;
        ASSERT_EQ(key.CreateW(HKEY_CURRENT_USER, kProviderKey), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key.get(), name, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    void Settings(short keyType, const wchar_t* path, const wchar_t* arg) {
        Bstr key(kKey), value(L"InstallDir"), reg1(L"elevated one"), reg2(L"elevated two"),
            p(path), a(arg);
        ASSERT_EQ(launcher_->SetRegInfo(keyType, key.get(), value.get()), S_OK);
        ASSERT_EQ(launcher_->SetRegParam(reg1.get(), reg2.get()), S_OK);
        ASSERT_EQ(launcher_->AddPathName(p.get()), S_OK);
        ASSERT_EQ(launcher_->AddParmeter(a.get()), S_OK);
    }
    // Waits for `starts` records, or for `starts` records holding `what`.
    std::string WaitForRecord(size_t starts, const std::string& what = "A_Param=") {
        for (int i = 0; i < 200; ++i) {
            const std::string text = ReadFileText(record_);
            if (Count(text, what) >= starts) return text;
            Sleep(100);
        }
        return ReadFileText(record_);
    }
    bool ParamWritten() {
        RegKey key;
        if (key.OpenA(HKEY_CURRENT_USER, kKeyA, KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
        return RegQueryValueExA(key.get(), "C_Param", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    std::wstring game_, record_, prompt_;
    ComPtr<IQuellisLauncherVistaPlay> launcher_;
};

TEST(ElevationRequest, MonikerNameAndBindOptions) {
    const std::wstring name = ElevationMonikerName();
    EXPECT_EQ(name, L"Elevation:Administrator!new:" + fw::GuidToString(CLSID_QuellisLauncherVistaPlay));
    EXPECT_EQ(name.size(), 66u);
    const BIND_OPTS3 options = ElevationBindOptions();
    EXPECT_EQ(options.cbStruct, 36u);
    EXPECT_EQ(options.dwClassContext, static_cast<DWORD>(CLSCTX_LOCAL_SERVER));
    EXPECT_EQ(options.grfFlags, 0u);
    EXPECT_EQ(options.grfMode, 0u);
    EXPECT_EQ(options.dwTickCountDeadline, 0u);
    EXPECT_EQ(options.dwTrackFlags, 0u);
    EXPECT_EQ(options.locale, 0u);
    EXPECT_EQ(options.pServerInfo, nullptr);
    EXPECT_EQ(options.hwnd, nullptr);
}

TEST_F(Elevation, GameStartsFromTheSurrogateAndTheResultComesBack) {
    Settings(1, L"\\Game.exe", L"-e");
    LONG result = 55;
    ASSERT_EQ(launcher_->Execute(&result), S_OK);
    EXPECT_EQ(result, 0);
    const std::string record = WaitForRecord(1);
    EXPECT_EQ(Line(record, "cmdline"), "C:\\VarnokElevated\\Game.exe -e");
    EXPECT_EQ(Line(record, "parent"), "dllhost.exe") << "started by the elevated instance";
    EXPECT_EQ(Line(record, "C_Param"), "elevated one|2048");
    EXPECT_NE(ReadFileText(prompt_).find("prompt VarnokLauncher"), std::string::npos)
        << ReadFileText(prompt_);

    // A missing key: the elevated instance's result reaches this one.
    Bstr missing(L"Software\\VarnokElevationTest\\Missing"), value(L"InstallDir");
    ASSERT_EQ(launcher_->SetRegInfo(1, missing.get(), value.get()), S_OK);
    result = 0;
    EXPECT_EQ(launcher_->ExecuteVista(&result), S_OK);
    EXPECT_EQ(result, 1);
    // Key type 5 means the local machine there too, where the key does not exist.
    Bstr key(kKey);
    ASSERT_EQ(launcher_->SetRegInfo(5, key.get(), value.get()), S_OK);
    result = 0;
    EXPECT_EQ(launcher_->ExecuteVista(&result), S_OK);
    EXPECT_EQ(result, 1);
}

// The elevated instance refuses what the direct launch refuses, and its result comes back.
TEST_F(Elevation, OnlyAnAbsoluteLocalDirectoryStartsTheGame) {
    testing_support::PlantedGames planted(game_);
    ASSERT_TRUE(planted.ok());
    EndSurrogates();  // the next surrogates start in this process's current folder
    RegKey key;
    ASSERT_EQ(key.OpenW(HKEY_CURRENT_USER, kKey, KEY_SET_VALUE), ERROR_SUCCESS);
    auto setDir = [&key](const std::wstring& dir) {
        return RegSetValueExW(key.get(), L"InstallDir", 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(dir.c_str()),
                              static_cast<DWORD>((dir.size() + 1) * sizeof(wchar_t)));
    };
    Settings(1, L"\\Game.exe", L"-e");
    for (const wchar_t* dir : testing_support::kUnsafeInstallDirs) {
        SCOPED_TRACE("InstallDir '" + fw::WideToNarrow(dir, CP_UTF8) + "'");
        ASSERT_EQ(setDir(dir), ERROR_SUCCESS);
        LONG result = 0;
        EXPECT_EQ(launcher_->ExecuteVista(&result), S_OK);
        EXPECT_EQ(result, 2);
        EXPECT_FALSE(ParamWritten());
    }
    ASSERT_EQ(setDir(testing_support::PlantedGames::kInstallDir), ERROR_SUCCESS);
    LONG result = 0;
    EXPECT_EQ(launcher_->ExecuteVista(&result), S_OK);
    EXPECT_EQ(result, 0);
    // A program started by an earlier launch has had the time this one took to record itself.
    const std::string record =
        WaitForRecord(1, std::string("module=") + testing_support::PlantedGames::kInstalledGame);
    EXPECT_EQ(Line(record, "module"), testing_support::PlantedGames::kInstalledGame) << record;
    EXPECT_EQ(Line(record, "parent"), "dllhost.exe");
    EXPECT_EQ(Count(record, "module="), 1u) << record;
}

// A path the page's code page holds whole but the elevated instance's reads as "..": its refusal
// (a box in the surrogate) ends the launch as a refused setting ends the direct one.
TEST_F(Elevation, SettingTheElevatedInstanceRefusesStopsTheLaunch) {
    ASSERT_TRUE(SetThreadLocale(MAKELCID(0x0411, SORT_DEFAULT)));  // code page 932 here
    Settings(1, L"\\\uFF0E\uFF0E\\Game.exe", L"-e");
    testing_support::MessageBoxWatcher boxes(L"Error");
    LONG result = 77;
    EXPECT_EQ(launcher_->ExecuteVista(&result), S_FALSE);
    SetThreadLocale(LOCALE_USER_DEFAULT);
    EXPECT_EQ(result, 1);
    ASSERT_TRUE(boxes.WaitFor(1, 5000));
    EXPECT_EQ(boxes.Seen()[0].text, L"The PathName Parameter is invalid.");
    Sleep(1000);
    EXPECT_FALSE(ParamWritten());
    EXPECT_EQ(ReadFileText(record_), "");
}

TEST_F(Elevation, DeclinedPromptWritesAndStartsNothing) {
    ProviderSetting(L"Decline", L"1");
    Settings(1, L"\\Game.exe", L"-e");
    LONG result = 33;
    EXPECT_EQ(launcher_->ExecuteVista(&result), S_FALSE);
    EXPECT_EQ(result, 33) << "the result is left as it was";
    EXPECT_EQ(launcher_->Execute(&result), S_OK);
    EXPECT_EQ(result, 0);
    Sleep(1000);
    EXPECT_FALSE(ParamWritten());
    EXPECT_EQ(ReadFileText(record_), "");
}

TEST_F(Elevation, BoardGameKeepsTheLocalSettingsForASecondLaunch) {
    Settings(1, L"varnok_elev_board.exe", L"b");
    LONG result = 0;
    EXPECT_EQ(launcher_->ExecuteVistaBoardGame(&result), S_OK);
    EXPECT_EQ(launcher_->ExecuteBoardGame(&result), S_OK);
    EXPECT_EQ(result, 0);
    const std::string record = WaitForRecord(2);
    ASSERT_EQ(Count(record, "cmdline="), 2u) << record;
    const size_t second = record.find("cmdline=", record.find("cmdline=") + 1);
    EXPECT_EQ(Line(record, "cmdline"), Line(record, "cmdline", second));
    EXPECT_NE(Line(record, "cmdline").find("\\system32\\varnok_elev_board.exe b"), std::string::npos);
    EXPECT_EQ(Line(record, "A_Param"), "b|256");
}

TEST_F(Elevation, ClassWithoutElevationEntryIsRefused) {
    const std::wstring elevationKey =
        L"CLSID\\" + fw::GuidToString(CLSID_QuellisLauncherVistaPlay) + L"\\Elevation";
    ASSERT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, elevationKey.c_str()), ERROR_SUCCESS);
    Settings(1, L"\\Game.exe", L"");
    LONG result = 0;
    EXPECT_EQ(launcher_->ExecuteVista(&result), S_FALSE);
    RegKey restore;
    ASSERT_EQ(restore.CreateW(HKEY_CLASSES_ROOT, elevationKey.c_str()), ERROR_SUCCESS);
    const DWORD enabled = 1;
    ASSERT_EQ(RegSetValueExW(restore.get(), L"Enabled", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&enabled), sizeof enabled),
              ERROR_SUCCESS);
    EXPECT_FALSE(ParamWritten());
}

TEST_F(Elevation, LaunchCallThatNeverArrivesIsReportedAsNotStarted) {
    ProviderSetting(L"Broken", L"1");
    Settings(1, L"\\Game.exe", L"");
    LONG result = 0;
    EXPECT_EQ(launcher_->ExecuteVista(&result), S_OK);
    EXPECT_EQ(result, 9);
}

TEST_F(Elevation, LongestTextsArriveAsTheLocalInstanceHoldsThem) {
    // The longest texts the settings accept, and a character the code page cannot hold (held
    // locally as the conversion's default character).
    const std::wstring reg1 = std::wstring(2046, L'c') + L"\u4E2D";
    const std::wstring reg2(2047, L'r');
    const std::wstring arg(255 - 27, L'a');
    Bstr key(kKey), value(L"InstallDir"), r1(reg1.c_str()), r2(reg2.c_str()), path(L"\\Game.exe"),
        a(arg.c_str());
    ASSERT_EQ(launcher_->SetRegInfo(1, key.get(), value.get()), S_OK);
    ASSERT_EQ(launcher_->SetRegParam(r1.get(), r2.get()), S_OK);
    ASSERT_EQ(launcher_->AddPathName(path.get()), S_OK);
    ASSERT_EQ(launcher_->AddParmeter(a.get()), S_OK);
    LONG result = 0;
    ASSERT_EQ(launcher_->ExecuteVista(&result), S_OK);
    EXPECT_EQ(result, 0);
    const std::string record = WaitForRecord(1);
    EXPECT_EQ(Line(record, "C_Param"), std::string(2046, 'c') + "?|2048");
    EXPECT_EQ(Line(record, "R_Param"), std::string(2047, 'r') + "|2048");
    EXPECT_EQ(Line(record, "cmdline"), "C:\\VarnokElevated\\Game.exe " + std::string(arg.size(), 'a'));
}

// The machine launch policy, as a portal's installer writes it, on both roads: the direct launch
// in this process and the elevated one in the surrogate.
class LaunchPolicy : public Elevation {
protected:
    // OtherView: a policy that would allow nothing, in the 64-bit registry view only.
    enum class Policy { None, Folders, Names, OtherName, Empty, OtherView };

    void SetUp() override {
        Elevation::SetUp();
        // A game outside every listed installation directory.
        CreateDirectoryW(L"C:\\VarnokOutside", nullptr);
        ASSERT_TRUE(CopyFileW(game_.c_str(), L"C:\\VarnokOutside\\Game.exe", FALSE));
        // Whether the launcher's own machine key was there before, in each view: only then is
        // it kept.
        for (int i = 0; i < 2; ++i) {
            RegKey probe;
            hadLauncherKey_[i] = probe.OpenW(HKEY_LOCAL_MACHINE, kLauncherKey,
                                             KEY_READ | kViews[i]) == ERROR_SUCCESS;
        }
        RegKey record;
        ASSERT_EQ(record.CreateW(HKEY_LOCAL_MACHINE, kRecordKey), ERROR_SUCCESS);
        SetText(record.get(), L"InstallDir", L"C:\\VarnokElevated");
        SetText(record.get(), L"Planted", testing_support::PlantedGames::kInstallDir);
    }
    void TearDown() override {
        for (int i = 0; i < 2; ++i) {
            RemovePolicy(kViews[i]);
            if (!hadLauncherKey_[i]) {
                RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kLauncherKey, kViews[i], 0);
            }
        }
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kRecordKey);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kRecordKey);
        DeleteFileW(L"C:\\VarnokOutside\\Game.exe");
        RemoveDirectoryW(L"C:\\VarnokOutside");
        Elevation::TearDown();
    }
    static void SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
        ASSERT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    static void RemovePolicy(REGSAM view) {
        RegKey key;
        if (key.OpenW(HKEY_LOCAL_MACHINE, kPolicyKey, KEY_ALL_ACCESS | view) != ERROR_SUCCESS) {
            return;
        }
        RegDeleteTreeW(key.get(), nullptr);
        key.Close();
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kPolicyKey, view, 0);
    }
    void Apply(Policy policy) {
        for (REGSAM view : kViews) RemovePolicy(view);
        if (policy == Policy::None) return;
        RegKey key;
        const REGSAM view = policy == Policy::OtherView ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
        ASSERT_EQ(key.CreateW(HKEY_LOCAL_MACHINE, kPolicyKey, KEY_ALL_ACCESS | view),
                  ERROR_SUCCESS);
        if (policy == Policy::Empty || policy == Policy::OtherView) return;
        RegKey locations;
        ASSERT_EQ(locations.CreateW(key.get(), L"Locations"), ERROR_SUCCESS);
        SetText(locations.get(), L"Game",
                L"HKEY_LOCAL_MACHINE\\Software\\VarnokPolicyTest|InstallDir");
        SetText(locations.get(), L"Planted", L"hklm\\Software\\VarnokPolicyTest|Planted");
        if (policy == Policy::Folders) return;
        RegKey programs;
        ASSERT_EQ(programs.CreateW(key.get(), L"Programs"), ERROR_SUCCESS);
        if (policy == Policy::Names) {
            SetText(programs.get(), L"Game", L"game.EXE");
            SetText(programs.get(), L"Board", L"varnok_elev_board.exe");
        } else {
            SetText(programs.get(), L"Other", L"Other.exe");
        }
    }
    // The page's installation record: its directory, and none of the values a launch writes.
    void SetPageDirectory(const wchar_t* dir) {
        RegKey key;
        ASSERT_EQ(key.OpenW(HKEY_CURRENT_USER, kKey, KEY_SET_VALUE), ERROR_SUCCESS);
        if (dir) SetText(key.get(), L"InstallDir", dir);
        for (const wchar_t* name : {L"C_Param", L"R_Param", L"A_Param"}) {
            RegDeleteValueW(key.get(), name);
        }
    }
    bool AnyParamWritten(const wchar_t* key) {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            RegKey k;
            if (k.OpenW(root, key, KEY_QUERY_VALUE) != ERROR_SUCCESS) continue;
            for (const wchar_t* name : {L"C_Param", L"R_Param", L"A_Param"}) {
                if (RegQueryValueExW(k.get(), name, nullptr, nullptr, nullptr, nullptr) ==
                    ERROR_SUCCESS) {
                    return true;
                }
            }
        }
        return false;
    }

    static constexpr const wchar_t* kLauncherKey = L"Software\\VarnokLauncher";
    static constexpr const wchar_t* kPolicyKey = L"Software\\VarnokLauncher\\Policy";
    static constexpr const wchar_t* kRecordKey = L"Software\\VarnokPolicyTest";
    static constexpr REGSAM kViews[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};
    bool hadLauncherKey_[2] = {};
};

TEST_F(LaunchPolicy, OnlyAllowedProgramsStartOnBothRoads) {
    testing_support::PlantedGames planted(game_);
    ASSERT_TRUE(planted.ok());
    const wchar_t* const missingKey = L"Software\\VarnokElevationTest\\Missing";
    // The board game is checked by its command line: a 32-bit program started from the system
    // folder of 64-bit Windows reports its module below the 32-bit one (syswow64).
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string boardGame = std::string(windows) + "\\system32\\varnok_elev_board.exe";
    const char* const board = boardGame.c_str();
    const struct {
        Policy policy;
        bool boardGame;
        const wchar_t* pageDir;  // the installation directory the page's value holds
        LONG result;
        const char* started;     // the program that starts, when one does
        const wchar_t* key = kKey;
    } rows[] = {
        // Without a policy, whatever directory the page names.
        {Policy::None, false, L"C:\\VarnokOutside", 0, "C:\\VarnokOutside\\Game.exe"},
        {Policy::None, false, L"C:\\VarnokElevated\\..\\VarnokOutside", 0,
         "C:\\VarnokOutside\\Game.exe"},
        {Policy::None, true, nullptr, 0, board},
        // Folders only: below a listed installation directory, and no board game.
        {Policy::Folders, false, L"C:\\VarnokElevated", 0, "C:\\VarnokElevated\\Game.exe"},
        {Policy::Folders, false, testing_support::PlantedGames::kInstallDir, 0,
         testing_support::PlantedGames::kInstalledGame},
        {Policy::Folders, false, L"C:\\VarnokOutside", 1, nullptr},
        {Policy::Folders, false, L"C:\\VarnokElevated\\..\\VarnokOutside", 1, nullptr},
        {Policy::Folders, false, L"C:\\VarnokElevated:alt", 1, nullptr},
        {Policy::Folders, true, nullptr, 3, nullptr},
        // Names as well: listed names only, the board game's among them.
        {Policy::Names, false, L"C:\\VarnokElevated", 0, "C:\\VarnokElevated\\Game.exe"},
        {Policy::Names, true, nullptr, 0, board},
        {Policy::OtherName, false, L"C:\\VarnokElevated", 1, nullptr},
        {Policy::OtherName, true, nullptr, 3, nullptr},
        // A policy key with nothing in it allows nothing, and a refused board game creates no key.
        {Policy::Empty, false, L"C:\\VarnokElevated", 1, nullptr},
        {Policy::Empty, true, nullptr, 3, nullptr, missingKey},
        // The policy is read where this 32-bit control reads the machine's keys: the 32-bit view.
        {Policy::OtherView, false, L"C:\\VarnokOutside", 0, "C:\\VarnokOutside\\Game.exe"},
    };
    std::vector<std::string> refused;
    for (size_t i = 0; i < std::size(rows); ++i) {
        const auto& row = rows[i];
        Apply(row.policy);
        for (bool elevated : {false, true}) {
            const std::string arg =
                "row" + std::to_string(i) + (elevated ? "-elevated" : "-direct");
            std::string what = arg;
            if (row.pageDir) what += " from " + fw::WideToNarrow(row.pageDir, CP_UTF8);
            SCOPED_TRACE(what);
            SetPageDirectory(row.pageDir);
            DeleteFileW(prompt_.c_str());
            ComPtr<IQuellisLauncherVistaPlay> launcher;
            ASSERT_EQ(CoCreateInstance(CLSID_QuellisLauncherVistaPlay, nullptr,
                                       CLSCTX_INPROC_SERVER, IID_IQuellisLauncherVistaPlay,
                                       launcher.put_void()),
                      S_OK);
            const std::wstring wideArg = fw::NarrowToWide(arg.c_str(), CP_ACP);
            Bstr key(row.key), value(L"InstallDir"), reg1(L"one"), reg2(L"two"),
                path(row.boardGame ? L"varnok_elev_board.exe" : L"\\Game.exe"), a(wideArg.c_str());
            ASSERT_EQ(launcher->SetRegInfo(1, key.get(), value.get()), S_OK);
            ASSERT_EQ(launcher->SetRegParam(reg1.get(), reg2.get()), S_OK);
            ASSERT_EQ(launcher->AddPathName(path.get()), S_OK);
            ASSERT_EQ(launcher->AddParmeter(a.get()), S_OK);
            LONG result = 0;
            const HRESULT hr =
                row.boardGame ? (elevated ? launcher->ExecuteVistaBoardGame(&result)
                                          : launcher->ExecuteWinBoardGame(&result))
                              : (elevated ? launcher->ExecuteVista(&result)
                                          : launcher->ExecuteWin(&result));
            EXPECT_EQ(result, row.result);
            // A refusal ends either road with S_FALSE, and the elevated one before any prompt.
            EXPECT_EQ(hr, row.result != 0 ? S_FALSE : S_OK);
            EXPECT_EQ(ReadFileText(prompt_).empty(), !row.started || !elevated);
            if (!row.started) {
                EXPECT_FALSE(AnyParamWritten(row.key));
                EXPECT_FALSE(testing_support::KeyExists(HKEY_LOCAL_MACHINE, missingKey));
                refused.push_back(arg);
                continue;
            }
            const std::string record = WaitForRecord(1, " " + arg + "\n");
            const size_t at = record.find(" " + arg + "\n");
            ASSERT_NE(at, std::string::npos) << record;
            const size_t start = record.rfind("module=", at);
            if (row.boardGame) {
                EXPECT_EQ(Line(record, "cmdline", start), std::string(row.started) + " " + arg);
            } else {
                EXPECT_EQ(lstrcmpiA(Line(record, "module", start).c_str(), row.started), 0)
                    << Line(record, "module", start);
            }
            EXPECT_EQ(Line(record, "parent", start),
                      elevated ? "dllhost.exe" : "elevation_test.exe");
            EXPECT_EQ(Line(record, "C_Param", start), "one|2048");
        }
    }
    // One more start, after which a program of a refused launch would have recorded itself.
    Apply(Policy::None);
    SetPageDirectory(L"C:\\VarnokElevated");
    Settings(1, L"\\Game.exe", L"last");
    LONG result = 0;
    ASSERT_EQ(launcher_->ExecuteVista(&result), S_OK);
    const std::string record = WaitForRecord(1, " last\n");
    for (const auto& arg : refused) {
        EXPECT_EQ(record.find(" " + arg + "\n"), std::string::npos) << arg << " started";
    }
    EXPECT_EQ(Count(record, "module="), 2 * std::size(rows) - refused.size() + 1) << record;
}

// The launcher locked to the test sites (the build's locked copy, loaded from its file). On a page
// of those sites it launches on both roads, the elevated one through a locked instance in the
// surrogate, which has no page; anywhere else, and without a page, no launch method writes,
// starts or asks for elevation.
class SiteLock : public Elevation {
protected:
    using Page = testing_support::Page;
    // The locked control on a stand-in page (none at all for a null address), as launcher_.
    void UseLocked(const wchar_t* url, Page kind = Page::Address) {
        launcher_.Reset();
        ASSERT_EQ(testing_support::CreateFromDll(testing_support::BuildFile(LOCKED_LAUNCHER_DLL),
                                                 CLSID_QuellisLauncherVistaPlay,
                                                 IID_IQuellisLauncherVistaPlay,
                                                 launcher_.put_void()),
                  S_OK);
        if (url) {
            ASSERT_EQ(testing_support::PlaceOnPage(launcher_.get(), url, kind), S_OK);
        }
    }
};

TEST_F(SiteLock, ForeignPagesAndControlsWithoutAPageLaunchNothing) {
    using Method = HRESULT (STDMETHODCALLTYPE IQuellisLauncherVistaPlay::*)(LONG*);
    const struct {
        const char* name;
        Method method;
        LONG result;
    } methods[] = {
        {"Execute", &IQuellisLauncherVistaPlay::Execute, 1},
        {"ExecuteVista", &IQuellisLauncherVistaPlay::ExecuteVista, 1},
        {"ExecuteWin", &IQuellisLauncherVistaPlay::ExecuteWin, 1},
        {"ExecuteBoardGame", &IQuellisLauncherVistaPlay::ExecuteBoardGame, 3},
        {"ExecuteVistaBoardGame", &IQuellisLauncherVistaPlay::ExecuteVistaBoardGame, 3},
        {"ExecuteWinBoardGame", &IQuellisLauncherVistaPlay::ExecuteWinBoardGame, 3},
    };
    const struct {
        const char* what;
        const wchar_t* url;
        Page kind;
        bool takenOff;
    } pages[] = {
        {"another site", L"https://evil.test/games/", Page::Address, false},
        {"a listed host as a prefix", L"https://portal.example.evil.test/", Page::Address, false},
        {"http where https is listed", L"http://portal.example/", Page::Address, false},
        {"no page (created by script)", nullptr, Page::Address, false},
        {"a site without a container", L"https://portal.example/", Page::NoContainer, false},
        {"a document without an address", L"https://portal.example/", Page::NoAddress, false},
        {"taken off an allowed page", L"https://portal.example/", Page::Address, true},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.what);
        UseLocked(page.url, page.kind);
        if (page.takenOff) {
            ASSERT_EQ(testing_support::TakeOffPage(launcher_.get()), S_OK);
        }
        // Off the list the setters store nothing and show nothing, a text they would refuse
        // with a box included.
        {
            testing_support::MessageBoxWatcher watcher;
            Bstr key(kKey), value(L"InstallDir"), reg(L"r"), path(L"..\\Game.exe"), arg(L"-e");
            EXPECT_EQ(launcher_->SetRegInfo(1, key.get(), value.get()), S_FALSE);
            EXPECT_EQ(launcher_->SetRegParam(reg.get(), reg.get()), S_FALSE);
            EXPECT_EQ(launcher_->AddPathName(path.get()), S_FALSE);
            EXPECT_EQ(launcher_->AddParmeter(arg.get()), S_FALSE);
            EXPECT_TRUE(watcher.Seen().empty());
        }
        for (const auto& m : methods) {
            SCOPED_TRACE(m.name);
            LONG result = 77;
            EXPECT_EQ((launcher_.get()->*m.method)(&result), S_FALSE);
            EXPECT_EQ(result, m.result);
        }
    }
    Sleep(1000);
    EXPECT_FALSE(ParamWritten());
    EXPECT_EQ(ReadFileText(record_), "") << "nothing started";
    EXPECT_EQ(ReadFileText(prompt_), "") << "no elevation was asked for";
}

TEST_F(SiteLock, AllowedPagesLaunchOnBothRoads) {
    // The direct road, in this process.
    UseLocked(L"HTTPS://Www.Portal.Example:443/play?game=1#now");
    Settings(1, L"\\Game.exe", L"-direct");
    LONG result = 77;
    EXPECT_EQ(launcher_->ExecuteWin(&result), S_OK);
    EXPECT_EQ(result, 77);
    std::string record = WaitForRecord(1, " -direct\n");
    EXPECT_EQ(Line(record, "parent"), "elevation_test.exe") << record;

    // The elevated road: the surrogate loads the locked copy too.
    {
        const testing_support::ServedBy locked(CLSID_QuellisLauncherVistaPlay,
                                               testing_support::BuildFile(LOCKED_LAUNCHER_DLL));
        ASSERT_TRUE(locked.ok());
        UseLocked(L"http://games.portal.example:8080/");
        Settings(1, L"\\Game.exe", L"-elevated");
        result = 77;
        EXPECT_EQ(launcher_->Execute(&result), S_OK);
        EXPECT_EQ(result, 0);
        record = WaitForRecord(1, " -elevated\n");
    }
    const size_t at = record.rfind("module=", record.find(" -elevated\n"));
    EXPECT_EQ(Line(record, "parent", at), "dllhost.exe") << record;
    EXPECT_NE(ReadFileText(prompt_).find("prompt VarnokLauncher"), std::string::npos);
}


// Runs in its own ctest entry, where the prefix's processes use the Korean code page (949) as on
// a Korean Windows: double-byte texts reach the elevated instance byte for byte.
TEST_F(Elevation, KoreanTextsArriveExactly) {
    if (GetACP() != 949) GTEST_SKIP() << "needs the Korean code page (its own ctest entry)";
    EndSurrogates();
    ASSERT_TRUE(SetThreadLocale(MAKELCID(0x0412, SORT_DEFAULT)));
    const std::wstring text = L"\uD55C\uAD6D \uAC8C\uC784";  // "Korea game"
    const std::string bytes = "\xC7\xD1\xB1\xB9 \xB0\xD4\xC0\xD3";  // the same in code page 949
    Bstr key(kKey), value(L"InstallDir"), r1(text.c_str()), r2(L"r"), path(L"\\Game.exe"),
        a(text.c_str());
    ASSERT_EQ(launcher_->SetRegInfo(1, key.get(), value.get()), S_OK);
    ASSERT_EQ(launcher_->SetRegParam(r1.get(), r2.get()), S_OK);
    ASSERT_EQ(launcher_->AddPathName(path.get()), S_OK);
    ASSERT_EQ(launcher_->AddParmeter(a.get()), S_OK);
    LONG result = 0;
    ASSERT_EQ(launcher_->ExecuteVista(&result), S_OK);
    EXPECT_EQ(result, 0);
    const std::string record = WaitForRecord(1);
    EXPECT_EQ(Line(record, "parent"), "dllhost.exe");
    EXPECT_EQ(Line(record, "C_Param"), bytes + "|2048");
    EXPECT_EQ(Line(record, "cmdline"), "C:\\VarnokElevated\\Game.exe " + bytes);
    SetThreadLocale(LOCALE_USER_DEFAULT);
}

}  // namespace
