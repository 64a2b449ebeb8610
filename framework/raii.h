// Small owners for the platform's resources: every handle, key, string and interface pointer the
// controls touch is released by one of these, on every path.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <objbase.h>

#include <utility>

namespace fw {

// Registry key opened or created by us; closed when the owner goes.
class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY key) : key_(key) {}
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    RegKey& operator=(RegKey&& other) noexcept {
        if (this != &other) { Close(); key_ = std::exchange(other.key_, nullptr); }
        return *this;
    }
    ~RegKey() { Close(); }

    [[nodiscard]] LONG OpenA(HKEY root, const char* path, REGSAM access) {
        Close();
        return RegOpenKeyExA(root, path, 0, access, &key_);
    }
    [[nodiscard]] LONG OpenW(HKEY root, const wchar_t* path, REGSAM access) {
        Close();
        return RegOpenKeyExW(root, path, 0, access, &key_);
    }
    [[nodiscard]] LONG CreateW(HKEY root, const wchar_t* path,
                               REGSAM access = KEY_READ | KEY_WRITE) {
        Close();
        return RegCreateKeyExW(root, path, 0, nullptr, 0, access, nullptr, &key_, nullptr);
    }
    void Close() {
        if (key_) { RegCloseKey(key_); key_ = nullptr; }
    }
    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    HKEY* put() { Close(); return &key_; }

private:
    HKEY key_ = nullptr;
};

// Kernel handle; both null and INVALID_HANDLE_VALUE count as "none".
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) { Close(); h_ = std::exchange(other.h_, nullptr); }
        return *this;
    }
    ~Handle() { Close(); }
    void Close() {
        if (valid()) CloseHandle(h_);
        h_ = nullptr;
    }
    bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    HANDLE* put() { Close(); return &h_; }

private:
    HANDLE h_ = nullptr;
};

// Module loaded at run time with LoadLibrary; freed when the owner goes.
class Library {
public:
    Library() = default;
    explicit Library(const char* name) : m_(LoadLibraryA(name)) {}
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library() { if (m_) FreeLibrary(m_); }
    explicit operator bool() const { return m_ != nullptr; }
    HMODULE get() const { return m_; }
    template <typename Fn>
    Fn Proc(const char* name) const {
        return m_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_, name))) : nullptr;
    }

private:
    HMODULE m_ = nullptr;
};

// BSTR we own. release() hands ownership to a caller (for [out] and retval slots).
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(BSTR s) : s_(s) {}
    explicit Bstr(const wchar_t* text) : s_(SysAllocString(text)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) { Reset(); s_ = std::exchange(other.s_, nullptr); }
        return *this;
    }
    ~Bstr() { Reset(); }
    void Reset(BSTR s = nullptr) {
        if (s_) SysFreeString(s_);
        s_ = s;
    }
    BSTR get() const { return s_; }
    BSTR* put() { Reset(); return &s_; }
    BSTR release() { return std::exchange(s_, nullptr); }
    UINT Length() const { return SysStringLen(s_); }

private:
    BSTR s_ = nullptr;
};

// VARIANT cleared when the owner goes.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }
    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    VARIANT* put() { VariantClear(&v_); return &v_; }
    VARIANT* operator->() { return &v_; }

private:
    VARIANT v_;
};

// Counted interface pointer.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }  // NOLINT: adopts with AddRef, like the platform's
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept { std::swap(p_, other.p_); return *this; }
    ~ComPtr() { Reset(); }

    void Reset() {
        if (p_) { T* p = std::exchange(p_, nullptr); p->Release(); }
    }
    T* get() const { return p_; }
    T** put() { Reset(); return &p_; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    template <typename U>
    HRESULT As(ComPtr<U>& out) const {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(__uuidof(U), out.put_void());
    }
    HRESULT CopyTo(T** out) const {
        if (!out) return E_POINTER;
        *out = p_;
        if (p_) p_->AddRef();
        return S_OK;
    }

private:
    T* p_ = nullptr;
};

// Balances a CoInitializeEx that succeeded (S_OK or S_FALSE) with CoUninitialize.
class CoInit {
public:
    explicit CoInit(DWORD model = COINIT_APARTMENTTHREADED) : hr_(CoInitializeEx(nullptr, model)) {}
    CoInit(const CoInit&) = delete;
    CoInit& operator=(const CoInit&) = delete;
    ~CoInit() { if (SUCCEEDED(hr_)) CoUninitialize(); }
    HRESULT result() const { return hr_; }

private:
    HRESULT hr_;
};

// Memory from CoTaskMemAlloc (strings the platform hands us).
template <typename T>
class CoTaskMem {
public:
    CoTaskMem() = default;
    CoTaskMem(const CoTaskMem&) = delete;
    CoTaskMem& operator=(const CoTaskMem&) = delete;
    ~CoTaskMem() { CoTaskMemFree(p_); }
    T* get() const { return p_; }
    T** put() { CoTaskMemFree(p_); p_ = nullptr; return &p_; }

private:
    T* p_ = nullptr;
};

}  // namespace fw
