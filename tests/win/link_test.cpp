// The link handler under Wine, started as a browser starts it: through the shell, which runs the
// scheme's registered open command with the link (Wine's shell finds a scheme only where the
// machine registers it, so the per-user registration is copied there). Links longer than Wine's
// shell can take (259 characters) go to the handler's command line directly.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "VarnokLauncher.h"
#include "com_test.h"
#include "dll_class.h"
#include "msgbox_watcher.h"
#include "tests/fixtures/link_signatures.h"
#include "raii.h"
#include "text.h"

using fw::RegKey;

namespace {

constexpr REGSAM k32 = KEY_WOW64_32KEY, k64 = KEY_WOW64_64KEY;
const wchar_t kLauncherKey[] = L"Software\\VarnokLauncher";
const wchar_t kGamesKey[] = L"Software\\VarnokLauncher\\Games";
const wchar_t kPolicyKey[] = L"Software\\VarnokLauncher\\Policy";
const wchar_t kRecordKey[] = L"Software\\VarnokLinkTest";  // HKCU: the game's installation record
const wchar_t kSchemeKey[] = L"Software\\Classes\\varnok";
const wchar_t kProviderKey[] = L"Software\\VarnokElevationProvider";
const wchar_t kInstallDir[] = L"C:\\VarnokLinkGame";
const char kGameExe[] = "C:\\VarnokLinkGame\\Game.exe";

std::wstring TempFile(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name;
}
const std::wstring kRecordFile = TempFile(L"varnok_link_game.txt");
const std::wstring kPromptFile = TempFile(L"varnok_link_prompt.txt");

using testing_support::ReadFileText;

// The sample game's records (it appends one per start) once one ends its command line with " arg".
std::string WaitForStart(const std::string& arg) {
    for (int i = 0; i < 300; ++i) {
        const std::string text = ReadFileText(kRecordFile);
        if (text.find(" " + arg + "\n") != std::string::npos) return text;
        Sleep(100);
    }
    return ReadFileText(kRecordFile);
}

// A line of the record of the start with that argument.
std::string Line(const std::string& records, const std::string& arg, const std::string& name) {
    const size_t start = records.rfind("module=", records.find(" " + arg + "\n"));
    const size_t at = start == std::string::npos ? start : records.find(name + "=", start);
    if (at == std::string::npos) return "<absent>";
    return records.substr(at + name.size() + 1, records.find('\n', at) - at - name.size() - 1);
}

void SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
    ASSERT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// Runs a command line and answers its exit code; a run that does not end is ended and fails.
DWORD RunCommand(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot run " << fw::WideToNarrow(commandLine.c_str(), CP_ACP);
        return 0xFFFFFFFF;
    }
    const fw::Handle process(info.hProcess), thread(info.hThread);
    if (WaitForSingleObject(process.get(), 180000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 0xFFFFFFFF);
        ADD_FAILURE() << "did not end: " << fw::WideToNarrow(commandLine.c_str(), CP_ACP);
    }
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

// A link as a browser hands it over: the shell starts the scheme's program and waits for it.
DWORD ThroughShell(const std::wstring& link) {
    return RunCommand(L"cmd.exe /c start /wait \"\" \"" + link + L"\"");
}

const std::wstring kHandler = testing_support::BuildFile(VARNOK_LINK_EXE);

using testing_support::EndSurrogates;

// Games registered as installers register them, recording their installation directory under
// HKCU: one started directly, one elevated, one incomplete, one in the 64-bit view only. The scheme
// registered by the handler's /register, and copied to the machine's classes for Wine's shell.
class Link : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        EndSurrogates();
        for (int i = 0; i < 2; ++i) {
            RegKey probe;
            hadLauncherKey_[i] = probe.OpenW(HKEY_LOCAL_MACHINE, kLauncherKey,
                                             KEY_READ | (i ? k64 : k32)) == ERROR_SUCCESS;
        }
        CreateDirectoryW(kInstallDir, nullptr);
        CopyFileW(testing_support::BuildFile(SAMPLE_GAME_EXE).c_str(),
                  (std::wstring(kInstallDir) + L"\\Game.exe").c_str(), FALSE);
        RegKey record;
        ASSERT_EQ(record.CreateW(HKEY_CURRENT_USER, kRecordKey), ERROR_SUCCESS);
        SetText(record.get(), L"InstallDir", kInstallDir);
        SetText(record.get(), L"Elsewhere", L"C:\\VarnokElsewhere");
        const wchar_t* const directory = L"HKEY_CURRENT_USER\\Software\\VarnokLinkTest|InstallDir";
        const DWORD one = 1;
        const struct {
            const wchar_t* id;
            REGSAM view;
            const wchar_t* program;
            const DWORD* elevated;
            const char* signedBy = nullptr;
        } games[] = {{L"LinkDirect", k32, L"\\Game.exe", nullptr},
                     {L"LinkElevated", k32, L"\\Game.exe", &one},
                     {L"LinkNoProgram", k32, nullptr, nullptr},
                     {L"Link64", k64, L"\\Game.exe", nullptr},
                     {L"LinkSigned", k32, L"\\Game.exe", &one, link_signatures::kKey}};
        for (const auto& game : games) {
            RegKey key;
            ASSERT_EQ(key.CreateW(HKEY_LOCAL_MACHINE, (std::wstring(kGamesKey) + L"\\" + game.id).c_str(),
                                  KEY_ALL_ACCESS | game.view),
                      ERROR_SUCCESS);
            SetText(key.get(), L"Directory", directory);
            if (game.program) SetText(key.get(), L"Program", game.program);
            if (game.elevated) {
                RegSetValueExW(key.get(), L"Elevated", 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(game.elevated), sizeof(DWORD));
            }
            if (game.signedBy) {
                SetText(key.get(), L"SignedBy", fw::NarrowToWide(game.signedBy, CP_ACP));
            }
        }
        RunCommand(L"\"" + kHandler + L"\" /register");
        RegKey user, machine;
        ASSERT_EQ(user.OpenW(HKEY_CURRENT_USER, kSchemeKey, KEY_READ), ERROR_SUCCESS);
        ASSERT_EQ(machine.CreateW(HKEY_LOCAL_MACHINE, kSchemeKey), ERROR_SUCCESS);
        ASSERT_EQ(RegCopyTreeW(user.get(), nullptr, machine.get()), ERROR_SUCCESS);
    }
    static void TearDownTestSuite() {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSchemeKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, kSchemeKey);
        SetPolicy(nullptr);
        for (int i = 0; i < 2; ++i) {
            const REGSAM view = i ? k64 : k32;
            RegKey games;
            if (games.OpenW(HKEY_LOCAL_MACHINE, kGamesKey, KEY_ALL_ACCESS | view) == ERROR_SUCCESS) {
                RegDeleteTreeW(games.get(), nullptr);
                games.Close();
                RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kGamesKey, view, 0);
            }
            if (!hadLauncherKey_[i]) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kLauncherKey, view, 0);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, kRecordKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, kProviderKey);
        DeleteFileW((std::wstring(kInstallDir) + L"\\Game.exe").c_str());
        RemoveDirectoryW(kInstallDir);
        DeleteFileW(kRecordFile.c_str());
        DeleteFileW(kPromptFile.c_str());
        EndSurrogates();
    }
    // A machine launch policy listing one location, or none.
    static void SetPolicy(const wchar_t* location) {
        RegKey policy;
        if (policy.OpenW(HKEY_LOCAL_MACHINE, kPolicyKey, KEY_ALL_ACCESS | k32) == ERROR_SUCCESS) {
            RegDeleteTreeW(policy.get(), nullptr);
            policy.Close();
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kPolicyKey, k32, 0);
        }
        if (!location) return;
        RegKey locations;
        ASSERT_EQ(locations.CreateW(HKEY_LOCAL_MACHINE,
                                    (std::wstring(kPolicyKey) + L"\\Locations").c_str(),
                                    KEY_ALL_ACCESS | k32),
                  ERROR_SUCCESS);
        SetText(locations.get(), L"Game", location);
    }

    void SetUp() override {
        DeleteFileW(kRecordFile.c_str());
        SetEnvironmentVariableW(L"SAMPLE_GAME_OUT", kRecordFile.c_str());
        SetEnvironmentVariableW(L"SAMPLE_GAME_KEY", (std::wstring(L"HKCU\\") + kRecordKey).c_str());
        RegKey provider;
        ASSERT_EQ(provider.CreateW(HKEY_CURRENT_USER, kProviderKey), ERROR_SUCCESS);
        SetText(provider.get(), L"Record", kPromptFile);
        Forget();
    }
    // No values of an earlier launch, and no elevation prompt recorded.
    static void Forget() {
        DeleteFileW(kPromptFile.c_str());
        RegKey key;
        ASSERT_EQ(key.OpenW(HKEY_CURRENT_USER, kRecordKey, KEY_SET_VALUE), ERROR_SUCCESS);
        for (const wchar_t* name : {L"C_Param", L"R_Param"}) RegDeleteValueW(key.get(), name);
    }
    static bool ParamWritten() {
        RegKey key;
        return key.OpenW(HKEY_CURRENT_USER, kRecordKey, KEY_QUERY_VALUE) == ERROR_SUCCESS &&
               RegQueryValueExW(key.get(), L"C_Param", nullptr, nullptr, nullptr, nullptr) ==
                   ERROR_SUCCESS;
    }
    static bool Prompted() { return !ReadFileText(kPromptFile).empty(); }

    static inline bool hadLauncherKey_[2] = {};
};

// Both roads, with the texts as the page encodes them; the machine launch policy decides for a
// link's launch as for a page's, before anything is written or any elevation asked for.
TEST_F(Link, LaunchesThroughTheShellOnBothRoadsWithinThePolicy) {
    const wchar_t* const elsewhere = L"HKCU\\Software\\VarnokLinkTest|Elsewhere";
    const wchar_t* const installed = L"HKCU\\Software\\VarnokLinkTest|InstallDir";
    const struct {
        const wchar_t* game;
        const wchar_t* policy;
        DWORD code;
        bool elevated;
    } rows[] = {
        {L"game=LinkDirect", nullptr, 0, false},
        {L"game=linkelevated", nullptr, 0, true},
        {L"game=LinkDirect", elsewhere, 1, false},
        {L"game=LinkElevated", elsewhere, 1, true},
        {L"game=LinkElevated", installed, 0, true},
    };
    const std::string c = fw::WideToNarrow(L"member=1;s=5 \u00E4", CP_ACP);
    for (size_t i = 0; i < std::size(rows); ++i) {
        const auto& row = rows[i];
        const std::string arg = "-autologin row" + std::to_string(i);
        SCOPED_TRACE(arg);
        SetPolicy(row.policy);
        Forget();
        testing_support::MessageBoxWatcher boxes(L"Varnok");
        // The scheme in any case; the parameters in any order.
        EXPECT_EQ(ThroughShell(L"VARNOK:launch?arg=-autologin%20row" + std::to_wstring(i) +
                               L"&r=server%3Deu-1%26x&" + row.game + L"&c=member%3D1%3Bs%3D5%20%C3%A4"),
                  row.code);
        EXPECT_EQ(Prompted(), row.elevated && row.code == 0);
        EXPECT_TRUE(boxes.Seen().empty());
        if (row.code != 0) {
            EXPECT_FALSE(ParamWritten());
            continue;
        }
        const std::string records = WaitForStart(arg);
        EXPECT_EQ(Line(records, arg, "cmdline"), std::string(kGameExe) + " " + arg);
        EXPECT_EQ(Line(records, arg, "C_Param"), c + "|2048");
        EXPECT_EQ(Line(records, arg, "R_Param"), "server=eu-1&x|2048");
        // Started by the elevated instance in the surrogate, or by the handler (which may have
        // ended before the game looks for it).
        EXPECT_EQ(Line(records, arg, "parent") == "dllhost.exe", row.elevated) << records;
    }
    // Only the three allowed starts.
    EXPECT_EQ(ReadFileText(kRecordFile).find("row2\n"), std::string::npos);
    EXPECT_EQ(ReadFileText(kRecordFile).find("row3\n"), std::string::npos);
}

TEST_F(Link, RefusalsWriteStartAndAskForNothing) {
    const std::wstring handler = L"\"" + kHandler + L"\" ";
    // A text the code page cannot hold ("\u4E2D"), where it cannot.
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\u4E2D", 1, nullptr, 0, nullptr, &lossy);
    const struct {
        std::wstring command;  // a link through the shell, or a command line run directly
        DWORD code;
        bool direct = false;
    } rows[] = {
        {L"varnok:launch?c=x", 101},
        {L"varnok:open?game=LinkDirect", 101},
        {L"varnok:launch?game=LinkDirect&c=%ZZ", 101},
        {L"varnok:launch?game=LinkDirect&game=LinkElevated", 101},
        {L"varnok:launch?game=LinkDirect&cmd=x", 101},
        {handler + L"\"varnok:launch?game=LinkDirect\" -x", 101, true},
        {L"varnok:launch?game=Missing", 102},
        {L"varnok:launch?game=..%5CGames%5CLinkDirect", 102},
        {L"varnok:launch?game=LinkNoProgram", 102},
        {L"varnok:launch?game=Link64", 102},
        {L"varnok:launch?game=LinkElevated&c=%E4%B8%AD", lossy ? 103u : 0u},
        {handler + L"varnok:launch?game=LinkElevated&arg=" + std::wstring(256, L'a'), 103, true},
        {handler + L"varnok:launch?game=LinkElevated&c=" + std::wstring(2048, L'c'), 103, true},
    };
    const wchar_t* const says[] = {L"not a link that starts a game", L"not installed",
                                   L"too long, or holds characters"};
    for (const auto& row : rows) {
        if (row.code == 0) continue;
        SCOPED_TRACE(fw::WideToNarrow(row.command.substr(0, 120).c_str(), CP_UTF8));
        testing_support::MessageBoxWatcher boxes(L"Varnok");
        EXPECT_EQ(row.direct ? RunCommand(row.command) : ThroughShell(row.command), row.code);
        const auto seen = boxes.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_NE(seen[0].text.find(says[row.code - 101]), std::wstring::npos)
            << fw::WideToNarrow(seen[0].text.c_str(), CP_UTF8);
        EXPECT_FALSE(ParamWritten());
        EXPECT_FALSE(Prompted());
    }
    // One start, after which a game that a refused link started would have recorded itself.
    EXPECT_EQ(ThroughShell(L"varnok:launch?game=LinkDirect&arg=last"), 0u);
    const std::string records = WaitForStart("last");
    EXPECT_EQ(records.find("module="), records.rfind("module=")) << records;
}

// With the launcher registered from its copy locked to the test sites, a link still launches on
// the elevated road: the handler has no page, and its elevated instance is the registered control
// in its own surrogate.
TEST_F(Link, SiteLockedControlServesLinks) {
    std::string records;
    {
        const testing_support::ServedBy locked(CLSID_QuellisLauncherVistaPlay,
                                               testing_support::BuildFile(LOCKED_LAUNCHER_DLL));
        ASSERT_TRUE(locked.ok());
        EXPECT_EQ(ThroughShell(L"varnok:launch?game=LinkElevated&arg=locked"), 0u);
        records = WaitForStart("locked");
    }
    EXPECT_EQ(Line(records, "locked", "parent"), "dllhost.exe") << records;
    EXPECT_TRUE(Prompted());
}

// The longest texts through the user's registration: its open command run with the link, as the
// shell runs it. /unregister removes it again.
TEST_F(Link, UserRegistrationRunsTheHandlerWithTheLongestTexts) {
    std::wstring value, command;
    EXPECT_TRUE(testing_support::ReadString(HKEY_CURRENT_USER, kSchemeKey, L"URL Protocol", &value));
    ASSERT_TRUE(testing_support::ReadString(
        HKEY_CURRENT_USER, std::wstring(kSchemeKey) + L"\\shell\\open\\command", nullptr, &command));
    EXPECT_EQ(command, L"\"" + kHandler + L"\" \"%1\"");
    auto runRegistered = [&command](const std::wstring& link) {
        std::wstring run = command;
        const size_t at = run.find(L"%1");
        if (at != std::wstring::npos) run.replace(at, 2, link);
        Forget();
        testing_support::MessageBoxWatcher boxes(L"Varnok");
        const DWORD code = RunCommand(run);
        EXPECT_TRUE(boxes.Seen().empty());
        return code;
    };
    // 2047 bytes each (the two bytes of "\u00E4" in UTF-8 are one in the code page); the argument
    // as long as the 255-byte command line allows, then one byte more: the launcher's own code.
    const std::string arg(255 - sizeof kGameExe, 'a');
    EXPECT_EQ(runRegistered(L"varnok:launch?game=LinkElevated&c=" + std::wstring(2047, L'c') +
                            L"&r=%C3%A4" + std::wstring(2046, L'r') + L"&arg=" +
                            std::wstring(arg.begin(), arg.end())),
              0u);
    const std::string records = WaitForStart(arg);
    EXPECT_EQ(Line(records, arg, "C_Param"), std::string(2047, 'c') + "|2048");
    EXPECT_EQ(Line(records, arg, "R_Param"),
              fw::WideToNarrow(L"\u00E4", CP_ACP) + std::string(2046, 'r') + "|2048");
    EXPECT_EQ(runRegistered(L"varnok:launch?game=LinkDirect&arg=" + std::wstring(arg.size() + 1, L'a')),
              9u);

    EXPECT_EQ(RunCommand(L"\"" + kHandler + L"\" /unregister"), 0u);
    EXPECT_FALSE(testing_support::KeyExists(HKEY_CURRENT_USER, kSchemeKey));
}

// A game registered with its portal's key (elevated, so a prompt would show) starts only from
// links that key signed and that have not expired; every other link is refused before anything is
// written, started or asked for. A game without a key ignores a link's exp and sig.
TEST_F(Link, SignedGameTakesOnlyItsPortalsUnexpiredLinks) {
    using namespace link_signatures;
    const auto wide = [](const std::string& s) { return std::wstring(s.begin(), s.end()); };
    std::string changed = kSigned;
    changed.replace(changed.find("member%3D1"), 10, "member%3D2");
    const struct {
        std::wstring link;
        DWORD code;
        const char* arg;  // the started game's argument
    } rows[] = {
        {wide(kSigned), 0, "signed"},       // r and s of 33 bytes in DER
        {wide(kSignedShort), 0, "signed"},  // of 32
        {wide(kPart), 104, nullptr},
        {wide(kWithoutExp), 104, nullptr},
        {wide(kForeign), 104, nullptr},
        {wide(changed), 104, nullptr},
        {wide(kExpired), 104, nullptr},
        {L"varnok:launch?game=LinkDirect&arg=keyless&exp=1&sig=AAAA", 0, "keyless"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(fw::WideToNarrow(row.link.substr(0, 100).c_str(), CP_UTF8));
        DeleteFileW(kRecordFile.c_str());
        Forget();
        testing_support::MessageBoxWatcher boxes(L"Varnok");
        EXPECT_EQ(ThroughShell(row.link), row.code);
        const auto seen = boxes.Seen();
        if (row.code == 0) {
            EXPECT_TRUE(seen.empty());
            const std::string records = WaitForStart(row.arg);
            EXPECT_EQ(Line(records, row.arg, "C_Param"),
                      std::string(row.arg == std::string("signed") ? "member=1" : "") + "|2048");
            continue;
        }
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_NE(seen[0].text.find(L"not signed for this game"), std::wstring::npos);
        EXPECT_FALSE(ParamWritten());
        EXPECT_FALSE(Prompted());
        EXPECT_EQ(ReadFileText(kRecordFile), "");
    }
}

}  // namespace
