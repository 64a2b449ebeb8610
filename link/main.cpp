// VarnokLink.exe: the handler of `varnok:` links. A browser starts it with the link as its one
// argument, after asking the visitor; it launches the registered game the link names through the
// launcher control's own code and exits with the launcher's result code, or refuses the link with
// one message box and one of the codes 101-103. "/register" and "/unregister" add and remove the
// scheme for the current user.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "link_launch.h"
#include "module.h"
#include "raii.h"
#include "registry_tree.h"

namespace {

constexpr wchar_t kSchemeKey[] = L"Software\\Classes\\varnok";

bool SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
    return fw::RegKey::WriteTextW(key, name, text) == ERROR_SUCCESS;
}

// The scheme for this user, as the installer writes it for the machine: a URL protocol whose open
// command passes the link as one quoted argument to this program.
bool RegisterScheme() {
    std::wstring self(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
        if (n == 0) return false;
        if (n < self.size()) {
            self.resize(n);
            break;
        }
        self.resize(self.size() * 2);
    }
    if (fw::DeleteKeyTree(HKEY_CURRENT_USER, kSchemeKey) != ERROR_SUCCESS) return false;
    fw::RegKey scheme, command;
    return scheme.CreateW(HKEY_CURRENT_USER, kSchemeKey) == ERROR_SUCCESS &&
           SetText(scheme.get(), nullptr, L"URL:Varnok game link") &&
           SetText(scheme.get(), L"URL Protocol", L"") &&
           command.CreateW(scheme.get(), L"shell\\open\\command") == ERROR_SUCCESS &&
           SetText(command.get(), nullptr, L"\"" + self + L"\" \"%1\"");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    fw::Module::SetInstance(instance);
    // The launcher's fields then hold text in the code page that the system's registry and
    // process calls convert with.
    SetThreadLocale(LOCALE_SYSTEM_DEFAULT);

    int count = 0;
    const fw::LocalMem<LPWSTR> args(CommandLineToArgvW(GetCommandLineW(), &count));
    if (args && count == 2) {
        const wchar_t* const argument = args.get()[1];
        if (lstrcmpiW(argument, L"/register") == 0) return RegisterScheme() ? 0 : 1;
        if (lstrcmpiW(argument, L"/unregister") == 0) {
            return fw::DeleteKeyTree(HKEY_CURRENT_USER, kSchemeKey) == ERROR_SUCCESS ? 0 : 1;
        }
    }

    links::Outcome outcome;
    if (args && count == 2) {
        const fw::CoInit com;
        outcome = links::HandleLink(args.get()[1]);
    } else {
        outcome = links::MalformedLink();
    }
    // Where no box can be shown the exit code still says why.
    if (!outcome.refusal.empty()) {
        MessageBoxW(nullptr, outcome.refusal.c_str(), L"Varnok",
                    MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
    }
    return outcome.exitCode;
}
