#include "launcher/rules/launch_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace launcher;

TEST(LaunchRules, KeyTypesMapToThreeRoots) {
    EXPECT_EQ(RootNumber(0), 0);
    EXPECT_EQ(RootNumber(1), 1);
    for (short other : {2, 5, 7, -1, 32767, -32768}) EXPECT_EQ(RootNumber(other), 2) << other;
}

TEST(LaunchRules, AppendsAccumulateAndNeverPassTheField) {
    char field[kShortFieldSize] = {};
    EXPECT_EQ(AppendToField(field, sizeof field, "a"), AppendResult::Appended);
    EXPECT_EQ(AppendToField(field, sizeof field, "b"), AppendResult::Appended);
    EXPECT_STREQ(field, "ab");
    EXPECT_EQ(AppendToField(field, sizeof field, ""), AppendResult::Appended);
    EXPECT_STREQ(field, "ab");

    char exact[kShortFieldSize] = {};
    EXPECT_EQ(AppendToField(exact, sizeof exact, std::string(255, 'x')), AppendResult::Appended);
    EXPECT_EQ(exact[255], '\0');
    EXPECT_EQ(AppendToField(exact, sizeof exact, "y"), AppendResult::TooLong);
    EXPECT_EQ(std::string(exact), std::string(255, 'x')) << "a refused append changes nothing";

    char empty[kShortFieldSize] = {};
    EXPECT_EQ(AppendToField(empty, sizeof empty, std::string(256, 'z')), AppendResult::TooLong);
    EXPECT_EQ(empty[0], '\0');
    char partly[kShortFieldSize] = {};
    AppendToField(partly, sizeof partly, std::string(200, 'p'));
    EXPECT_EQ(AppendToField(partly, sizeof partly, std::string(56, 'q')), AppendResult::TooLong);
    EXPECT_EQ(AppendToField(partly, sizeof partly, std::string(55, 'q')), AppendResult::Appended);
    // The bytes behind the text stay zero.
    char zeros[8] = {};
    AppendToField(zeros, sizeof zeros, "abc");
    for (size_t i = 3; i < sizeof zeros; ++i) EXPECT_EQ(zeros[i], '\0');
}

TEST(LaunchRules, ProgramPathsStayBelowTheirFolder) {
    EXPECT_TRUE(IsContainedPath("\\Game.exe"));
    EXPECT_TRUE(IsContainedPath("Bin\\Game..exe"));
    EXPECT_TRUE(IsContainedPath("..Game.exe"));
    EXPECT_TRUE(IsContainedPath(""));
    EXPECT_FALSE(IsContainedPath("\\..\\Other.exe"));
    EXPECT_FALSE(IsContainedPath("../Other.exe"));
    EXPECT_FALSE(IsContainedPath("Bin/.."));
    EXPECT_FALSE(IsContainedPath(".."));
    EXPECT_FALSE(IsContainedPath("C:\\Windows\\evil.exe"));
    EXPECT_FALSE(IsContainedPath("Game.exe:stream"));
}

TEST(LaunchRules, OnlyAnAbsoluteLocalDirectoryIsAnInstallationDirectory) {
    const struct {
        const char* directory;
        bool accepted;
    } cases[] = {
        {"C:\\Program Files\\Game", true}, {"z:\\", true}, {"D:\\\xC7\xD1", true},
        {"", false}, {"Game", false}, {"\\Game", false}, {"C:", false}, {"C:Game", false},
        {"C:/Game", false}, {"1:\\Game", false}, {"\xC7:\\Game", false}, {":\\Game", false},
        {"\\\\server\\share\\Game", false}, {"//server/share/Game", false},
        {"\\\\?\\C:\\Game", false}, {"\\\\.\\C:\\Game", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.directory)));
        EXPECT_EQ(IsAbsoluteLocalDirectory(c.directory), c.accepted);
    }
}

TEST(LaunchRules, CommandLinesAreComposedAsGivenOrRefused) {
    auto game = ComposeGameLaunch("C:\\Game", "\\Game.exe", "-x");
    ASSERT_TRUE(game);
    EXPECT_EQ(game->program, "C:\\Game\\Game.exe");
    EXPECT_EQ(game->commandLine, "C:\\Game\\Game.exe -x");
    EXPECT_EQ(ComposeGameLaunch("C:\\Game", "Game.exe", "-x")->commandLine, "C:\\GameGame.exe -x");
    EXPECT_EQ(ComposeGameLaunch("C:\\Game", "\\Game.exe", "")->commandLine, "C:\\Game\\Game.exe ");

    auto board = ComposeBoardGameLaunch("C:\\WINDOWS", "app.exe", "arg");
    ASSERT_TRUE(board);
    EXPECT_EQ(board->program, "C:\\WINDOWS\\system32\\app.exe");
    EXPECT_EQ(board->commandLine, "C:\\WINDOWS\\system32\\app.exe arg");
    EXPECT_EQ(ComposeBoardGameLaunch("C:\\WINDOWS", "", "")->commandLine, "C:\\WINDOWS\\system32\\ ");

    // 255 characters fit the command line; 256 do not.
    const std::string dir = "C:\\" + std::string(240, 'd');
    EXPECT_TRUE(ComposeGameLaunch(dir, "\\g.exe", std::string(255 - dir.size() - 7, 'a')));
    EXPECT_FALSE(ComposeGameLaunch(dir, "\\g.exe", std::string(256 - dir.size() - 7, 'a')));
    // The directory and path must fit the 512-byte buffer, whatever the command line.
    EXPECT_FALSE(ComposeGameLaunch(std::string(500, 'd'), std::string(12, 'p'), ""));
}

TEST(LaunchRules, CutsNeverSplitADoubleByteCharacter) {
    auto lead = [](unsigned char b) { return b >= 0x81 && b <= 0xFE; };
    const std::string korean = "a\xC7\xD1\xB1\xB9";  // one ASCII and two double-byte characters
    EXPECT_EQ(FittingLength(korean, 5, lead), 5u);
    EXPECT_EQ(FittingLength(korean, 4, lead), 3u);
    EXPECT_EQ(FittingLength(korean, 2, lead), 1u);
    EXPECT_EQ(FittingLength(std::string(3000, 'z'), 2047, lead), 2047u);
    EXPECT_EQ(FittingLength("abc", 10, nullptr), 3u);
}

TEST(LaunchRules, ValueTextStopsAtNulOrTheDataEnd) {
    const char withNul[] = {'C', ':', '\\', 'G', '\0', 'x'};
    EXPECT_EQ(TextOfValue(withNul, sizeof withNul), "C:\\G");
    const std::string full(512, 'd');
    EXPECT_EQ(TextOfValue(full.data(), full.size()), full);
    EXPECT_EQ(TextOfValue(nullptr, 3), "");
}

// Only the system surrogate's own argument marks the elevated instance's process.
TEST(LaunchRules, SurrogateIsKnownByItsProcessIdArgument) {
    const std::string id = "{40A3FCBF-B7C8-4DB5-9EC9-24B7AD28EC83}";
    const struct {
        std::string commandLine;
        bool surrogate;
    } rows[] = {
        {"C:\\Windows\\SysWOW64\\DllHost.exe /Processid:" + id, true},
        {"C:\\windows\\system32\\dllhost.exe /PROCESSID:{40a3fcbf-b7c8-4db5-9ec9-24b7ad28ec83}", true},
        {"\"C:\\Windows\\SysWOW64\\DllHost.exe\"  /Processid:" + id + " ", true},
        {"\"C:\\Program Files\\Browser\\browser.exe\" -nohome", false},
        {"dllhost.exe /Processid:{00000000-0000-0000-0000-000000000000}", false},
        {"dllhost.exe /Processid:" + id + "x", false},
        {"dllhost.exe x/Processid:" + id, false},
        {"dllhost.exe /Processid:" + id + " more", false},
        {"iexplore.exe https://evil.test/ /Processid:" + id, false},
        {"\"C:\\evil\\iexplore.exe\" /Processid:" + id, false},
        {"/Processid:" + id, false},
        {"\"dllhost.exe /Processid:" + id, false},
        {"", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.commandLine);
        EXPECT_EQ(IsSurrogateFor(row.commandLine, id), row.surrogate);
    }
    // Its program must be the system folder's own, not a copy elsewhere.
    EXPECT_TRUE(IsSurrogateImage("c:\\windows\\syswow64\\DLLHOST.EXE", "C:\\Windows\\SysWOW64\\"));
    for (const char* copy : {"C:\\Users\\x\\dllhost.exe", "C:\\Windows\\system32\\x\\dllhost.exe",
                             "C:\\Windows\\system32\\rundll32.exe", "dllhost.exe"}) {
        EXPECT_FALSE(IsSurrogateImage(copy, "C:\\Windows\\system32")) << copy;
    }
    for (const char* name : {"C_Param", "r_param", "A_PARAM"}) EXPECT_TRUE(IsLaunchOutputValue(name));
    for (const char* name : {"InstallDir", "C_Param ", "C_Params", ""}) {
        SCOPED_TRACE(testing::PrintToString(std::string(name)));
        EXPECT_FALSE(IsLaunchOutputValue(name));
    }
}

namespace {

bool ShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace

TEST(LaunchRules, PolicyLocationsNameARootAKeyAndAValue) {
    const struct {
        const char* text;
        bool parsed;
        int root;
        const char* keyPath;
        const char* valueName;
    } cases[] = {
        {"HKEY_LOCAL_MACHINE\\Software\\Quellis\\Game1|InstallDir", true, 2,
         "Software\\Quellis\\Game1", "InstallDir"},
        {"hklm\\Software\\Q|InstallDir", true, 2, "Software\\Q", "InstallDir"},
        {"HKEY_CURRENT_USER\\Software\\Q|Dir", true, 1, "Software\\Q", "Dir"},
        {"HKEY_CLASSES_ROOT\\Q|", true, 0, "Q", ""},
        {"HKLM\\Software\\Q|Install|Dir", true, 2, "Software\\Q", "Install|Dir"},
        // A '|' that is the second byte of a two-byte character belongs to the key's name.
        {"HKLM\\Software\\\x83\x7C|Dir", true, 2, "Software\\\x83\x7C", "Dir"},
        // The values every launch writes with a page's texts never name a directory.
        {"HKLM\\Software\\Q|r_param", false, 0, "", ""},
        {"HKLM|InstallDir", false, 0, "", ""},
        {"HKLM\\|InstallDir", false, 0, "", ""},
        {"HKLM\\\\Software|InstallDir", false, 0, "", ""},
        {"HKEY_USERS\\S|InstallDir", false, 0, "", ""},
        {"HKLM\\Software\\Q", false, 0, "", ""},
        {"Software\\Q|InstallDir", false, 0, "", ""},
        {"", false, 0, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        const auto location = ParsePolicyLocation(c.text, ShiftJisLead);
        ASSERT_EQ(location.has_value(), c.parsed);
        if (!location) continue;
        EXPECT_EQ(location->root, c.root);
        EXPECT_EQ(location->keyPath, c.keyPath);
        EXPECT_EQ(location->valueName, c.valueName);
    }
}

TEST(LaunchRules, PolicyAllowsOnlyProgramsBelowItsDirectoriesAndOfItsNames) {
    const LaunchPolicy folder{{"C:\\Games\\Quellis"}, false, {}};
    const LaunchPolicy named{{"C:\\Games\\Quellis\\"}, true, {"Game.exe", "Board.EXE"}};
    const LaunchPolicy noNames{{"C:\\Games\\Quellis"}, true, {}};
    const LaunchPolicy empty{};
    const LaunchPolicy unsafeDirs{{"C:\\Games\\..\\Windows", "Windows", "\\\\server\\share",
                                   "C:\\Windows.", "C:\\Win:dows"}, false, {}};
    const LaunchPolicy kana{{"C:\\Games\\\x83\x5C", "C:\\Games\\\x83\x41"}, false, {}};
    const char* const system = "C:\\WINDOWS\\system32\\";
    const struct {
        const LaunchPolicy& policy;
        bool boardGame;
        const char* program;
        bool allowed;
    } cases[] = {
        {folder, false, "C:\\Games\\Quellis\\Game.exe", true},
        {folder, false, "c:\\GAMES\\quellis\\setup.exe", true},
        {folder, false, "C:\\Games\\Quellis\\bin\\Game.exe", true},
        {folder, false, "C:\\Games/Quellis/Game.exe", true},
        {folder, false, "C:\\Games\\Quellis2\\Game.exe", false},
        {folder, false, "C:\\Games\\QuellisGame.exe", false},
        {folder, false, "D:\\Games\\Quellis\\Game.exe", false},
        {folder, false, "C:\\Games\\Quellis\\..\\..\\Windows\\System32\\cmd.exe", false},
        {folder, false, "C:\\Games\\Quellis\\bin\\..\\Game.exe", false},
        {folder, false, "C:\\Games\\Quellis.\\Game.exe", false},
        {folder, false, "C:\\Games\\Quellis \\Game.exe", false},
        {folder, false, "C:\\Games\\Quellis\\Game.exe.", false},
        {folder, false, "C:\\Games\\Quellis\\Game.exe:stream", false},
        {folder, false, "C:\\Games\\Quellis\\", false},
        {folder, false, "\\\\?\\C:\\Games\\Quellis\\Game.exe", false},
        {folder, false, "\\\\server\\Games\\Quellis\\Game.exe", false},
        {folder, false, "C:Games\\Quellis\\Game.exe", false},
        {folder, false, "", false},
        {named, false, "C:\\Games\\Quellis\\GAME.EXE", true},
        {named, false, "C:\\Games\\Quellis\\bin\\board.exe", true},
        {named, false, "C:\\Games\\Quellis\\Setup.exe", false},
        {named, false, "C:\\Games\\Quellis\\Game.exe.exe", false},
        {named, false, "C:\\Windows\\Game.exe", false},
        {noNames, false, "C:\\Games\\Quellis\\Game.exe", false},
        {empty, false, "C:\\Games\\Quellis\\Game.exe", false},
        {unsafeDirs, false, "C:\\Windows\\System32\\cmd.exe", false},
        {unsafeDirs, false, "C:\\Windows\\cmd.exe", false},
        // Two-byte characters whose second byte is a backslash or an ASCII capital.
        {kana, false, "C:\\Games\\\x83\x5C\\Game.exe", true},
        {kana, false, "C:\\Games\\\x83\x5CGame.exe", false},
        {kana, false, "C:\\Games\\\x83\x61\\Game.exe", false},
        // A lead byte before a colon or a slash stands alone: the colon and slash are the path's.
        {folder, false, "C:\\Games\\Quellis\\\x83:Game.exe", false},
        {named, false, "C:\\Games\\Quellis\\\x83/Game.exe", true},
        // The board game's folder is the launcher's: only a listed name starts.
        {named, true, "C:\\WINDOWS\\system32\\Board.exe", true},
        {named, true, "C:\\WINDOWS\\system32\\cmd.exe", false},
        {named, true, "C:\\WINDOWS\\system32\\..\\Board.exe", false},
        {named, true, "C:\\WINDOWS\\Board.exe", false},
        {folder, true, "C:\\WINDOWS\\system32\\cmd.exe", false},
        {folder, true, "C:\\Games\\Quellis\\Game.exe", false},
        {noNames, true, "C:\\WINDOWS\\system32\\Board.exe", false},
        {empty, true, "C:\\WINDOWS\\system32\\Board.exe", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.boardGame ? "board game: " : "game: ")
                                        << testing::PrintToString(std::string(c.program)));
        const bool allowed = c.boardGame
                                 ? PolicyAllowsBoardGame(c.policy, c.program, system, ShiftJisLead)
                                 : PolicyAllowsGame(c.policy, c.program, ShiftJisLead);
        EXPECT_EQ(allowed, c.allowed);
    }
}
