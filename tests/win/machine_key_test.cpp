// The machine-key methods of the spec-check control, with the stand-in gate program placed where
// the shell finds it (the Windows folder) and told through its inherited environment how to
// behave. Every gate program started here ends before its test does.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "VarnokSpecCheck.h"
#include "com_test.h"
#include "dll_class.h"
#include "msgbox_watcher.h"
#include "page_site.h"
#include "raii.h"
#include "spec_check/probes/probes.h"
#include "text.h"

using fw::ComPtr;

namespace {

const char kKey[] = "Software\\Zolmet";

std::string WindowsPath(const char* name) {
    char dir[MAX_PATH] = {};
    GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\" + name;
}
const std::string kGatePath = WindowsPath("QuellisGateLauncher.exe");
const std::string kGateBuilt = std::string("Z:") + GATE_PROGRAM_EXE;
const std::string kLogPath = WindowsPath("varnok-gate.log");

// What the gate programs started so far were given, one argument a line.
std::string GateLog() {
    std::ifstream in(kLogPath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool ValueExists(const char* name) {
    fw::RegKey key;
    return key.OpenA(HKEY_LOCAL_MACHINE, kKey, KEY_QUERY_VALUE) == ERROR_SUCCESS &&
           RegQueryValueExA(key.get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void SetValue(const char* name, const std::string& data) {
    fw::RegKey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), name, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1)),
              ERROR_SUCCESS);
}

class MachineKey : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyFileA(kGateBuilt.c_str(), kGatePath.c_str(), FALSE)) << kGatePath;
        DeleteFileA(kLogPath.c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
        SetEnvironmentVariableA("VARNOK_GATE_LOG", kLogPath.c_str());
        control_ = testing_support::CreateDispatch(CLSID_QuellisSpecCheck);
        ASSERT_TRUE(control_);
    }
    void TearDown() override {
        SetEnvironmentVariableA("VARNOK_GATE_MODE", nullptr);
        SetEnvironmentVariableA("VARNOK_GATE_TEXT", nullptr);
        DeleteFileA(kGatePath.c_str());
        DeleteFileA(kLogPath.c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
    }

    std::string Call(const wchar_t* method) {
        const std::wstring answer = testing_support::CallString(control_.get(), method);
        return fw::WideToNarrow(answer.c_str());
    }

    ComPtr<IDispatch> control_;
};

TEST_F(MachineKey, TheValueTheGateProgramLeavesIsReadOnceAndDeleted) {
    const std::string big(1 << 20, 'k');
    const struct {
        const char* mode;
        const wchar_t* method;
        const char* kind;
        const char* other;  // the other kind's value, which the call must leave alone
        std::string expected;
    } cases[] = {
        {"text", L"GetStringCPUID", "cpukey", "hddkey", "CPU-0123abcd"},
        {"text", L"GetStringHDDID", "hddkey", "cpukey", "CPU-0123abcd"},
        {"none", L"GetStringCPUID", "cpukey", "hddkey", ""},
        {"empty", L"GetStringHDDID", "hddkey", "cpukey", ""},
        {"inner-nul", L"GetStringCPUID", "cpukey", "hddkey", "CPU-0123abcd"},
        {"no-nul", L"GetStringCPUID", "cpukey", "hddkey", "CPU-0123abcd"},
        {"binary", L"GetStringHDDID", "hddkey", "cpukey", "CPU-0123abcd"},
        {"big", L"GetStringCPUID", "cpukey", "hddkey", big},
        {"delete-key", L"GetStringCPUID", "cpukey", nullptr, "Open fail"},
    };
    SetEnvironmentVariableA("VARNOK_GATE_TEXT", "CPU-0123abcd");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        DeleteFileA(kLogPath.c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
        if (c.other) SetValue(c.other, "left alone");
        SetEnvironmentVariableA("VARNOK_GATE_MODE", c.mode);
        const std::string answer = Call(c.method);
        EXPECT_EQ(answer.size(), c.expected.size());
        EXPECT_TRUE(answer == c.expected) << answer.substr(0, 80);
        EXPECT_EQ(GateLog(), std::string(c.kind) + "\n");  // one start, given its kind
        EXPECT_FALSE(ValueExists(c.kind));
        if (c.other) {
            EXPECT_TRUE(ValueExists(c.other)) << c.other;
        }
    }
}

// The control locked to the test sites: on a page of them it answers as the open control does;
// elsewhere, and without a page, every method answers an empty text and no gate program starts.
TEST_F(MachineKey, LockedControlAnswersOnlyOnItsSitesPages) {
    using testing_support::Page;
    const wchar_t* const methods[] = {
        L"GetStringCPU", L"GetStringOS", L"GetStringMEMORY", L"GetStringDirectX",
        L"GetStringVGA", L"GetStringSOUND", L"GetStringVGAVer", L"GetStringVGADriver",
        L"GetStringVGAID", L"GetStringCPUBit", L"GetStringMacAddress", L"GetStringVGAMemory",
        L"GetStringCPUID", L"GetStringSpecVer", L"GetStringHDDID",
    };
    using namespace std::string_literals;
    const struct {
        std::wstring url;
        Page kind;
        bool allowed;
        bool onPage = true;
    } pages[] = {
        {L"https://portal.example/", Page::Address, true},
        {L"https://a.b.portal.example/x?y#z", Page::Address, true},
        {L"https://evilportal.example/", Page::Address, false},
        {L"https://portal.example@evil.test/", Page::Address, false},
        {L"https://portal.example:8443/", Page::Address, false},
        {L"about:blank", Page::Address, false},
        {L"https://portal.example/\0.evil.test"s, Page::Address, false},
        {L"https://portal.example/", Page::NoContainer, false},
        {L"https://portal.example/", Page::NoAddress, false},
        {L"", Page::Address, false, false},
    };
    SetEnvironmentVariableA("VARNOK_GATE_TEXT", "CPU-0123abcd");
    SetEnvironmentVariableA("VARNOK_GATE_MODE", "text");
    const std::string os = Call(L"GetStringOS");
    for (const auto& page : pages) {
        const std::wstring& url = page.url;
        SCOPED_TRACE(testing::PrintToString(url));
        ComPtr<IDispatch> locked;
        ASSERT_EQ(testing_support::CreateFromDll(
                      testing_support::BuildFile(LOCKED_SPEC_CHECK_DLL), CLSID_QuellisSpecCheck,
                      IID_IDispatch, locked.put_void()),
                  S_OK);
        if (page.onPage) {
            ASSERT_EQ(testing_support::PlaceOnPage(locked.get(), url, page.kind), S_OK);
        }
        DeleteFileA(kLogPath.c_str());
        if (page.allowed) {
            EXPECT_EQ(testing_support::CallString(locked.get(), L"GetStringOS"),
                      fw::NarrowToWide(os));
            EXPECT_EQ(testing_support::CallString(locked.get(), L"GetStringCPUID"),
                      L"CPU-0123abcd");
            EXPECT_EQ(GateLog(), "cpukey\n");
            continue;
        }
        for (const wchar_t* method : methods) {
            EXPECT_EQ(testing_support::CallString(locked.get(), method), L"")
                << fw::WideToNarrow(method);
        }
        EXPECT_EQ(GateLog(), "") << "no gate program started";
    }
}

TEST_F(MachineKey, TroubleBeforeTheStartIsToldInTheText) {
    // No gate program where the shell looks: the shell's own code, and nothing started.
    ASSERT_TRUE(DeleteFileA(kGatePath.c_str()));
    char found[MAX_PATH] = {};
    const auto code = reinterpret_cast<INT_PTR>(
        FindExecutableA("QuellisGateLauncher.exe", "%windir%", found));
    ASSERT_LT(code, 32);
    EXPECT_EQ(Call(L"GetStringCPUID"), std::to_string(code));
    EXPECT_EQ(GateLog(), "");

    // A file of that name that is no program cannot be started; the shell says so in a box of
    // its own, which the watcher closes.
    {
        std::ofstream notProgram(kGatePath, std::ios::binary);
        notProgram << "this is not a program\r\n";
    }
    {
        testing_support::MessageBoxWatcher watcher;
        EXPECT_EQ(Call(L"GetStringHDDID"), "-999");
        for (const auto& box : watcher.Seen()) {
            std::printf("the shell said: %ls / %ls\n", box.caption.c_str(), box.text.c_str());
        }
    }
    EXPECT_EQ(GateLog(), "");

    // A gate program already running: none is started beside it.
    ASSERT_TRUE(CopyFileA(kGateBuilt.c_str(), kGatePath.c_str(), FALSE));
    fw::Handle end(CreateEventA(nullptr, TRUE, FALSE, "VarnokGateEnd"));
    SetEnvironmentVariableA("VARNOK_GATE_MODE", "wait");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + kGatePath + "\" running";
    ASSERT_TRUE(CreateProcessA(kGatePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &startup, &info));
    fw::Handle process(info.hProcess), thread(info.hThread);
    for (int i = 0; i < 100 && GateLog().empty(); ++i) Sleep(50);
    EXPECT_EQ(Call(L"GetStringCPUID"), "-7");
    SetEvent(end.get());
    EXPECT_EQ(WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(GateLog(), "running\n");
}

// A hundred keys read leave no handle (snapshot, process, key) behind.
TEST_F(MachineKey, RepeatedCallsKeepNoHandle) {
    SetEnvironmentVariableA("VARNOK_GATE_TEXT", "K");
    ASSERT_EQ(Call(L"GetStringCPUID"), "K");
    DWORD before = 0, after = 0;
    GetProcessHandleCount(GetCurrentProcess(), &before);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(Call(i % 2 ? L"GetStringCPUID" : L"GetStringHDDID"), "K");
    }
    GetProcessHandleCount(GetCurrentProcess(), &after);
    EXPECT_LE(after, before + 2);
}

// A value rewritten between the size query and the read, now shorter, now longer: the read gives
// one of the texts written, or nothing, and never more than was stored.
TEST_F(MachineKey, AValueChangingWhileReadIsReadWholeOrNotAtAll) {
    const std::string shortText = "short", longText(4000, 'L');
    SetValue("cpukey", shortText);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop; ++i) SetValue("cpukey", i % 2 ? longText : shortText);
    });
    int unreadable = 0;
    for (int i = 0; i < 2000; ++i) {
        const std::string text = spec_check::ReadRegistryText(2, kKey, "cpukey");
        if (text.empty()) ++unreadable;
        else ASSERT_TRUE(text == shortText || text == longText) << text.size();
    }
    stop = true;
    writer.join();
    std::printf("%d of 2000 reads met a value that changed size\n", unreadable);
    EXPECT_EQ(spec_check::ReadRegistryText(2, "Software\\VarnokNoSuchKey", "cpukey"), "Open fail");
}

}  // namespace
