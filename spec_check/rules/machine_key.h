// How the machine-key methods recognise a running gate program.
#pragma once

#include <string>

namespace spec_check {

// Whether a process's main-module path names the program: the path's last component (after its
// last backslash or slash; the whole path when it has none) equals the bare file name, ignoring
// the case of ASCII letters.
bool IsProgramPath(const std::string& modulePath, const std::string& fileName);

}  // namespace spec_check
