// The launcher's rules: key types, how launch-setting fields take text, and how command lines
// are composed. No platform calls: the control hands plain values in.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

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

// The game's command line, "<directory><path> <argument>", and the program it names
// ("<directory><path>"). Nothing when the program passes the directory buffer or the command line
// passes its buffer.
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

}  // namespace launcher
