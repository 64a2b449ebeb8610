// A link's way to its game: the registered game it names, its texts in the code page, and the
// launch through an in-process instance of the launcher control.
#pragma once

#include <windows.h>

#include <string>

namespace links {

// What became of a link: the exit code (the launcher's result code after a launch, or one of
// links::Refusal before it) and, for a refusal, what the visitor is told.
struct Outcome {
    int exitCode = 0;
    std::wstring refusal;  // empty when the launcher was asked to launch
};

// The refusal of anything that is not one link.
Outcome MalformedLink();

// Resolves the link and, when it names a registered game whose texts fit, launches that game.
// A refusal writes nothing, starts nothing and asks for no elevation. COM must be initialised.
Outcome HandleLink(const std::wstring& link);

}  // namespace links
