// What a program that embeds the launcher control needs of it: a new in-process instance driven
// through its interface, the launch result codes, and the rule the control's fields follow. The
// control's class and its inside stay behind this header.
#pragma once

#include <windows.h>

#include "VarnokLauncher.h"
#include "rules/launch_rules.h"

namespace launcher {

// A new launcher instance of this process's linked control (no aggregation), asked for `iid`;
// `*out` is null on failure.
[[nodiscard]] HRESULT CreateLauncher(REFIID iid, void** out);

}  // namespace launcher

// Whether a byte starts a two-byte character in the fields' code page (the thread's).
bool IsFieldLeadByte(unsigned char byte);
