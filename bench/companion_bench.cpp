#include "bench/companion_bench.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "VarnokLauncher.h"
#include "VarnokSpecCheck.h"
#include "bench/rules/figures.h"
#include "companion/host/page_site.h"
#include "companion/frames.h"
#include "raii.h"

namespace bench {
namespace {

const wchar_t kKey[] = L"Software\\VarnokBenchCompanion";
const wchar_t kDir[] = L"C:\\VarnokBenchCompanion";
const wchar_t kGameEntry[] = L"Software\\VarnokLauncher\\Games\\bench-companion";
// The 13 methods of the page's full read (none starts an outside program).
const char* const kRead[] = {"GetStringCPU", "GetStringOS", "GetStringMEMORY", "GetStringDirectX",
                             "GetStringVGA", "GetStringSOUND", "GetStringVGAVer",
                             "GetStringVGADriver", "GetStringVGAID", "GetStringCPUBit",
                             "GetStringMacAddress", "GetStringVGAMemory", "GetStringSpecVer"};

void Print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

double Now() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int Rounds(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

std::string ReadMessageText() {
    std::string calls;
    for (const char* m : kRead) calls += std::string(calls.empty() ? "" : ",") + "[\"" + m + "\"]";
    return R"({"control":"spec","origin":"https://portal.example","calls":[)" + calls + "]}";
}
const std::string kLaunchMessage =
    R"({"control":"launcher","origin":"https://portal.example","calls":[["SetRegInfo",1,)"
    R"("Software\\VarnokBenchCompanion","InstallDir"],["SetRegParam","member=bench",)"
    R"("server=bench"],["AddPathName","\\Game.exe"],["AddParmeter","-bench"],["ExecuteWin"]]})";

// A running host, asked one message at a time; at the end its input is closed and it is given
// the time to end as it does after a browser's last message.
class Host {
public:
    explicit Host(const std::wstring& exe) : process_(exe, L"") {}
    ~Host() {
        process_.EndInput();
        process_.Exit(30000);
    }
    // Sends a message and waits for its answer: whether one came.
    bool Ask(const std::string& body) {
        if (!process_.Send(body)) return false;
        auto answer = process_.Answer();
        answer_ = answer ? std::move(*answer) : std::string();
        return answer.has_value();
    }
    const std::string& answer() const { return answer_; }

private:
    companion::HostProcess process_;
    std::string answer_;
};

// The control's own full read, as a page does it: created, placed on the page, each method.
bool ControlRead() {
    fw::ComPtr<IDispatch> control;
    if (FAILED(CoCreateInstance(CLSID_QuellisSpecCheck, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IDispatch, control.put_void()))) {
        return false;
    }
    companion::PagePlacement page;
    if (FAILED(page.Place(control.get(), L"https://portal.example/"))) return false;
    for (const char* m : kRead) {
        std::wstring name(m, m + std::char_traits<char>::length(m));
        LPOLESTR names[] = {name.data()};
        DISPID id = 0;
        DISPPARAMS none{};
        fw::Variant result;
        if (FAILED(control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) ||
            FAILED(control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                                   result.put(), nullptr, nullptr))) {
            return false;
        }
    }
    return true;
}

// The control's own launch with the same settings.
bool ControlLaunch() {
    fw::ComPtr<IQuellisLauncherVistaPlay> launcher;
    if (FAILED(CoCreateInstance(CLSID_QuellisLauncherVistaPlay, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IQuellisLauncherVistaPlay, launcher.put_void()))) {
        return false;
    }
    fw::Bstr key(kKey), value(L"InstallDir"), reg1(L"member=bench"), reg2(L"server=bench"),
        path(L"\\Game.exe"), arg(L"-bench");
    launcher->SetRegInfo(1, key.get(), value.get());
    launcher->SetRegParam(reg1.get(), reg2.get());
    launcher->AddPathName(path.get());
    launcher->AddParmeter(arg.get());
    long result = 0;  // a launch that goes through leaves it as it was
    return launcher->ExecuteWin(&result) == S_OK && result == 0;
}

// The link handler handed a link as the shell hands it: its exit code 0.
bool LinkLaunch(const std::wstring& link) {
    std::wstring command = L"\"" + link + L"\" varnok:launch?game=bench-companion&arg=-bench";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    const fw::Handle process(info.hProcess), thread(info.hThread);
    DWORD code = 1;
    return WaitForSingleObject(process.get(), 120000) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(process.get(), &code) && code == 0;
}

// Median seconds of `rounds` timed runs (after one untimed); negative when a run failed.
struct Road {
    std::string name;
    std::function<bool()> run;
    std::vector<double> seconds;
    bool failed = false;
};

void Alternate(std::vector<Road>& roads, int rounds) {
    for (int round = 0; round <= rounds; ++round) {
        for (Road& road : roads) {
            const double start = Now();
            const bool ok = road.run();
            const double elapsed = Now() - start;
            if (!ok) road.failed = true;
            if (round > 0) road.seconds.push_back(elapsed);
        }
    }
}

void PrintAgainstFirst(const std::vector<Road>& roads) {
    const double base = Median(roads[0].seconds);
    for (const Road& road : roads) {
        if (road.failed) {
            Print(TableRow(road.name, "failed"));
        } else if (&road == &roads[0]) {
            Print(TableRow(road.name, FormatDuration(base)));
        } else {
            const double seconds = Median(road.seconds);
            Print(TableRow(road.name, FormatDuration(seconds),
                           "control " + FormatDuration(base), FormatRatio(seconds, base)));
        }
    }
}

}  // namespace

void CompanionRows(const std::wstring& host, const std::wstring& link, const std::wstring& game) {
    const std::string read = ReadMessageText();
    const int readRounds = Rounds("BENCH_READ_ROUNDS", 5);
    {
        Host running(host);
        std::vector<Road> roads = {
            {"control's full read, 13 methods (C++)", ControlRead, {}, false},
            {"companion full read, new host each", [&] { return Host(host).Ask(read); }, {}, false},
            {"companion full read, running host", [&] { return running.Ask(read); }, {}, false},
        };
        Alternate(roads, readRounds);
        PrintAgainstFirst(roads);
    }

    CreateDirectoryW(kDir, nullptr);
    fw::RegKey key, entry;
    const std::wstring directory = std::wstring(L"HKCU\\") + kKey + L"|InstallDir";
    if (!CopyFileW(game.c_str(), (std::wstring(kDir) + L"\\Game.exe").c_str(), FALSE) ||
        key.CreateW(HKEY_CURRENT_USER, kKey) != ERROR_SUCCESS ||
        key.WriteTextW(L"InstallDir", kDir) != ERROR_SUCCESS ||
        entry.CreateW(HKEY_LOCAL_MACHINE, kGameEntry, KEY_WRITE | KEY_WOW64_32KEY) != ERROR_SUCCESS ||
        entry.WriteTextW(L"Directory", directory) != ERROR_SUCCESS ||
        entry.WriteTextW(L"Program", L"\\Game.exe") != ERROR_SUCCESS) {
        Print(TableRow("companion and link launches", "could not install the sample game"));
        return;
    }
    {
        Host running(host);
        const auto launched = [](Host& h) {
            return h.Ask(kLaunchMessage) && h.answer() == R"({"results":[null,null,null,null,0]})";
        };
        std::vector<Road> roads = {
            {"control's launch (ExecuteWin)", ControlLaunch, {}, false},
            {"companion launch, new host each", [&] { Host h(host); return launched(h); }, {}, false},
            {"companion launch, running host", [&] { return launched(running); }, {}, false},
            {"link launch (VarnokLink.exe)", [&] { return LinkLaunch(link); }, {}, false},
        };
        Alternate(roads, Rounds("BENCH_LAUNCHES", 5));
        PrintAgainstFirst(roads);
    }
    key.Close();
    entry.Close();
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kGameEntry, KEY_WOW64_32KEY, 0);
}

}  // namespace bench
