// A DLL linked as the controls are (trimmed C++ runtime, stripped, unreferenced sections
// dropped), whose one function raises the C++ errors the controls can meet and reports which
// handler caught each one.
#include <windows.h>

#include <new>
#include <string>
#include <vector>

namespace {

// Out of line, so that the exception is thrown in one frame and caught in another.
__declspec(noinline) std::string Raise(int kind) {
    std::string text = "text";
    switch (kind) {
        case 0: throw std::bad_alloc();
        case 1: text.reserve(text.max_size() + 1); break;              // beyond the maximum size
        case 2: { std::vector<char> v(0x7FFF0000u); text += v[1]; } break;  // no room for it
        case 3: return text.substr(5);                                  // past the end
        default: break;
    }
    return text;
}

}  // namespace

// E_OUTOFMEMORY when std::bad_alloc was caught, E_UNEXPECTED when another exception was, S_OK
// when nothing was thrown.
extern "C" __declspec(dllexport) HRESULT ProbeException(int kind) {
    try {
        return Raise(kind).empty() ? E_FAIL : S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
