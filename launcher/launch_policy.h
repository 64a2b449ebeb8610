// The machine launch policy as the registry holds it, and the reading of an installation
// directory that the game launch and the policy share.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "rules/launch_rules.h"

// The text a directory value holds, read as raw bytes into a 512-byte buffer and taken up to its
// first NUL; nothing when the value is missing, unreadable or larger than the buffer.
std::optional<std::string> ReadDirectoryValue(HKEY key, const char* valueName);

// The installation directory a game launch may start a program from: the value's text when it
// is an absolute local path; nothing for a missing or unreadable value, for any other text, and
// for the three values every launch writes with a page's texts ("C_Param", "R_Param", "A_Param").
std::optional<std::string> ReadInstallDirectory(HKEY key, const char* valueName);

// The machine's launch policy, read afresh (32-bit registry view); nothing when the machine has
// none. A policy key that exists but cannot be read gives a policy that allows nothing, and so
// does a "Programs" subkey that exists but cannot be read.
std::optional<launcher::LaunchPolicy> ReadLaunchPolicy();
