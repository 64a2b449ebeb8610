// The companion host under Wine, driven as a browser drives it: frames through pipes on its
// standard input and output, one process answering messages in order until its input ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "VarnokSpecCheck.h"
#include "com_test.h"
#include "companion/frames.h"
#include "companion/rules/json.h"
#include "dll_class.h"
#include "page_site.h"
#include "raii.h"
#include "text.h"

using nlohmann::json;

namespace {

const std::wstring kHost = testing_support::BuildFile(VARNOK_COMPANION_EXE);
const std::wstring kLockedHost = testing_support::BuildFile(LOCKED_COMPANION_EXE);
const char kPortal[] = "https://portal.example";

// A running host, as a browser starts it (the extension's origin as its argument), its answers
// read as JSON; ended if it outlives the test.
class Host {
public:
    explicit Host(const std::wstring& exe)
        : process_(exe, L"chrome-extension://hlokajkphbnnappinhojjeopoccbbgdf/") {
        EXPECT_TRUE(process_.running()) << "cannot start the host";
    }
    void Write(const std::string& bytes) { EXPECT_TRUE(process_.Write(bytes)); }
    static std::string Frame(const std::string& body, uint32_t length) {
        return companion::FrameOf(body, length);
    }
    static std::string Frame(const std::string& body) { return companion::FrameOf(body); }
    void Send(const json& message) { Write(Frame(message.dump())); }
    void EndInput() { process_.EndInput(); }
    // The next answer frame, parsed; null when the output ends first.
    json Answer() {
        const auto body = process_.Answer();
        return body ? json::parse(*body, nullptr, false) : json(nullptr);
    }
    DWORD Exit(DWORD ms) { return process_.Exit(ms); }

private:
    companion::HostProcess process_;
};

json Spec(const std::string& origin, std::initializer_list<const char*> methods) {
    json calls = json::array();
    for (const char* m : methods) calls.push_back({m});
    return {{"control", "spec"}, {"origin", origin}, {"calls", calls}};
}

std::string Utf8(const std::wstring& text) {
    return fw::WideSpanToNarrow(text.data(), text.size(), CP_UTF8);
}

// The file version "a.b.c.d" of a built file.
std::string FileVersion(const wchar_t* path) {
    DWORD ignored = 0;
    std::string data(GetFileVersionInfoSizeW(path, &ignored), '\0');
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    if (data.empty() || !GetFileVersionInfoW(path, 0, static_cast<DWORD>(data.size()), data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &size)) {
        return "<none>";
    }
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionLS));
}

TEST(Companion, AnswersInOrderAndRefusesEachKindUntilItsInputEnds) {
    Host host(kHost);
    json tooMany = Spec(kPortal, {});
    for (int i = 0; i < 33; ++i) tooMany["calls"].push_back({"GetStringSpecVer"});
    const struct {
        std::string frame;
        const char* error;  // nullptr: the hello answer
    } rows[] = {
        {Host::Frame(R"({"control":"hello"})"), nullptr},
        {Host::Frame(tooMany.dump()), "too long"},
        {Host::Frame(R"({"control":"spec")"), "malformed"},
        {Host::Frame(R"({"control":"spec","calls":[["GetStringOS"]]})"), "origin"},
    };
    for (const auto& row : rows) host.Write(row.frame);
    host.EndInput();
    for (const auto& row : rows) {
        const json answer = host.Answer();
        if (!row.error) {
            EXPECT_EQ(answer, json({{"version", FileVersion(testing_support::BuildFile(
                                                      SPEC_CHECK_OCX).c_str())}}));
        } else {
            EXPECT_EQ(answer.value("error", ""), row.error) << answer;
            EXPECT_FALSE(answer.value("message", "").empty()) << answer;
        }
    }
    EXPECT_EQ(host.Exit(60000), 0u) << "exit 0 at the end of its input";
}

TEST(Companion, AnOverlongFrameIsAnsweredUnreadAndEndsTheHostAtOnce) {
    Host host(kHost);
    host.Write(Host::Frame("", 65537));  // the length only; the input stays open
    EXPECT_EQ(host.Answer().value("error", ""), "too long");
    EXPECT_EQ(host.Exit(60000), 1u);
}

TEST(Companion, AFrameCutShortEndsTheHostWithoutAnAnswer) {
    Host host(kHost);
    host.Write(Host::Frame(R"({"control":"hel)", 19));
    host.EndInput();
    EXPECT_TRUE(host.Answer().is_null());
    EXPECT_EQ(host.Exit(60000), 1u);
}

// Every fact the spec-check control gives a page of the site, read through the host, is the
// control's own answer on such a page.
TEST(Companion, ReadsTheFactsTheControlGivesAPage) {
    const wchar_t* const methods[] = {
        L"GetStringCPU", L"GetStringOS", L"GetStringMEMORY", L"GetStringDirectX",
        L"GetStringVGA", L"GetStringSOUND", L"GetStringVGAVer", L"GetStringVGADriver",
        L"GetStringVGAID", L"GetStringCPUBit", L"GetStringMacAddress", L"GetStringVGAMemory",
        L"GetStringCPUID", L"GetStringSpecVer", L"GetStringHDDID"};
    json message = Spec(kPortal, {});
    for (const wchar_t* m : methods) message["calls"].push_back({Utf8(m)});
    Host host(kHost);
    host.Send(message);
    host.EndInput();
    const json answer = host.Answer();
    ASSERT_TRUE(answer.contains("results")) << answer;
    ASSERT_EQ(answer["results"].size(), std::size(methods));

    const auto control = testing_support::CreateDispatch(CLSID_QuellisSpecCheck);
    ASSERT_TRUE(control);
    ASSERT_EQ(testing_support::PlaceOnPage(control.get(), L"https://portal.example/"), S_OK);
    for (size_t i = 0; i < std::size(methods); ++i) {
        EXPECT_EQ(answer["results"][i], Utf8(testing_support::CallString(control.get(), methods[i])))
            << Utf8(methods[i]);
    }
    testing_support::TakeOffPage(control.get());
    EXPECT_EQ(host.Exit(60000), 0u);
}

// The launcher's calls in order on one fresh instance: the game starts with the settings given,
// and the answer holds null for each setting and ExecuteWin's result.
TEST(Companion, LaunchesTheGameWithTheSettingsGiven) {
    const wchar_t kKey[] = L"Software\\VarnokCompanionTest";
    const std::wstring dir = L"C:\\VarnokCompanionGame";
    CreateDirectoryW(dir.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(testing_support::BuildFile(SAMPLE_GAME_EXE).c_str(),
                          (dir + L"\\Game.exe").c_str(), FALSE));
    fw::RegKey key;
    ASSERT_EQ(key.CreateW(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), L"InstallDir", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(dir.c_str()),
                             static_cast<DWORD>((dir.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring record = std::wstring(temp) + L"varnok_companion_game.txt";
    DeleteFileW(record.c_str());
    SetEnvironmentVariableW(L"SAMPLE_GAME_OUT", record.c_str());
    SetEnvironmentVariableW(L"SAMPLE_GAME_KEY", L"HKCU\\Software\\VarnokCompanionTest");

    Host host(kHost);
    host.Send({{"control", "launcher"},
               {"origin", kPortal},
               {"calls", {{"SetRegInfo", 1, "Software\\VarnokCompanionTest", "InstallDir"},
                          {"SetRegParam", "first \xC3\xA9", "second"},
                          {"AddPathName", "\\Game.exe"},
                          {"AddParmeter", "-x"},
                          {"ExecuteWin"}}}});
    host.EndInput();
    EXPECT_EQ(host.Answer(), json::parse(R"({"results":[null,null,null,null,0]})"));
    EXPECT_EQ(host.Exit(60000), 0u);

    std::string text;
    for (int i = 0; i < 300 && text.find("A_Param=") == std::string::npos; ++i) {
        Sleep(100);
        text = testing_support::ReadFileText(record);
    }
    EXPECT_NE(text.find("cmdline=C:\\VarnokCompanionGame\\Game.exe -x\n"), std::string::npos) << text;
    EXPECT_NE(text.find("R_Param=second|"), std::string::npos) << text;
    key.Close();
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
    DeleteFileW(record.c_str());
}

// The copy locked to the test sites refuses an origin not on its list (and an address that is
// no bare origin) before any call, and answers its sites.
TEST(Companion, TheLockedCopyRefusesAForeignOrigin) {
    Host host(kLockedHost);
    const struct {
        const char* origin;
        const char* error;  // nullptr: answered
    } rows[] = {
        {"https://evil.example", "origin"},
        {"https://portal.example.evil.example", "origin"},
        {"https://portal.example/", "origin"},
        {"https://portal.example", nullptr},
        {"http://games.portal.example:8080", nullptr},
    };
    for (const auto& row : rows) host.Send(Spec(row.origin, {"GetStringSpecVer"}));
    host.EndInput();
    for (const auto& row : rows) {
        const json answer = host.Answer();
        if (row.error) {
            EXPECT_EQ(answer.value("error", ""), row.error) << row.origin << ": " << answer;
        } else {
            EXPECT_EQ(answer, json::parse(R"({"results":["1,0,1,3s"]})")) << row.origin;
        }
    }
    EXPECT_EQ(host.Exit(60000), 0u);
}

}  // namespace
