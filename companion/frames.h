// Native messaging frames over pipes and files: each frame a 32-bit length in native byte order,
// then that many bytes. The host reads and writes its standard handles with these; the programs
// that drive a host (the bench, the tests) use HostProcess.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "raii.h"

namespace companion {

// Reads until `size` bytes are in `buffer` or the input ends (a pipe's end or a file's): how
// many bytes it read.
[[nodiscard]] DWORD ReadUpTo(HANDLE in, void* buffer, DWORD size);

// Writes all `size` bytes: false when the output took fewer.
[[nodiscard]] bool WriteAll(HANDLE out, const void* data, DWORD size);

// A frame holding `body` whose length field says `length` (by default the body's size).
[[nodiscard]] std::string FrameOf(std::string_view body, std::uint32_t length);
[[nodiscard]] std::string FrameOf(std::string_view body);

// Writes one frame of `body`: false when the output took less.
[[nodiscard]] bool WriteFrame(HANDLE out, std::string_view body);

// The body of the next frame; nothing when the input ends before it is whole.
[[nodiscard]] std::optional<std::string> ReadFrame(HANDLE in);

// A host program started with pipes on its standard input and output (its errors go to the
// output too), as a browser starts it. Ended by force if it is still running when this goes.
class HostProcess {
public:
    // Starts `exe` with `argument` (as the browser passes the extension's origin); running()
    // tells whether it started.
    HostProcess(const std::wstring& exe, const std::wstring& argument);
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    bool running() const { return process_.valid(); }
    // Writes bytes to the host's input as they are (a frame, part of one, anything).
    [[nodiscard]] bool Write(std::string_view bytes);
    [[nodiscard]] bool Send(std::string_view body) { return Write(FrameOf(body)); }
    // The body of the host's next answer; nothing when its output ends first.
    [[nodiscard]] std::optional<std::string> Answer() { return ReadFrame(output_.get()); }
    // Ends the host's input, as a browser does when it is done with it.
    void EndInput() { input_.Close(); }
    // Waits up to `ms` for the host to end: its exit code, or STILL_ACTIVE.
    DWORD Exit(DWORD ms) const;

private:
    fw::Handle input_, output_, process_;
};

}  // namespace companion
