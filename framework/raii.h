// Small owners for the platform's resources: every handle, key, string and interface pointer the
// controls touch is released by one of these, on every path.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <objbase.h>

#include <optional>
#include <string>
#include <utility>

namespace fw {

// One move-only owner for every resource that a single call releases. Traits give the raw type,
// its empty value, which values hold a resource, and the call that releases one.
template <typename Traits>
class UniqueResource {
public:
    using pointer = typename Traits::pointer;

    UniqueResource() = default;
    explicit UniqueResource(pointer p) : p_(p) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : p_(std::exchange(other.p_, Traits::kEmpty)) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) { Close(); p_ = std::exchange(other.p_, Traits::kEmpty); }
        return *this;
    }
    ~UniqueResource() { Close(); }

    // Releases what is held (if anything) and leaves the owner empty.
    void Close() {
        if (Traits::Holds(p_)) Traits::Release(p_);
        p_ = Traits::kEmpty;
    }
    bool valid() const { return Traits::Holds(p_); }
    explicit operator bool() const { return valid(); }
    pointer get() const { return p_; }
    // For out-parameters: whatever was held is released first.
    pointer* put() { Close(); return &p_; }
    // Hands what is held to the caller, who releases it from then on; the owner is left empty.
    [[nodiscard]] pointer release() { return std::exchange(p_, Traits::kEmpty); }

private:
    pointer p_ = Traits::kEmpty;
};

// The traits of a resource that null marks as none; each derived trait adds its Release.
template <typename T>
struct NullableTraits {
    using pointer = T;
    static constexpr T kEmpty = nullptr;
    static bool Holds(T p) { return p != nullptr; }
};

struct HandleTraits {
    using pointer = HANDLE;
    static constexpr HANDLE kEmpty = nullptr;
    // Both null and INVALID_HANDLE_VALUE count as "none".
    static bool Holds(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Release(HANDLE h) { CloseHandle(h); }
};

struct RegKeyTraits : NullableTraits<HKEY> {
    static void Release(HKEY key) { RegCloseKey(key); }
};

struct LibraryTraits : NullableTraits<HMODULE> {
    static void Release(HMODULE module) { FreeLibrary(module); }
};

template <typename T>
struct CoTaskMemTraits : NullableTraits<T*> {
    static void Release(T* p) { CoTaskMemFree(p); }
};

template <typename T>
struct LocalMemTraits : NullableTraits<T*> {
    static void Release(T* p) { LocalFree(p); }
};

struct WindowTraits : NullableTraits<HWND> {
    static void Release(HWND window) { DestroyWindow(window); }
};

// A metafile DC still recording: closed and its metafile deleted. Hand it to CloseMetaFile
// through release() to keep the metafile.
struct MetaFileDcTraits : NullableTraits<HDC> {
    static void Release(HDC dc) { DeleteMetaFile(CloseMetaFile(dc)); }
};

// The same for an enhanced metafile DC (CloseEnhMetaFile).
struct EnhMetaFileDcTraits : NullableTraits<HDC> {
    static void Release(HDC dc) { DeleteEnhMetaFile(CloseEnhMetaFile(dc)); }
};

struct MetaFileTraits : NullableTraits<HMETAFILE> {
    static void Release(HMETAFILE mf) { DeleteMetaFile(mf); }
};

struct GlobalMemTraits : NullableTraits<HGLOBAL> {
    static void Release(HGLOBAL mem) { GlobalFree(mem); }
};

struct RegionTraits : NullableTraits<HRGN> {
    static void Release(HRGN rgn) { DeleteObject(rgn); }
};

// Kernel handle.
using Handle = UniqueResource<HandleTraits>;

// A window we created; destroyed (on the creating thread) when the owner goes.
using Window = UniqueResource<WindowTraits>;

// Metafile DCs (CreateMetaFile, CreateEnhMetaFile) and a finished metafile.
using MetaFileDc = UniqueResource<MetaFileDcTraits>;
using EnhMetaFileDc = UniqueResource<EnhMetaFileDcTraits>;
using MetaFile = UniqueResource<MetaFileTraits>;

// Memory from GlobalAlloc.
using GlobalMem = UniqueResource<GlobalMemTraits>;

// A GDI region we created.
using Region = UniqueResource<RegionTraits>;

// Memory from CoTaskMemAlloc (strings the platform hands us).
template <typename T>
using CoTaskMem = UniqueResource<CoTaskMemTraits<T>>;

// Memory from LocalAlloc (what CommandLineToArgvW and CryptDecodeObjectEx hand us).
template <typename T>
using LocalMem = UniqueResource<LocalMemTraits<T>>;

// Registry key opened or created by us. Each open or create first closes what was held and
// leaves the owner empty when it fails. Its value reads and writes come in two forms: on this key,
// and (static) on a key someone else holds; the static form states the contract.
class RegKey : public UniqueResource<RegKeyTraits> {
public:
    using UniqueResource::UniqueResource;
    [[nodiscard]] LONG OpenA(HKEY root, const char* path, REGSAM access) {
        return RegOpenKeyExA(root, path, 0, access, put());
    }
    [[nodiscard]] LONG OpenW(HKEY root, const wchar_t* path, REGSAM access) {
        return RegOpenKeyExW(root, path, 0, access, put());
    }
    [[nodiscard]] LONG CreateW(HKEY root, const wchar_t* path,
                               REGSAM access = KEY_READ | KEY_WRITE) {
        return RegCreateKeyExW(root, path, 0, nullptr, 0, access, nullptr, put(), nullptr);
    }

    // A value's raw bytes, whatever its type, in one read of at most `limit` bytes; nothing when
    // it is missing, unreadable or larger than `limit`.
    [[nodiscard]] static std::optional<std::string> ReadBytesA(HKEY key, const char* name,
                                                               DWORD limit);
    // A value's raw bytes, whatever its size or type (its size asked first); empty when it holds
    // none; nothing when it is missing or unreadable, or grew between the two reads.
    [[nodiscard]] static std::optional<std::string> ReadAllBytesA(HKEY key, const char* name);
    // A REG_SZ value's text up to its first NUL (all of it without one); nothing when it is
    // missing, of another type, unreadable or larger than `limitBytes`.
    [[nodiscard]] static std::optional<std::wstring> ReadTextW(HKEY key, const wchar_t* name,
                                                               DWORD limitBytes);
    // A REG_DWORD value of four bytes into `value`: ERROR_SUCCESS; otherwise the registry's
    // error (ERROR_FILE_NOT_FOUND for a missing value) or ERROR_UNSUPPORTED_TYPE for another
    // type or size, and `value` is left untouched.
    [[nodiscard]] static LONG ReadDwordW(HKEY key, const wchar_t* name, DWORD& value);
    // Whether a value of that name exists, of any type: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND when
    // it is missing, or the registry's error when it cannot be asked.
    [[nodiscard]] static LONG ProbeValueW(HKEY key, const wchar_t* name);
    // Writes exactly `size` bytes of `data` as a value of `type`; the registry's result.
    [[nodiscard]] static LONG WriteBytesA(HKEY key, const char* name, DWORD type, const void* data,
                                          DWORD size);
    // Writes `text` (all of it, inner NULs too) and one terminator as REG_SZ; the registry's
    // result. A null name is the key's default value.
    [[nodiscard]] static LONG WriteTextW(HKEY key, const wchar_t* name, const std::wstring& text);
    // Writes `value` as REG_DWORD; the registry's result.
    [[nodiscard]] static LONG WriteDwordW(HKEY key, const wchar_t* name, DWORD value);

    [[nodiscard]] std::optional<std::string> ReadBytesA(const char* name, DWORD limit) const {
        return ReadBytesA(get(), name, limit);
    }
    [[nodiscard]] std::optional<std::string> ReadAllBytesA(const char* name) const {
        return ReadAllBytesA(get(), name);
    }
    [[nodiscard]] std::optional<std::wstring> ReadTextW(const wchar_t* name,
                                                        DWORD limitBytes) const {
        return ReadTextW(get(), name, limitBytes);
    }
    [[nodiscard]] LONG ReadDwordW(const wchar_t* name, DWORD& value) const {
        return ReadDwordW(get(), name, value);
    }
    [[nodiscard]] LONG ProbeValueW(const wchar_t* name) const { return ProbeValueW(get(), name); }
    [[nodiscard]] LONG WriteBytesA(const char* name, DWORD type, const void* data,
                                   DWORD size) const {
        return WriteBytesA(get(), name, type, data, size);
    }
    [[nodiscard]] LONG WriteTextW(const wchar_t* name, const std::wstring& text) const {
        return WriteTextW(get(), name, text);
    }
    [[nodiscard]] LONG WriteDwordW(const wchar_t* name, DWORD value) const {
        return WriteDwordW(get(), name, value);
    }
};

// Module loaded at run time with LoadLibrary; freed when the owner goes.
class Library : public UniqueResource<LibraryTraits> {
public:
    Library() = default;
    explicit Library(const char* name) : UniqueResource(LoadLibraryA(name)) {}
    // One of its functions; null when it has none of that name or nothing is loaded.
    template <typename Fn>
    Fn Proc(const char* name) const {
        return get() ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(get(), name)))
                     : nullptr;
    }
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

// A type library's attributes, handed back to the library when the owner goes.
class TypeLibAttr {
public:
    explicit TypeLibAttr(ITypeLib* lib) : lib_(lib) {
        if (!lib_ || FAILED(lib_->GetLibAttr(&attr_))) attr_ = nullptr;
    }
    TypeLibAttr(const TypeLibAttr&) = delete;
    TypeLibAttr& operator=(const TypeLibAttr&) = delete;
    ~TypeLibAttr() { if (attr_) lib_->ReleaseTLibAttr(attr_); }
    const TLIBATTR* get() const { return attr_; }  // null when the library gave none

private:
    ComPtr<ITypeLib> lib_;
    TLIBATTR* attr_ = nullptr;
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

}  // namespace fw
