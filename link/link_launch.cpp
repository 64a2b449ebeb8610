#include "link_launch.h"

#include <optional>

#include "launcher_embed.h"
#include "link/rules/link.h"
#include "link/rules/link_signature.h"
#include "link_signature.h"
#include "raii.h"
#include "text.h"

namespace links {

namespace {

// The code page the launcher's fields use in this process (the thread's, which the handler sets
// to the system's): the one a text must have a form in.
UINT FieldCodePage() {
    DWORD codePage = 0;
    if (!GetLocaleInfoW(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t))) {
        return GetACP();
    }
    return codePage;
}

std::wstring FromUtf8(const std::string& text) { return fw::NarrowToWide(text, CP_UTF8); }

// A REG_SZ value's text (up to its first NUL); nothing when it is missing, of another type or
// larger than any registration needs.
std::optional<std::wstring> ReadText(HKEY key, const wchar_t* name) {
    return fw::RegKey::ReadTextW(key, name, 1023 * sizeof(wchar_t));
}

// The registration of a game, read in the 32-bit view of the local machine.
std::optional<GameEntry> RegisteredGame(const std::string& id, UINT codePage) {
    fw::RegKey key;
    const std::string path = std::string(kGamesKeyPath) + "\\" + id;
    if (key.OpenA(HKEY_LOCAL_MACHINE, path.c_str(), KEY_QUERY_VALUE | KEY_WOW64_32KEY) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    GameEntryValues values;
    if (const auto directory = ReadText(key.get(), L"Directory")) {
        values.directory = fw::WideToNarrowExact(*directory, codePage);
    }
    if (const auto program = ReadText(key.get(), L"Program")) {
        values.program = fw::WideToNarrowExact(*program, codePage);
    }
    DWORD elevated = 0;
    const LONG rc = key.ReadDwordW(L"Elevated", elevated);
    values.elevatedPresent = rc != ERROR_FILE_NOT_FOUND;
    if (rc == ERROR_SUCCESS) values.elevated = elevated;
    auto entry = CheckGameEntry(values, IsFieldLeadByte);
    // "SignedBy" in any form makes a game take only signed links; one that is not a REG_SZ of
    // ASCII text is no key, and the game takes none.
    if (entry && key.ProbeValueW(L"SignedBy") != ERROR_FILE_NOT_FOUND) {
        entry->signedBy.emplace();  // no key until one is read
        if (const auto text = ReadText(key.get(), L"SignedBy")) {
            // A character outside ASCII becomes one that no key holds.
            for (const wchar_t c : *text) {
                entry->signedBy->push_back(c < 0x80 ? static_cast<char>(c) : '?');
            }
        }
    }
    return entry;
}

Outcome Refused(Refusal code, std::wstring message) {
    return Outcome{static_cast<int>(code), std::move(message)};
}

}  // namespace

Outcome MalformedLink() {
    return Refused(Refusal::Malformed,
                   L"This is not a link that starts a game (varnok:launch?game=...). "
                   L"No game was started.");
}

Outcome HandleLink(const std::wstring& link) {
    // Browsers hand links over percent-encoded: anything outside ASCII is no link of ours.
    std::string ascii;
    for (const wchar_t c : link) {
        if (c > 0x7F) return MalformedLink();
        ascii.push_back(static_cast<char>(c));
    }
    const auto parsed = ParseLaunchLink(ascii);
    if (!parsed) return MalformedLink();

    const UINT codePage = FieldCodePage();
    const auto game = IsGameId(parsed->game) ? RegisteredGame(parsed->game, codePage) : std::nullopt;
    if (!game) {
        const std::wstring named =
            IsGameId(parsed->game) ? L"The game \"" + FromUtf8(parsed->game) + L"\" is" : L"This game is";
        return Refused(Refusal::NotRegistered,
                       named + L" not installed on this PC, or its installation is incomplete. "
                               L"No game was started.");
    }

    // A game that names its portal's key takes only links that key signed, unexpired.
    if (game->signedBy &&
        !SignedLinkHolds(ascii, *game->signedBy, ClockNow(), SystemVerifiesP256)) {
        return Refused(Refusal::NotSigned,
                       L"This link was not signed for this game by its portal, or it has expired. "
                       L"No game was started.");
    }

    // Each text whole, or the link is refused: the launcher would cut a long parameter text and
    // refuse a long argument with a message box of its own.
    const struct {
        const std::string& text;
        size_t limit;
        const wchar_t* name;
    } texts[] = {
        {parsed->c, kMaxParamBytes, L"first parameter text (c)"},
        {parsed->r, kMaxParamBytes, L"second parameter text (r)"},
        {parsed->arg, kMaxArgBytes, L"argument (arg)"},
    };
    std::wstring wide[3];
    for (size_t i = 0; i < 3; ++i) {
        wide[i] = FromUtf8(texts[i].text);
        const auto narrow = fw::WideToNarrowExact(wide[i], codePage);
        if (!narrow || narrow->size() > texts[i].limit) {
            return Refused(Refusal::DoesNotFit,
                           std::wstring(L"The link's ") + texts[i].name +
                               L" is too long, or holds characters that this PC's language "
                               L"settings cannot represent. No game was started.");
        }
    }

    // The launcher control itself, driven as a page drives it.
    fw::ComPtr<IQuellisLauncherVistaPlay> launcher;
    if (FAILED(launcher::CreateLauncher(IID_IQuellisLauncherVistaPlay, launcher.put_void()))) {
        return Outcome{static_cast<int>(launcher::LaunchResult::NotStarted), {}};
    }
    const fw::Bstr key(fw::NarrowToWide(game->location.keyPath, codePage).c_str());
    const fw::Bstr value(fw::NarrowToWide(game->location.valueName, codePage).c_str());
    const fw::Bstr reg1(wide[0].c_str()), reg2(wide[1].c_str()), arg(wide[2].c_str());
    const fw::Bstr path(fw::NarrowToWide(game->program, codePage).c_str());
    launcher->SetRegInfo(static_cast<SHORT>(game->location.root), key.get(), value.get());
    launcher->SetRegParam(reg1.get(), reg2.get());
    launcher->AddPathName(path.get());
    launcher->AddParmeter(arg.get());
    LONG result = 0;
    if (game->elevated) {
        launcher->Execute(&result);
    } else {
        launcher->ExecuteWin(&result);
    }
    return Outcome{static_cast<int>(result), {}};
}

}  // namespace links
