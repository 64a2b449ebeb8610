#include "frames.h"

namespace companion {

DWORD ReadUpTo(HANDLE in, void* buffer, DWORD size) {
    auto* at = static_cast<char*>(buffer);
    DWORD done = 0;
    while (done < size) {
        DWORD got = 0;
        // A pipe's end reads as ERROR_BROKEN_PIPE, a file's as zero bytes.
        if (!ReadFile(in, at + done, size - done, &got, nullptr) || got == 0) break;
        done += got;
    }
    return done;
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

bool WriteFrame(HANDLE out, std::string_view body) {
    const auto length = static_cast<std::uint32_t>(body.size());
    return WriteAll(out, &length, sizeof length) &&
           WriteAll(out, body.data(), static_cast<DWORD>(body.size()));
}

}  // namespace companion
