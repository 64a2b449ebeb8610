#include "launcher/rules/launch_rules.h"

#include <algorithm>
#include <cstring>

namespace launcher {

int RootNumber(short keyType) {
    if (keyType == 0) return kClassesRoot;
    if (keyType == 1) return kCurrentUser;
    return kLocalMachine;
}

std::size_t FittingLength(const std::string& text, std::size_t maxBytes, LeadByteTest isLead) {
    if (text.size() <= maxBytes) return text.size();
    std::size_t i = 0;
    while (i < maxBytes) {
        const std::size_t width = (isLead && isLead(static_cast<unsigned char>(text[i]))) ? 2 : 1;
        if (i + width > maxBytes) break;
        i += width;
    }
    return i;
}

AppendResult AppendToField(char* field, std::size_t size, const std::string& text) {
    if (size == 0 || text.size() > size - 1) return AppendResult::TooLong;
    const void* nul = std::memchr(field, '\0', size);
    const std::size_t held = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : size;
    if (held + text.size() > size - 1) return AppendResult::TooLong;
    std::memcpy(field + held, text.data(), text.size());
    field[held + text.size()] = '\0';
    return AppendResult::Appended;
}

bool IsContainedPath(const std::string& path) {
    if (path.find(':') != std::string::npos) return false;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos) end = path.size();
        if (path.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    return true;
}

bool IsAbsoluteLocalDirectory(const std::string& directory) {
    if (directory.size() < 3) return false;
    const char drive = directory[0];
    const bool isLetter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
    return isLetter && directory[1] == ':' && directory[2] == '\\';
}

namespace {

std::optional<Launch> Compose(std::string program, const std::string& argument) {
    if (program.size() > kDirectoryBufferSize - 1) return std::nullopt;
    std::string commandLine = program + " " + argument;
    if (commandLine.size() > kCommandLineSize - 1) return std::nullopt;
    return Launch{std::move(program), std::move(commandLine)};
}

}  // namespace

std::string GameProgram(const std::string& directory, const std::string& path) {
    return directory + path;
}

std::string BoardGameProgram(const std::string& windowsDirectory, const std::string& path) {
    return windowsDirectory + "\\system32\\" + path;
}

std::optional<Launch> ComposeGameLaunch(const std::string& directory, const std::string& path,
                                        const std::string& argument) {
    return Compose(GameProgram(directory, path), argument);
}

std::optional<Launch> ComposeBoardGameLaunch(const std::string& windowsDirectory,
                                             const std::string& path, const std::string& argument) {
    return Compose(BoardGameProgram(windowsDirectory, path), argument);
}

std::string TextOfValue(const char* data, std::size_t length) {
    if (!data) return {};
    const void* nul = std::memchr(data, '\0', length);
    return std::string(data, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - data) : length);
}

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(const std::string& a, const char* b) {
    const std::size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

// Whether text[i] starts a two-byte character. No code page takes a byte below 0x40 as a second
// byte, so a lead byte before a separator, colon or dot stands alone, as the system reads it.
bool StartsPair(const std::string& text, std::size_t i, LeadByteTest isLead) {
    return isLead && i + 1 < text.size() && isLead(static_cast<unsigned char>(text[i])) &&
           static_cast<unsigned char>(text[i + 1]) >= 0x40;
}

// Index of the first `wanted` byte that is not the second byte of a two-byte character.
std::size_t FindByte(const std::string& text, char wanted, LeadByteTest isLead) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == wanted) return i;
        if (StartsPair(text, i, isLead)) ++i;
    }
    return std::string::npos;
}

// An absolute local path as names to compare: the drive, then each folder or file name with its
// ASCII letters folded (never the second byte of a two-byte character). Separators of either
// kind, and runs of them, only divide names. Nothing for a path that is not absolute local, or
// that holds a name the system would rewrite or that steps out of its folder: ".", "..", a name
// ending in a dot or a blank, or a colon past the drive.
struct PathNames {
    std::vector<std::string> names;
    bool endsWithSeparator = false;
};

std::optional<PathNames> NamesOf(const std::string& path, LeadByteTest isLead) {
    if (!IsAbsoluteLocalDirectory(path)) return std::nullopt;
    PathNames result;
    result.names.push_back({FoldAscii(path[0]), ':'});
    std::string name;
    bool separated = true;
    auto finishName = [&]() {
        if (name.empty()) return true;
        if (name.back() == '.' || name.back() == ' ') return false;
        result.names.push_back(std::move(name));
        name.clear();
        return true;
    };
    for (std::size_t i = 3; i < path.size(); ++i) {
        const char c = path[i];
        separated = false;
        if (StartsPair(path, i, isLead)) {
            name += c;
            name += path[++i];
        } else if (c == '\\' || c == '/') {
            if (!finishName()) return std::nullopt;
            separated = true;
        } else if (c == ':') {
            return std::nullopt;
        } else {
            name += FoldAscii(c);
        }
    }
    if (!finishName()) return std::nullopt;
    result.endsWithSeparator = separated;
    return result;
}

// Whether the program names a file whose folder is `directory` or lies below it.
bool FolderIsAtOrBelow(const PathNames& program, const std::string& directory,
                       LeadByteTest isLead) {
    const auto folder = NamesOf(directory, isLead);
    if (!folder || program.names.size() <= folder->names.size()) return false;
    return std::equal(folder->names.begin(), folder->names.end(), program.names.begin());
}

bool NameIsListed(const PathNames& program, const LaunchPolicy& policy, LeadByteTest isLead) {
    if (!policy.programsListed) return true;
    for (const auto& listed : policy.programs) {
        // A listed name is compared as the one name of a path in the drive's root.
        const auto names = NamesOf("c:\\" + listed, isLead);
        if (names && names->names.size() == 2 && !names->endsWithSeparator &&
            names->names[1] == program.names.back()) {
            return true;
        }
    }
    return false;
}

// The program as names, when it names a file at all.
std::optional<PathNames> ProgramNames(const std::string& program, LeadByteTest isLead) {
    auto names = NamesOf(program, isLead);
    if (!names || names->endsWithSeparator || names->names.size() < 2) return std::nullopt;
    return names;
}

}  // namespace

std::optional<PolicyLocation> ParsePolicyLocation(const std::string& text, LeadByteTest isLead) {
    const std::size_t bar = FindByte(text, '|', isLead);
    const std::size_t slash = text.find('\\');
    if (bar == std::string::npos || slash == std::string::npos || slash > bar) return std::nullopt;
    const std::string rootName = text.substr(0, slash);
    PolicyLocation location;
    if (EqualsNoCase(rootName, "HKEY_LOCAL_MACHINE") || EqualsNoCase(rootName, "HKLM")) {
        location.root = kLocalMachine;
    } else if (EqualsNoCase(rootName, "HKEY_CURRENT_USER") || EqualsNoCase(rootName, "HKCU")) {
        location.root = kCurrentUser;
    } else if (EqualsNoCase(rootName, "HKEY_CLASSES_ROOT") || EqualsNoCase(rootName, "HKCR")) {
        location.root = kClassesRoot;
    } else {
        return std::nullopt;
    }
    location.keyPath = text.substr(slash + 1, bar - slash - 1);
    location.valueName = text.substr(bar + 1);
    if (location.keyPath.empty() || location.keyPath[0] == '\\') return std::nullopt;
    if (IsLaunchOutputValue(location.valueName)) return std::nullopt;
    return location;
}

bool IsLaunchOutputValue(const std::string& valueName) {
    for (const char* written : {"C_Param", "R_Param", "A_Param"}) {
        if (EqualsNoCase(valueName, written)) return true;
    }
    return false;
}

bool IsSurrogateFor(const std::string& commandLine, const std::string& appId) {
    // The program: a quoted first word, or one up to the first blank.
    std::size_t end = 0;
    std::string program;
    if (!commandLine.empty() && commandLine[0] == '"') {
        end = commandLine.find('"', 1);
        if (end == std::string::npos) return false;
        program = commandLine.substr(1, end - 1);
        ++end;
    } else {
        end = std::min(commandLine.find_first_of(" \t"), commandLine.size());
        program = commandLine.substr(0, end);
    }
    const std::size_t slash = program.find_last_of("\\/");
    if (!EqualsNoCase(slash == std::string::npos ? program : program.substr(slash + 1),
                      "dllhost.exe")) {
        return false;
    }
    // Then exactly one argument, the surrogate's, with nothing but blanks around it.
    const std::size_t first = commandLine.find_first_not_of(" \t", end);
    if (first == std::string::npos || first == end) return false;
    const std::size_t last = commandLine.find_last_not_of(" \t");
    const std::string argument = "/processid:" + appId;
    return EqualsNoCase(commandLine.substr(first, last + 1 - first), argument.c_str());
}

bool IsSurrogateImage(const std::string& program, std::string folder) {
    const std::size_t slash = program.find_last_of('\\');
    if (slash == std::string::npos || !EqualsNoCase(program.substr(slash + 1), "dllhost.exe")) {
        return false;
    }
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return !folder.empty() && EqualsNoCase(program.substr(0, slash), folder.c_str());
}

bool PolicyAllowsGame(const LaunchPolicy& policy, const std::string& program, LeadByteTest isLead) {
    const auto names = ProgramNames(program, isLead);
    if (!names || !NameIsListed(*names, policy, isLead)) return false;
    return std::any_of(policy.directories.begin(), policy.directories.end(),
                       [&](const std::string& dir) {
                           return FolderIsAtOrBelow(*names, dir, isLead);
                       });
}

bool PolicyAllowsBoardGame(const LaunchPolicy& policy, const std::string& program,
                           const std::string& systemFolder, LeadByteTest isLead) {
    const auto names = ProgramNames(program, isLead);
    return policy.programsListed && names && NameIsListed(*names, policy, isLead) &&
           FolderIsAtOrBelow(*names, systemFolder, isLead);
}

}  // namespace launcher
