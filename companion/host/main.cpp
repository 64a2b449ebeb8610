// VarnokCompanion.exe: the browsers' native messaging host of the controls. It reads frames (a
// 32-bit length in native byte order, then that many bytes of UTF-8 JSON) from its standard input
// and writes one answer frame for each, in order, to its standard output, until its input ends
// (exit 0). A frame longer than the limit is answered unread and the host exits 1 at once; a frame
// cut short by the end of input ends it with 1, having run nothing of it.
#include <windows.h>

#include <cstdint>
#include <new>
#include <string>

#include "companion/rules/message.h"
#include "companion_version.h"
#include "control_calls.h"
#include "module.h"
#include "raii.h"
#include "site_lock.h"

namespace {

enum class Read { Whole, Nothing, Short };

// Reads exactly `size` bytes; Nothing when the input ended before the first, Short after it.
Read ReadExactly(HANDLE in, void* buffer, DWORD size) {
    auto* at = static_cast<char*>(buffer);
    DWORD done = 0;
    while (done < size) {
        DWORD got = 0;
        // A pipe's end reads as ERROR_BROKEN_PIPE, a file's as zero bytes.
        if (!ReadFile(in, at + done, size - done, &got, nullptr) || got == 0) {
            return done == 0 ? Read::Nothing : Read::Short;
        }
        done += got;
    }
    return Read::Whole;
}

bool WriteAll(HANDLE out, const void* data, DWORD size) {
    const auto* at = static_cast<const char*>(data);
    while (size > 0) {
        DWORD put = 0;
        if (!WriteFile(out, at, size, &put, nullptr) || put == 0) return false;
        at += put;
        size -= put;
    }
    return true;
}

bool WriteFrame(HANDLE out, const std::string& answer) {
    const auto length = static_cast<std::uint32_t>(answer.size());
    return WriteAll(out, &length, sizeof length) &&
           WriteAll(out, answer.data(), static_cast<DWORD>(answer.size()));
}

// The same rule and list as the controls' lock, asked first so that a refused message runs no
// call; a locked build takes only a bare origin.
bool OriginAllowed(std::string_view origin) {
    return fw::SiteListOpen() || (companion::IsOrigin(origin) && fw::AddressAllowed(origin));
}

std::string Answer(const std::string& body) {
    auto reading = companion::ReadMessage(body, OriginAllowed);
    if (const auto* refusal = std::get_if<companion::Refusal>(&reading)) {
        return companion::RefusalAnswer(*refusal);
    }
    const auto& request = std::get<companion::Request>(reading);
    if (request.control == companion::Control::Hello) {
        return companion::HelloAnswer(VARNOK_FILE_VERSION_TEXT);
    }
    return companion::RunCalls(request);
}

}  // namespace

int main() {
    fw::Module::SetInstance(GetModuleHandleW(nullptr));
    // The launcher's fields then hold text in the code page that the system's registry and
    // process calls convert with, as in the link handler.
    SetThreadLocale(LOCALE_SYSTEM_DEFAULT);
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const fw::CoInit com;
    try {
        for (;;) {
            std::uint32_t length = 0;
            switch (ReadExactly(in, &length, sizeof length)) {
                case Read::Whole: break;
                case Read::Nothing: return 0;
                case Read::Short: return 1;
            }
            if (!companion::FrameFits(length)) {
                WriteFrame(out, companion::RefusalAnswer(companion::TooLongFrame(length)));
                return 1;
            }
            std::string body(length, '\0');
            if (ReadExactly(in, body.data(), length) != Read::Whole) return 1;
            if (!WriteFrame(out, Answer(body))) return 1;
        }
    } catch (const std::bad_alloc&) {
        return 1;
    }
}
