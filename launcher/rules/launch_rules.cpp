#include "launcher/rules/launch_rules.h"

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

std::optional<Launch> ComposeGameLaunch(const std::string& directory, const std::string& path,
                                        const std::string& argument) {
    return Compose(directory + path, argument);
}

std::optional<Launch> ComposeBoardGameLaunch(const std::string& windowsDirectory,
                                             const std::string& path, const std::string& argument) {
    return Compose(windowsDirectory + "\\system32\\" + path, argument);
}

std::string TextOfValue(const char* data, std::size_t length) {
    if (!data) return {};
    const void* nul = std::memchr(data, '\0', length);
    return std::string(data, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - data) : length);
}

}  // namespace launcher
