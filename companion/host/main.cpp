// VarnokCompanion.exe: the browsers' native messaging host of the controls. It reads frames (a
// 32-bit length in native byte order, then that many bytes of UTF-8 JSON) from its standard input
// and writes one answer frame for each, in order, to its standard output, until its input ends
// (exit 0). A frame longer than the limit is answered unread and the host exits 1 at once; a frame
// cut short by the end of input ends it with 1, having run nothing of it.
#include <windows.h>

#include <cstdint>
#include <new>
#include <string>

#include "companion/frames.h"
#include "companion/rules/message.h"
#include "companion_version.h"
#include "control_calls.h"
#include "module.h"
#include "raii.h"
#include "site_lock.h"

namespace {

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
            const DWORD got = companion::ReadUpTo(in, &length, sizeof length);
            if (got == 0) return 0;
            if (got != sizeof length) return 1;
            if (!companion::FrameFits(length)) {
                (void)companion::WriteFrame(out,
                                            companion::RefusalAnswer(companion::TooLongFrame(length)));
                return 1;
            }
            std::string body(length, '\0');
            if (companion::ReadUpTo(in, body.data(), length) != length) return 1;
            if (!companion::WriteFrame(out, Answer(body))) return 1;
        }
    } catch (const std::bad_alloc&) {
        return 1;
    }
}
