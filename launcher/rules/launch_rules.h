// The launcher's rules: key types, how launch-setting fields take text, and how command lines
// are composed. No platform calls: the control hands plain values in.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace launcher {

constexpr std::size_t kShortFieldSize = 256;   // key path, value name, path, argument
constexpr std::size_t kLongFieldSize = 2048;   // the two parameter texts
constexpr std::size_t kDirectoryBufferSize = 512;
constexpr std::size_t kCommandLineSize = 256;

// Registry roots by number, as the page's key type names them.
enum RootNumberValue : int { kClassesRoot = 0, kCurrentUser = 1, kLocalMachine = 2 };

// Root number of a key type: 0 (classes root), 1 (current user), 2 (local machine) for all else.
int RootNumber(short keyType);

// What a launch method hands the page as its result: the step that failed, or nothing reported.
enum class LaunchResult : long {
    NothingReported = 0,
    KeyNotOpened = 1,
    DirectoryNotRead = 2,     // the installation directory is missing, unreadable or not absolute
    CParamNotWritten = 3,
    RParamNotWritten = 4,
    AParamNotWritten = 5,
    NotStarted = 9,
};

// Whether a byte starts a two-byte character in the text's code page.
using LeadByteTest = bool (*)(unsigned char byte);

// Length of the longest prefix of text that fits `maxBytes` without splitting a two-byte
// character.
std::size_t FittingLength(const std::string& text, std::size_t maxBytes, LeadByteTest isLead);

enum class AppendResult { Appended, TooLong };

// Appends text to the NUL-terminated text of a zero-filled field of `size` bytes. Refused, with
// the field unchanged, when the text alone or the whole result would not fit with its terminator.
AppendResult AppendToField(char* field, std::size_t size, const std::string& text);

// A program path must stay below the folder it is appended to: no ".." segment (either slash) and
// no drive or stream colon.
bool IsContainedPath(const std::string& path);

// An installation directory a program may be started from: a drive letter, a colon and a
// backslash. An empty, relative, root-relative or drive-relative directory would be completed
// with the current drive or folder, and a share or device path (\\server\share, \\?\C:\...,
// \\.\C:\...) names no plain local folder.
bool IsAbsoluteLocalDirectory(const std::string& directory);

// The program a game launch names, "<directory><path>", and a board-game launch,
// "<windows>\system32\<path>" (with an empty path: the system folder itself).
std::string GameProgram(const std::string& directory, const std::string& path);
std::string BoardGameProgram(const std::string& windowsDirectory, const std::string& path);

// The game's command line, "<directory><path> <argument>", and the program it names. Nothing
// when the program passes the directory buffer or the command line passes its buffer.
struct Launch {
    std::string program;
    std::string commandLine;
};
std::optional<Launch> ComposeGameLaunch(const std::string& directory, const std::string& path,
                                        const std::string& argument);
// The board game's: "<windows>\system32\<path> <argument>".
std::optional<Launch> ComposeBoardGameLaunch(const std::string& windowsDirectory,
                                             const std::string& path, const std::string& argument);

// The bytes a registry read returned, up to the first NUL (all of them when there is none).
std::string TextOfValue(const char* data, std::size_t length);

// The machine launch policy. Where HKLM\Software\VarnokLauncher\Policy exists, a program starts
// only from a folder at or below one of the installation directories that the registry locations
// listed under its "Locations" subkey hold and, where its "Programs" subkey exists, only under
// one of the file names listed there.
constexpr const char* kPolicyKeyPath = "Software\\VarnokLauncher\\Policy";
constexpr const char* kPolicyLocationsKey = "Locations";
constexpr const char* kPolicyProgramsKey = "Programs";

// A registry value a policy names as holding an installation directory.
struct PolicyLocation {
    int root;               // RootNumberValue
    std::string keyPath;
    std::string valueName;  // empty: the key's default value
};

// A location as the policy writes it: "<root>\<key path>|<value name>". The root is
// HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER or HKEY_CLASSES_ROOT (or HKLM, HKCU, HKCR), in any case;
// the key path is not empty and ends at the first '|'; the value name is everything after it.
// Nothing for any other text, and for the three values every launch writes with the page's texts
// ("C_Param", "R_Param", "A_Param"), which a page could fill with a directory of its choice.
std::optional<PolicyLocation> ParsePolicyLocation(const std::string& text, LeadByteTest isLead);

// Whether a value name is one of the three every launch writes with the page's texts ("C_Param",
// "R_Param", "A_Param"), compared as the registry compares names: such a value holds whatever a
// page wrote, so it never names an installation directory.
bool IsLaunchOutputValue(const std::string& valueName);

// Whether a process's command line is that of the system's COM surrogate for the given AppID or
// class ("{...}"): the program dllhost.exe (any folder, any case) and, as its one argument,
// "/Processid:<id>" in any case. Any other program, or any other word on the line (a browser
// started with an address that holds the argument), is not.
bool IsSurrogateFor(const std::string& commandLine, const std::string& appId);

// Whether a program's full path names the system's surrogate, dllhost.exe, directly in `folder`
// (any case; the folder given with or without its closing backslash; never an empty one). A copy
// in any other folder is not.
bool IsSurrogateImage(const std::string& program, std::string folder);

// What a policy allows: the installation directories its locations held, and the program names
// it lists (when `programsListed`; an empty list then allows none).
struct LaunchPolicy {
    std::vector<std::string> directories;
    bool programsListed = false;
    std::vector<std::string> programs;
};

// Whether the policy lets the game launch start `program` (the full name the launch composed):
// the program's folder is one of the policy's directories or lies below one, comparing whole
// folder names without regard to ASCII case, and its file name is listed where names are listed.
// A program or directory that is not an absolute local path, or that holds a "." or ".."
// segment, a name ending in a dot or a blank, or a colon past the drive, matches nothing.
bool PolicyAllowsGame(const LaunchPolicy& policy, const std::string& program, LeadByteTest isLead);

// Whether the policy lets the board-game launch start `program`: the page names a program of the
// system folder, so only by name, and only when the policy lists names; the program must still
// lie below `systemFolder`.
bool PolicyAllowsBoardGame(const LaunchPolicy& policy, const std::string& program,
                           const std::string& systemFolder, LeadByteTest isLead);

}  // namespace launcher
