// The rules of the link handler: what a `varnok:` link says, which game ids name a game, and
// what a game's registration must hold. No platform calls: the handler hands plain values in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "launcher/rules/launch_rules.h"

namespace links {

// The handler's exit codes before any launch; after one it exits with the launcher's result code
// (0, 1-5, 9).
enum class Refusal : int {
    Malformed = 101,      // not a launch link of the form below, or extra command-line arguments
    NotRegistered = 102,  // no registered game of that id, or its entry is incomplete
    DoesNotFit = 103,     // a text too long for its field, or without a form in the code page
    NotSigned = 104,      // a game that takes only signed links, and the link's signature fails
};

// What a link asks for: a game id as written (decoded) and three texts in UTF-8, empty when the
// link leaves them out.
struct LaunchLink {
    std::string game;
    std::string c;    // "C_Param"
    std::string r;    // "R_Param"
    std::string arg;  // the command line's argument
};

// "varnok:launch?game=<id>&c=<text>&r=<text>&arg=<text>": the scheme in any case, the action
// exactly "launch", then name=value parameters separated by '&', in any order, each at most
// once; `game` is required, the others optional. "exp" and "sig" (a signed link's expiry and
// signature, see link_signature.h) are taken, at most once each, and not kept. Values are
// percent-encoded UTF-8 ("%41" or "%4a"; '+' stands for itself); unencoded, a value holds only the characters a browser leaves
// unencoded in a query (printable ASCII but for a blank, '"', '#', '<', '>'), besides '%' escapes,
// and '=' after the first. Nothing for anything else: another scheme or action, a part without
// '=', an unknown or repeated name, a bad escape, decoded bytes that are not UTF-8 or hold a NUL.
std::optional<LaunchLink> ParseLaunchLink(std::string_view link);

// A game id names a game only when it is a plain name: 1 to 64 ASCII letters, digits, '-', '_'
// and '.', neither "." nor holding "..". Anything else (a backslash, a path) names no registered game.
constexpr std::size_t kMaxGameIdLength = 64;
bool IsGameId(std::string_view id);

// Where games are registered, below HKEY_LOCAL_MACHINE in the 32-bit view: <key>\<id>.
constexpr const char* kGamesKeyPath = "Software\\VarnokLauncher\\Games";

// The longest texts the launcher's fields hold, in bytes of the code page: "C_Param" and
// "R_Param" 2047, the argument 255. A link's longer text is refused, not cut.
constexpr std::size_t kMaxParamBytes = launcher::kLongFieldSize - 1;
constexpr std::size_t kMaxArgBytes = launcher::kShortFieldSize - 1;

// A game's registration as its installer wrote it: "Directory" (where the installation directory
// is recorded, "<root>\<key path>|<value name>"), "Program" (the path appended to it) and
// "Elevated" (absent, 0 or 1), each as read, converted to the code page.
struct GameEntryValues {
    std::optional<std::string> directory;     // a REG_SZ value's text
    std::optional<std::string> program;       // a REG_SZ value's text
    bool elevatedPresent = false;
    std::optional<std::uint32_t> elevated;    // a REG_DWORD's value; nothing for another type
};

// What the launcher is handed for a registered game.
struct GameEntry {
    launcher::PolicyLocation location;  // root, key path and value name for SetRegInfo
    std::string program;                // for AddPathName
    bool elevated = false;              // Execute (elevated on Vista and later) or ExecuteWin
    // "SignedBy": nothing for a game that takes any link; the key's base64 text for one that
    // takes only signed links (empty, or any text that is no key, when it cannot be read as one:
    // such a game takes no link at all).
    std::optional<std::string> signedBy;
};

// The game a registration describes, or nothing when it is incomplete or unusable: a directory
// location the machine policy would not accept, or whose key path or value name would not fit
// the launcher's fields; an empty program, one over 255 bytes or one the launcher would refuse
// (a ".." segment, a colon); an "Elevated" that is not a DWORD of 0 or 1. Leaves `signedBy` empty:
// the caller reads it.
std::optional<GameEntry> CheckGameEntry(const GameEntryValues& values,
                                        launcher::LeadByteTest isLead);

}  // namespace links
