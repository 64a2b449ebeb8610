// nlohmann-json as the companion uses it: without exceptions of its own (the rule checks every
// value's type before it reads it, so no library throw is reachable; one would end the process).
#pragma once

#define JSON_NOEXCEPTION 1
#include <nlohmann/json.hpp>
