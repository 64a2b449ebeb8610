// Deleting a registry key with everything below it.
#pragma once

#include <windows.h>

namespace fw {

// Deletes parent\name with everything below it; a key that is not there counts as deleted.
// Written out rather than left to RegDeleteTreeW, which Windows XP's advapi32 lacks.
[[nodiscard]] LONG DeleteKeyTree(HKEY parent, const wchar_t* name);

}  // namespace fw
