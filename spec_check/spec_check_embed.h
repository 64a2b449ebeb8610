// What a program that embeds the spec-check control needs of it: a new in-process instance,
// driven through its dispatch interface. The control's class and probes stay behind this header.
#pragma once

#include <windows.h>

namespace spec_check {

// A new spec-check instance of this process's linked control (no aggregation), asked for `iid`;
// `*out` is null on failure.
[[nodiscard]] HRESULT CreateSpecCheck(REFIID iid, void** out);

}  // namespace spec_check
