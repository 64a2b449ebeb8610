// The framework's one error model: every operation that can fail answers an HRESULT. Two helpers
// say the common cases once: "return this failure now" and "out of memory becomes E_OUTOFMEMORY".
#pragma once

#include <windows.h>

#include <new>

// Evaluates an HRESULT expression and returns it from the calling function when it failed.
#define FW_RETURN_IF_FAILED(expression)            \
    do {                                           \
        const HRESULT fw_hr_ = (expression);       \
        if (FAILED(fw_hr_)) return fw_hr_;         \
    } while (0)

namespace fw {

// A Win32 error code (ERROR_SUCCESS, or what a registry call returned) as an HRESULT.
[[nodiscard]] inline HRESULT FromWin32(LONG error) {
    return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<unsigned long>(error));
}

// Runs `body` (which answers an HRESULT); running out of memory inside it answers E_OUTOFMEMORY.
template <typename Body>
[[nodiscard]] HRESULT OutOfMemoryAsHresult(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace fw
