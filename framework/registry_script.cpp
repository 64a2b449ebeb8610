#include "registry_script.h"

#include <cstring>
#include <new>
#include <utility>

#include "hresult.h"
#include "raii.h"
#include "registry_tree.h"
#include "text.h"

namespace fw {
namespace {

HRESULT LastErrorOr(HRESULT fallback) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : fallback;
}

// Resource bytes -> text: UTF-8 or UTF-16 LE after their byte-order marks, the ANSI code page
// otherwise. False when the bytes are not valid in the encoding they claim.
bool DecodeScript(const unsigned char* data, DWORD size, std::wstring& out) {
    out.clear();
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        if (size % 2 != 0) return false;
        out.resize((size - 2) / sizeof(wchar_t));
        if (!out.empty()) std::memcpy(out.data(), data + 2, out.size() * sizeof(wchar_t));
        while (!out.empty() && out.back() == L'\0') out.pop_back();
        return true;
    }
    UINT codePage = CP_ACP;
    bool strict = false;
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        codePage = CP_UTF8;
        strict = true;
        data += 3;
        size -= 3;
    }
    while (size > 0 && data[size - 1] == 0) --size;
    auto text = DecodeNarrow(reinterpret_cast<const char*>(data), size, codePage, strict);
    if (!text) return false;
    out = std::move(*text);
    return true;
}

HKEY RootKey(rgs::Root root) {
    switch (root) {
    case rgs::Root::CurrentUser:
        return HKEY_CURRENT_USER;
    case rgs::Root::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case rgs::Root::ClassesRoot:
        break;
    }
    return HKEY_CLASSES_ROOT;
}

bool IsMissing(LONG rc) { return rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND; }

LONG SetValue(HKEY key, const rgs::Value& value) {
    const wchar_t* name = value.name.empty() ? nullptr : value.name.c_str();
    if (value.type == rgs::ValueType::Dword) return RegKey::WriteDwordW(key, name, value.dword);
    return RegKey::WriteTextW(key, name, value.text);
}


LONG RegisterKeys(HKEY parent, const std::vector<rgs::Key>& keys) {
    for (const rgs::Key& entry : keys) {
        if (entry.flag == rgs::Flag::ForceRemove || entry.flag == rgs::Flag::Delete) {
            const LONG rc = DeleteKeyTree(parent, entry.name.c_str());
            if (rc != ERROR_SUCCESS) return rc;
            if (entry.flag == rgs::Flag::Delete) continue;
        }
        RegKey key;
        LONG rc = key.CreateW(parent, entry.name.c_str(), KEY_WRITE);
        if (rc != ERROR_SUCCESS) return rc;
        if (entry.defaultValue) {
            rc = SetValue(key.get(), *entry.defaultValue);
            if (rc != ERROR_SUCCESS) return rc;
        }
        for (const rgs::Value& value : entry.values) {
            rc = SetValue(key.get(), value);
            if (rc != ERROR_SUCCESS) return rc;
        }
        rc = RegisterKeys(key.get(), entry.keys);
        if (rc != ERROR_SUCCESS) return rc;
    }
    return ERROR_SUCCESS;
}

// Removes what the entries name and carries on past failures; the first failure is returned.
LONG UnregisterKeys(HKEY parent, const std::vector<rgs::Key>& keys) {
    LONG first = ERROR_SUCCESS;
    auto note = [&first](LONG rc) {
        if (rc != ERROR_SUCCESS && !IsMissing(rc) && first == ERROR_SUCCESS) first = rc;
    };
    for (const rgs::Key& entry : keys) {
        switch (entry.flag) {
        case rgs::Flag::Delete:
            break;
        case rgs::Flag::None:
        case rgs::Flag::ForceRemove:
            note(DeleteKeyTree(parent, entry.name.c_str()));
            break;
        case rgs::Flag::NoRemove: {
            RegKey key;
            const REGSAM access = KEY_QUERY_VALUE | (entry.values.empty() ? 0 : KEY_SET_VALUE);
            const LONG rc = key.OpenW(parent, entry.name.c_str(), access);
            if (rc != ERROR_SUCCESS) {
                note(rc);
                break;
            }
            for (const rgs::Value& value : entry.values) {
                note(RegDeleteValueW(key.get(), value.name.c_str()));
            }
            note(UnregisterKeys(key.get(), entry.keys));
            break;
        }
        }
    }
    return first;
}

}  // namespace

HRESULT ApplyRegistryScript(const rgs::Script& script, bool doRegister) noexcept {
    try {
        const HKEY root = RootKey(script.root);
        const LONG rc =
            doRegister ? RegisterKeys(root, script.keys) : UnregisterKeys(root, script.keys);
        return FromWin32(rc);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT RunRegistryScript(
    HINSTANCE module, UINT resourceId, bool doRegister,
    const std::vector<std::pair<std::wstring, std::wstring>>& substitutions) noexcept {
    try {
        SetLastError(ERROR_SUCCESS);
        const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"REGISTRY");
        if (!resource) return LastErrorOr(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
        const HGLOBAL loaded = LoadResource(module, resource);
        const DWORD size = SizeofResource(module, resource);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data) return LastErrorOr(E_FAIL);

        const std::string where = "registry script " + std::to_string(resourceId) + ": ";
        std::wstring text;
        if (!DecodeScript(static_cast<const unsigned char*>(data), size, text)) {
            OutputDebugStringA((where + "text is not valid in its encoding\n").c_str());
            return kRegistryScriptInvalid;
        }
        const rgs::ParseResult parsed = rgs::Parse(text, substitutions);
        if (!parsed.ok) {
            OutputDebugStringA((where + parsed.error + "\n").c_str());
            return kRegistryScriptInvalid;
        }
        return ApplyRegistryScript(parsed.script, doRegister);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace fw
