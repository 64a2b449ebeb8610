// Runs a module's registry scripts (resources of type "REGISTRY") against the registry, for
// registration and unregistration. The script format and its substitutions are described in
// rules/registry_script.h.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "rules/registry_script.h"

namespace fw {

// Returned for a script that cannot be read (structure, substitution, number, encoding); nothing
// has been written then. The reason goes to the debugger output.
constexpr HRESULT kRegistryScriptInvalid = REGDB_E_INVALIDVALUE;

// Loads REGISTRY resource `resourceId` of `module`, parses it with the substitutions (raw
// values, e.g. MODULE is the module's path as it is: the engine keeps quotes in it intact) and
// registers or unregisters what it describes.
//   S_OK; kRegistryScriptInvalid; HRESULT_FROM_WIN32 of the error when the resource is missing
//   or the registry refuses a change (what was done before the failure stays); E_OUTOFMEMORY.
// The resource text is UTF-8 when it starts with a UTF-8 byte-order mark, UTF-16 LE when it
// starts with that byte-order mark, and in the ANSI code page otherwise. Trailing NULs are
// ignored.
[[nodiscard]] HRESULT RunRegistryScript(
    HINSTANCE module, UINT resourceId, bool doRegister,
    const std::vector<std::pair<std::wstring, std::wstring>>& substitutions) noexcept;

// Applies a parsed script.
//   Registering: keys are created when missing and their values set (REG_SZ or REG_DWORD); a
//   ForceRemove key is first deleted with everything below it; a Delete key is deleted only.
//   Stops at the first registry failure.
//   Unregistering: keys without a flag and ForceRemove keys are deleted with everything below
//   them; a NoRemove key stays, its `val` values are deleted by name and its sub-entries are
//   processed (its default value stays with it); Delete keys are left alone. Keys and values
//   already gone are no error. Carries on past a failure and reports the first one.
[[nodiscard]] HRESULT ApplyRegistryScript(const rgs::Script& script, bool doRegister) noexcept;

}  // namespace fw
