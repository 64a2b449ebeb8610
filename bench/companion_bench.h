// The bench's rows for the browser roads: the companion host's full read and launch, and the link
// handler's launch, each beside the control's own in this process and prefix, as ratios.
#pragma once

#include <string>

namespace bench {

// Prints the rows; `host` is VarnokCompanion.exe, `link` VarnokLink.exe, `game` the sample game
// (Windows paths). The controls must be registered.
void CompanionRows(const std::wstring& host, const std::wstring& link, const std::wstring& game);

}  // namespace bench
