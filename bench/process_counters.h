// What the soak reads about this process: its handle count and its private bytes, each from a
// source that has been seen to move when a handle is opened or memory is committed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace bench {

struct Counter {
    // The source's name, as the table shows it ("GetProcessHandleCount", ...).
    std::string source;
    // Reads the current value; nothing when the source gave no answer.
    std::optional<std::int64_t> (*read)();
};

// The first handle count that rises by one when an event is created and falls back when it is
// closed; nothing when no source does (the table then says so).
std::optional<Counter> VerifiedHandleCounter(std::string* rejected);

// The first private-bytes figure that rises by at least three quarters of 16 MiB committed and
// touched; nothing when no source does.
std::optional<Counter> VerifiedPrivateBytesCounter(std::string* rejected);

}  // namespace bench
