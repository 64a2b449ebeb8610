#include "control_window.h"

#include <new>
#include <string>

#include "module.h"
#include "raii.h"

namespace fw {

namespace {

// "FwControlWindow" plus the module handle in hex: one class per module, so two modules built on
// this framework in one process never share a window procedure. Built on each call: a cached
// copy would need a lock for first use from two threads.
std::wstring WindowClassName() {
    std::wstring s = L"FwControlWindow";
    auto v = reinterpret_cast<UINT_PTR>(Module::InstanceOrProcess());
    wchar_t hex[2 * sizeof(UINT_PTR) + 1] = {};
    for (int i = static_cast<int>(2 * sizeof(UINT_PTR)) - 1; i >= 0; --i) {
        hex[i] = L"0123456789ABCDEF"[v & 0xF];
        v >>= 4;
    }
    return s + hex;
}

// The window's user data is the drawing it paints with; null once detached.
LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    const auto* draw =
        reinterpret_cast<const DrawCallback*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        if (hdc && draw) {
            RECT client;
            GetClientRect(hwnd, &client);
            try {
                DrawInto(*draw, hdc, client);
            } catch (const std::bad_alloc&) {
                // Nothing drawn this time; the next paint tries again.
            }
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool EnsureWindowClass() {
    const HINSTANCE instance = Module::InstanceOrProcess();
    const std::wstring name = WindowClassName();
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, name.c_str(), &wc)) return true;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = ControlWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = name.c_str();
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool RectsEqual(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

HRESULT CreateControlWindow(HWND parent, DWORD style, const RECT& pos, DrawCallback* draw,
                            HWND* window) {
    if (!EnsureWindowClass()) return HRESULT_FROM_WIN32(GetLastError());
    const DWORD childStyle = (style | WS_CHILD) & ~(WS_POPUP | WS_VISIBLE);
    HWND w = CreateWindowExW(0, WindowClassName().c_str(), L"", childStyle, pos.left, pos.top,
                             pos.right - pos.left, pos.bottom - pos.top, parent, nullptr,
                             Module::InstanceOrProcess(), draw);
    if (!w) {
        const DWORD err = GetLastError();
        return err ? HRESULT_FROM_WIN32(err) : E_FAIL;
    }
    *window = w;
    return S_OK;
}

void DestroyControlWindow(HWND window) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
}

void PlaceControlWindow(HWND window, const RECT& pos, const RECT& clip) {
    MoveWindow(window, pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top, TRUE);
    RECT visible;
    if (!IntersectRect(&visible, &pos, &clip)) SetRectEmpty(&visible);
    if (RectsEqual(visible, pos)) {
        SetWindowRgn(window, nullptr, TRUE);
        return;
    }
    Region rgn(CreateRectRgn(visible.left - pos.left, visible.top - pos.top,
                             visible.right - pos.left, visible.bottom - pos.top));
    // On success the window owns the region.
    if (rgn && SetWindowRgn(window, rgn.get(), TRUE)) static_cast<void>(rgn.release());
}

}  // namespace fw
