// The bench's C++ client: what one call of each spec-check method costs through
// IDispatch::Invoke in this process, against the cheapest IDispatch round trip; a page's full
// read from a script against the same facts read through WMI; the direct against the elevated
// launch of the sample game; the DLLs' sizes; and this process's handles and private bytes
// around many calls of each cheap method. Prints rows of one table; figures, never verdicts.
//
// spec_bench --script <full_read.vbs> --game <sample_game.exe> --dll <path>...
//            [--companion <VarnokCompanion.exe> --link <VarnokLink.exe>] (Windows paths)
// spec_bench --repeat <method>: only that method, BENCH_REPEAT times, each call timed.
// Counts come from BENCH_ROUNDS, BENCH_METHOD_SECONDS, BENCH_SOAK_CALLS, BENCH_READ_ROUNDS and
// BENCH_LAUNCHES.
#include <windows.h>
#include <oleauto.h>
#include <d3d9.h>
#include <ddraw.h>
// The diagnostic provider's GUIDs are in no import library: defined here.
#include <initguid.h>
#include <dxdiag.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "VarnokLauncher.h"
#include "VarnokSpecCheck.h"
#include "bench/companion_bench.h"
#include "bench/process_counters.h"
#include "bench/rules/figures.h"
#include "raii.h"
#include "spec_check/probes/system_library.h"
#include "text.h"

namespace {

using bench::FormatDuration;
using bench::FormatRatio;
using bench::TableRow;

// Every spec-check method that starts no outside program, in DISPID order.
const wchar_t* const kMethods[] = {
    L"GetStringCPU",    L"GetStringOS",         L"GetStringMEMORY",    L"GetStringDirectX",
    L"GetStringVGA",    L"GetStringSOUND",      L"GetStringVGAVer",    L"GetStringVGADriver",
    L"GetStringVGAID",  L"GetStringCPUBit",     L"GetStringMacAddress", L"GetStringVGAMemory",
    L"GetStringSpecVer",
};
// The methods the soak calls many times.
const wchar_t* const kCheapMethods[] = {L"GetStringCPU", L"GetStringCPUBit", L"GetStringMEMORY",
                                        L"GetStringSpecVer", L"GetStringOS"};

double EnvNumber(const char* name, double fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    const double value = std::atof(text);
    return value > 0 ? value : fallback;
}

void Print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string Narrow(const std::wstring& text) { return fw::WideToNarrow(text.c_str(), CP_UTF8); }

std::string HexResult(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

class Clock {
public:
    Clock() { QueryPerformanceFrequency(&frequency_); }
    double Now() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart) / static_cast<double>(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_;
};
const Clock kClock;

// The median cost of one call: calls are timed in batches of a size that lasts a few
// milliseconds, and the median batch gives the cost per call. At least five batches; more, up to
// BENCH_ROUNDS, while the method's time budget lasts.
double MedianCallSeconds(const std::function<void()>& call) {
    const int maxRounds = static_cast<int>(EnvNumber("BENCH_ROUNDS", 21));
    const double budget = EnvNumber("BENCH_METHOD_SECONDS", 2.0);
    std::uint64_t calls = 1;
    double elapsed = 0;
    for (;;) {  // the first call warms up and calibrates
        const double start = kClock.Now();
        for (std::uint64_t i = 0; i < calls; ++i) call();
        elapsed = kClock.Now() - start;
        if (elapsed >= 1e-3 || calls >= (1u << 20)) break;
        calls *= 2;
    }
    const std::uint64_t batch = bench::BatchSize(elapsed / static_cast<double>(calls), 5e-3, 1u << 20);
    std::vector<double> perCall;
    const double until = kClock.Now() + budget;
    while (static_cast<int>(perCall.size()) < maxRounds &&
           (perCall.size() < 5 || kClock.Now() < until)) {
        const double start = kClock.Now();
        for (std::uint64_t i = 0; i < batch; ++i) call();
        perCall.push_back((kClock.Now() - start) / static_cast<double>(batch));
    }
    return bench::Median(perCall);
}

DISPID DispatchId(IDispatch* object, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
        return DISPID_UNKNOWN;
    }
    return id;
}

// One call as a client makes it: Invoke, then the result's string freed.
HRESULT InvokeOnce(IDispatch* object, DISPID id, fw::Variant& result) {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, result.put(),
                          nullptr, nullptr);
}

// Why a method cannot be timed, or empty when its first call gives a string.
std::string FirstCallTrouble(IDispatch* object, DISPID id) {
    if (id == DISPID_UNKNOWN) return "no such name";
    fw::Variant result;
    const HRESULT hr = InvokeOnce(object, id, result);
    if (FAILED(hr)) return "Invoke failed " + HexResult(hr);
    if (V_VT(result.get()) != VT_BSTR || !V_BSTR(result.get())) return "no string returned";
    return {};
}

// The median cost of each method that could be timed, by name.
using Costs = std::map<std::wstring, double>;

Costs MethodCosts(IDispatch* control) {
    Costs costs;
    UINT count = 0;
    const double floor = MedianCallSeconds([&] { (void)control->GetTypeInfoCount(&count); });
    const std::string floorText = "floor " + FormatDuration(floor);
    Print(TableRow("IDispatch::GetTypeInfoCount (floor)", FormatDuration(floor)));

    // What the client's own part of a call costs: Invoke turned down at once, and the result
    // string's making and freeing alone (both conversions of an 8-byte text, allocation, free).
    fw::Variant rejected;
    const double refused = MedianCallSeconds([&] { (void)InvokeOnce(control, 99, rejected); });
    Print(TableRow("Invoke of an unknown DISPID", FormatDuration(refused), floorText,
                   FormatRatio(refused, floor)));
    const double bstrOnly = MedianCallSeconds([] {
        static const std::string kText = "1,0,1,3s";
        fw::Bstr text(fw::NarrowToBstr(kText));
    });
    Print(TableRow("result string alone (convert, alloc, free)", FormatDuration(bstrOnly),
                   floorText, FormatRatio(bstrOnly, floor)));

    for (const wchar_t* name : kMethods) {
        const DISPID id = DispatchId(control, name);
        const std::string trouble = FirstCallTrouble(control, id);
        if (!trouble.empty()) {
            Print(TableRow("Invoke " + Narrow(name), trouble));
            continue;
        }
        fw::Variant result;
        const double cost = MedianCallSeconds([&] { (void)InvokeOnce(control, id, result); });
        costs[name] = cost;
        Print(TableRow("Invoke " + Narrow(name), FormatDuration(cost), floorText,
                       FormatRatio(cost, floor)));
    }
    return costs;
}

// The platform's part of the slow methods, called here without the control: the object each
// call must create afresh, set against the method's whole cost.
void PlatformParts(const Costs& costs) {
    const auto compare = [&](const wchar_t* method, const std::string& what, double seconds) {
        const auto cost = costs.find(method);
        Print(TableRow("  " + what, FormatDuration(seconds),
                       cost == costs.end() ? std::string()
                                           : Narrow(method) + " " + FormatDuration(cost->second),
                       cost == costs.end() ? std::string() : FormatRatio(seconds, cost->second)));
    };
    const double d3d9 = MedianCallSeconds([] {
        using CreateFn = IDirect3D9*(WINAPI*)(UINT);
        const fw::Library library = spec_check::LoadSystemLibrary("d3d9.dll");
        if (const auto create = library.Proc<CreateFn>("Direct3DCreate9")) {
            fw::ComPtr<IDirect3D9> direct3d;
            *direct3d.put() = create(32);
            D3DADAPTER_IDENTIFIER9 identifier{};
            if (direct3d) (void)direct3d->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &identifier);
        }
    });
    compare(L"GetStringVGA", "platform alone: Direct3D 9 object, identifier", d3d9);
    const double loading =
        MedianCallSeconds([] { (void)spec_check::LoadSystemLibrary("d3d9.dll"); });
    compare(L"GetStringVGA", "platform alone: d3d9.dll loaded and freed", loading);
    const double ddraw = MedianCallSeconds([] {
        using CreateFn = HRESULT(WINAPI*)(GUID*, LPVOID*, REFIID, IUnknown*);
        const fw::Library library = spec_check::LoadSystemLibrary("ddraw.dll");
        if (const auto create = library.Proc<CreateFn>("DirectDrawCreateEx")) {
            fw::ComPtr<IDirectDraw7> directDraw;
            DDSCAPS2 caps{};
            caps.dwCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
            DWORD total = 0, free = 0;
            if (SUCCEEDED(create(nullptr, directDraw.put_void(), IID_IDirectDraw7, nullptr)) &&
                directDraw) {
                (void)directDraw->GetAvailableVidMem(&caps, &total, &free);
            }
        }
    });
    compare(L"GetStringVGAMemory", "platform alone: DirectDraw 7 object, memory", ddraw);
    const double dxdiag = MedianCallSeconds([] {
        fw::ComPtr<IDxDiagProvider> provider;
        if (FAILED(CoCreateInstance(CLSID_DxDiagProvider, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IDxDiagProvider, provider.put_void()))) {
            return;
        }
        DXDIAG_INIT_PARAMS params{sizeof(DXDIAG_INIT_PARAMS), DXDIAG_DX9_SDK_VERSION, FALSE,
                                  nullptr};
        (void)provider->Initialize(&params);
    });
    compare(L"GetStringDirectX", "platform alone: diagnostic provider started", dxdiag);
}

// The soak's two figures at one moment; -1 where the source is unavailable or gave no answer.
struct Reading {
    std::int64_t handles = -1;
    std::int64_t bytes = -1;
};

Reading Read(const std::optional<bench::Counter>& handles,
             const std::optional<bench::Counter>& memory) {
    Reading reading;
    if (handles) reading.handles = handles->read().value_or(-1);
    if (memory) reading.bytes = memory->read().value_or(-1);
    return reading;
}

void Soak(IDispatch* control) {
    const auto calls = static_cast<std::uint64_t>(EnvNumber("BENCH_SOAK_CALLS", 100000));
    std::string handleTrouble, memoryTrouble;
    const auto handles = bench::VerifiedHandleCounter(&handleTrouble);
    const auto memory = bench::VerifiedPrivateBytesCounter(&memoryTrouble);
    // Which source each figure comes from, and why the ones before it were passed over.
    Print(TableRow("soak: handle count from", handles ? handles->source : "unavailable",
                   handleTrouble));
    Print(TableRow("soak: private bytes from", memory ? memory->source : "unavailable",
                   memoryTrouble));
    for (const wchar_t* name : kCheapMethods) {
        const DISPID id = DispatchId(control, name);
        const std::string trouble = FirstCallTrouble(control, id);
        const std::string item = "soak " + Narrow(name) + " x" + std::to_string(calls);
        if (!trouble.empty()) {
            Print(TableRow(item, trouble));
            continue;
        }
        fw::Variant result;
        // Warmed up first: what a first call sets up once (the conversion tables, the string
        // cache) is not growth.
        for (int i = 0; i < 1000; ++i) (void)InvokeOnce(control, id, result);
        result.put();
        const Reading before = Read(handles, memory);
        for (std::uint64_t i = 0; i < calls; ++i) (void)InvokeOnce(control, id, result);
        result.put();
        const Reading after = Read(handles, memory);
        if (before.handles >= 0 && after.handles >= 0) {
            Print(TableRow(item + " handles",
                           std::to_string(before.handles) + " -> " + std::to_string(after.handles),
                           "growth", bench::FormatDelta(after.handles, before.handles)));
        }
        if (before.bytes >= 0 && after.bytes >= 0) {
            Print(TableRow(item + " private bytes",
                           bench::FormatKiB(static_cast<std::uint64_t>(before.bytes)) + " -> " +
                               bench::FormatKiB(static_cast<std::uint64_t>(after.bytes)),
                           "growth (bytes)", bench::FormatDelta(after.bytes, before.bytes)));
        }
    }
}

// Runs the full-read script, which writes "spec <seconds>" and "wmi <seconds>" lines (or "error
// <text>") to a file, and sets the medians side by side.
void FullRead(const std::wstring& script) {
    const int rounds = static_cast<int>(EnvNumber("BENCH_READ_ROUNDS", 5));
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring out = std::wstring(temp) + L"varnok_full_read.txt";
    DeleteFileW(out.c_str());
    std::wstring command = L"C:\\windows\\syswow64\\cscript.exe //nologo \"" + script + L"\" \"" +
                           out + L"\" " + std::to_wstring(rounds);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        Print(TableRow("full read (13 methods, VBScript)",
                       "cscript.exe not started: " + std::to_string(GetLastError())));
        return;
    }
    const fw::Handle process(info.hProcess), thread(info.hThread);
    if (WaitForSingleObject(process.get(), 15 * 60 * 1000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        Print(TableRow("full read (13 methods, VBScript)", "script did not finish"));
        return;
    }
    std::ifstream in(fw::WideToNarrow(out.c_str(), CP_ACP));
    std::vector<double> spec, wmi;
    std::string kind, errors;
    double seconds = 0;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        fields >> kind;
        if (kind == "error") {
            errors += line.substr(5) + ";";
        } else if (fields >> seconds) {
            (kind == "spec" ? spec : wmi).push_back(seconds);
        }
    }
    DeleteFileW(out.c_str());
    if (!errors.empty() || spec.empty() || wmi.empty()) {
        Print(TableRow("full read (13 methods, VBScript)",
                       errors.empty() ? "script gave no figures" : errors));
        return;
    }
    const double ours = bench::Median(spec), peer = bench::Median(wmi);
    Print(TableRow("full read, 13 methods (VBScript, " + std::to_string(spec.size()) + " rounds)",
                   FormatDuration(ours), "WMI peer " + FormatDuration(peer),
                   FormatRatio(ours, peer)));
}

// The launcher's settings for the sample game installed under C:\VarnokBench.
const wchar_t kBenchKey[] = L"Software\\VarnokBench";
const wchar_t kInstallDir[] = L"C:\\VarnokBench";

fw::ComPtr<IQuellisLauncherVistaPlay> PreparedLauncher() {
    fw::ComPtr<IQuellisLauncherVistaPlay> launcher;
    if (FAILED(CoCreateInstance(CLSID_QuellisLauncherVistaPlay, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IQuellisLauncherVistaPlay, launcher.put_void()))) {
        return {};
    }
    fw::Bstr key(kBenchKey), value(L"InstallDir"), reg1(L"member=bench"), reg2(L"server=bench"),
        path(L"\\Game.exe"), arg(L"-bench");
    launcher->SetRegInfo(1, key.get(), value.get());
    launcher->SetRegParam(reg1.get(), reg2.get());
    launcher->AddPathName(path.get());
    launcher->AddParmeter(arg.get());
    return launcher;
}

void Launches(const std::wstring& game) {
    const int rounds = static_cast<int>(EnvNumber("BENCH_LAUNCHES", 5));
    CreateDirectoryW(kInstallDir, nullptr);
    const std::wstring installed = std::wstring(kInstallDir) + L"\\Game.exe";
    fw::RegKey key;
    if (!CopyFileW(game.c_str(), installed.c_str(), FALSE) ||
        key.CreateW(HKEY_CURRENT_USER, kBenchKey) != ERROR_SUCCESS ||
        key.WriteTextW(L"InstallDir", kInstallDir) != ERROR_SUCCESS) {
        Print(TableRow("launch of the sample game", "could not install the sample game"));
        return;
    }
    using Launch = HRESULT (STDMETHODCALLTYPE IQuellisLauncherVistaPlay::*)(long*);
    struct Road {
        const char* name;
        Launch launch;
        std::vector<double> seconds;
        std::string trouble;
    };
    Road roads[] = {{"direct launch (ExecuteWin)", &IQuellisLauncherVistaPlay::ExecuteWin, {}, {}},
                    {"elevated launch (ExecuteVista)", &IQuellisLauncherVistaPlay::ExecuteVista,
                     {}, {}}};
    // One unmeasured launch of each first; then the two alternate, a fresh instance each time.
    for (int round = 0; round <= rounds; ++round) {
        for (Road& road : roads) {
            const auto launcher = PreparedLauncher();
            if (!launcher) {
                road.trouble = "launcher not created";
                continue;
            }
            // Preset as Execute presets it: a launch that goes through reports nothing else.
            long result = 0;
            const double start = kClock.Now();
            const HRESULT hr = (launcher.get()->*road.launch)(&result);
            const double elapsed = kClock.Now() - start;
            if (hr != S_OK || result != 0) {
                road.trouble = "result " + std::to_string(result) + ", " + HexResult(hr);
            } else if (round > 0) {
                road.seconds.push_back(elapsed);
            }
        }
    }
    const double direct = bench::Median(roads[0].seconds);
    for (const Road& road : roads) {
        const std::string item = std::string(road.name) + ", " + std::to_string(rounds) + " launches";
        if (!road.trouble.empty()) {
            Print(TableRow(item, road.trouble));
        } else if (&road == &roads[0]) {
            Print(TableRow(item, FormatDuration(direct)));
        } else {
            const double elevated = bench::Median(road.seconds);
            Print(TableRow(item, FormatDuration(elevated), "direct " + FormatDuration(direct),
                           FormatRatio(elevated, direct)));
        }
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kBenchKey);
}

void Sizes(const std::vector<std::wstring>& dlls) {
    for (const std::wstring& dll : dlls) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        const std::wstring name = dll.substr(dll.find_last_of(L"\\/") + 1);
        if (!GetFileAttributesExW(dll.c_str(), GetFileExInfoStandard, &data)) {
            Print(TableRow("size of " + Narrow(name), "not found"));
            continue;
        }
        const std::uint64_t bytes = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                    data.nFileSizeLow;
        Print(TableRow("size of " + Narrow(name),
                       bench::FormatKiB(bytes) + " (" + std::to_string(bytes) + " bytes)"));
    }
}

// One method called `times` times, each call's time on a line of its own: for a look at one
// method under a tracer (WINEDEBUG channels, perf) without the rest of the bench around it.
void Repeat(IDispatch* control, const std::wstring& name, int times) {
    const DISPID id = DispatchId(control, name.c_str());
    for (int i = 0; i < times; ++i) {
        fw::Variant result;
        // Marks for a tracer's log (WINEDEBUG=+debugstr): what lies between belongs to the call.
        OutputDebugStringA("spec_bench: call begins");
        const double start = kClock.Now();
        const HRESULT hr = InvokeOnce(control, id, result);
        const double elapsed = kClock.Now() - start;
        OutputDebugStringA("spec_bench: call ends");
        Print(TableRow("Invoke " + Narrow(name) + " #" + std::to_string(i + 1),
                       FAILED(hr) ? "failed " + HexResult(hr) : FormatDuration(elapsed)));
    }
}

// Ends the process when the launches have not finished after the given seconds.
DWORD WINAPI LaunchWatchdog(void* limit) {
    const double seconds = *static_cast<const double*>(limit);
    Sleep(static_cast<DWORD>(seconds * 1000));
    Print(TableRow("launches", "no answer within " + FormatDuration(seconds)));
    ExitProcess(1);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring script, game, repeat, companion, link;
    std::vector<std::wstring> dlls;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i];
        if (option == L"--script") script = argv[i + 1];
        else if (option == L"--game") game = argv[i + 1];
        else if (option == L"--dll") dlls.push_back(argv[i + 1]);
        else if (option == L"--repeat") repeat = argv[i + 1];
        else if (option == L"--companion") companion = argv[i + 1];
        else if (option == L"--link") link = argv[i + 1];
    }
    const fw::CoInit com;
    Print(bench::TableHeader());
    fw::ComPtr<IDispatch> control;
    const HRESULT hr = CoCreateInstance(CLSID_QuellisSpecCheck, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IDispatch, control.put_void());
    if (SUCCEEDED(hr) && !repeat.empty()) {
        Repeat(control.get(), repeat, static_cast<int>(EnvNumber("BENCH_REPEAT", 5)));
        return 0;
    }
    if (FAILED(hr)) {
        Print(TableRow("spec-check control", "not created: " + HexResult(hr)));
    } else {
        PlatformParts(MethodCosts(control.get()));
    }
    if (!script.empty()) FullRead(script);
    if (!companion.empty() && !link.empty() && !game.empty()) {
        bench::CompanionRows(companion, link, game);
    }
    Sizes(dlls);
    if (control) Soak(control.get());
    control.Reset();
    if (!game.empty()) {
        // Last, and watched: an activation in the surrogate that never answers ends the run with
        // a row that says so instead of holding the bench for ever.
        const double limit = EnvNumber("BENCH_LAUNCH_SECONDS", 300);
        const fw::Handle watchdog(
            CreateThread(nullptr, 0, &LaunchWatchdog, const_cast<double*>(&limit), 0, nullptr));
        Launches(game);
    }
    return 0;
}
