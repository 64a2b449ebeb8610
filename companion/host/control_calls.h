// A message's calls run by the controls themselves: one fresh instance of the control, on a page
// whose document answers the message's origin, each method called through its dispatch
// (GetIDsOfNames, then Invoke) in order.
#pragma once

#include <string>

#include "companion/rules/message.h"

namespace companion {

// The answer to a control's request (not hello): every call's result, or the failure of the
// first call the control could not carry out (the calls before it ran). COM must be initialised
// on the thread, apartment-threaded.
[[nodiscard]] std::string RunCalls(const Request& request);

}  // namespace companion
