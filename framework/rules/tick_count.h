// Widens a 32-bit millisecond count that wraps every 49.7 days into a 64-bit one.
#pragma once

#include <cstdint>

namespace fw {

class TickWidener {
public:
    // The 64-bit count for a 32-bit reading. Readings less than half the range apart are
    // ordered modulo 2^32, so a reading that is older than the last one (its thread was
    // overtaken by another) never counts as a wrap-around.
    std::uint64_t Widen(std::uint32_t now) {
        if (!started_) {
            started_ = true;
            last_ = now;
        }
        const std::uint32_t ahead = now - last_;
        if (ahead < 0x80000000u) {
            if (now < last_) high_ += 0x100000000ull;  // the count wrapped since the last reading
            last_ = now;
            return high_ + now;
        }
        // Older than the last reading: in the last reading's period, or the one before it.
        return (now > last_ && high_ != 0 ? high_ - 0x100000000ull : high_) + now;
    }

private:
    bool started_ = false;
    std::uint32_t last_ = 0;
    std::uint64_t high_ = 0;
};

}  // namespace fw
