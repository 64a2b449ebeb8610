// What the programs that drive a host (the bench, the tests) need: frames to send, answers to
// read, and the host started with pipes. The host itself never links this file.
#include "frames.h"

namespace companion {

std::string FrameOf(std::string_view body, std::uint32_t length) {
    return std::string(reinterpret_cast<const char*>(&length), sizeof length) + std::string(body);
}

std::string FrameOf(std::string_view body) {
    return FrameOf(body, static_cast<std::uint32_t>(body.size()));
}

std::optional<std::string> ReadFrame(HANDLE in) {
    std::uint32_t length = 0;
    if (ReadUpTo(in, &length, sizeof length) != sizeof length) return std::nullopt;
    std::string body(length, '\0');
    if (ReadUpTo(in, body.data(), length) != length) return std::nullopt;
    return body;
}

HostProcess::HostProcess(const std::wstring& exe, const std::wstring& argument) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    fw::Handle childIn, childOut;
    if (!CreatePipe(childIn.put(), input_.put(), &inherit, 0) ||
        !CreatePipe(output_.put(), childOut.put(), &inherit, 0)) {
        return;
    }
    SetHandleInformation(input_.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(output_.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn.get();
    startup.hStdOutput = childOut.get();
    startup.hStdError = childOut.get();
    std::wstring command = L"\"" + exe + L"\"" + (argument.empty() ? L"" : L" " + argument);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &info)) {
        process_ = fw::Handle(info.hProcess);
        CloseHandle(info.hThread);
    }
}

HostProcess::~HostProcess() {
    if (Exit(0) == STILL_ACTIVE) TerminateProcess(process_.get(), 1);
}

bool HostProcess::Write(std::string_view bytes) {
    return running() && WriteAll(input_.get(), bytes.data(), static_cast<DWORD>(bytes.size()));
}

DWORD HostProcess::Exit(DWORD ms) const {
    if (!running()) return 1;
    WaitForSingleObject(process_.get(), ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

}  // namespace companion
