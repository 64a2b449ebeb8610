// A DLL linked as the controls are (trimmed C++ runtime, stripped, unreferenced sections dropped):
// raises a C++ error in one frame and answers which handler caught it in another.
#include <windows.h>

#include <new>
#include <string>
#include <vector>

__declspec(noinline) static std::string Raise(int kind) {
    std::string text = "text";
    if (kind == 0) text.reserve(text.max_size() + 1);             // beyond the maximum size
    if (kind == 1) text += std::vector<char>(0x7FFF0000u).back();  // more than the address space
    if (kind == 2) text = text.substr(5);                         // past the end
    return text;
}

// E_OUTOFMEMORY for std::bad_alloc, E_UNEXPECTED for another exception, S_OK for none.
extern "C" __declspec(dllexport) HRESULT ProbeException(int kind) {
    try {
        return Raise(kind).empty() ? E_FAIL : S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
