// What the bench does with its measurements: medians, batch sizes, the table's text, and the
// count of one process's entries in the system's handle table. No Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// The middle value; the mean of the two middle values for an even count; 0 for none.
double Median(std::vector<double> values);

// Calls per timed batch so that a batch lasts about `batchSeconds` given what one call took;
// at least 1, at most `maxCalls`.
std::uint64_t BatchSize(double oneCallSeconds, double batchSeconds, std::uint64_t maxCalls);

// A duration with three significant digits in the unit that suits it: "41.7 ns", "12.3 us",
// "160 ms", "1.32 s".
std::string FormatDuration(double seconds);

// A ratio with three significant digits and an "x": "355x", "2.50x", "0.190x". "-" when the
// divisor is not above 0.
std::string FormatRatio(double numerator, double denominator);

// A byte count in KiB with one decimal ("812.5 KiB").
std::string FormatKiB(std::uint64_t bytes);

// A signed difference with its sign ("+0", "+3", "-12").
std::string FormatDelta(std::int64_t after, std::int64_t before);

// One line of the bench table: item, figure, what it is set against, and the ratio; the column
// widths are the table's, a longer text pushes the rest right.
std::string TableRow(const std::string& item, const std::string& figure,
                     const std::string& against = {}, const std::string& ratio = {});
// The header line and the rule below it.
std::string TableHeader();

// The entries of one process in a SystemHandleInformation answer of a 32-bit process: a 32-bit
// count, then 16-byte entries whose first 32-bit word is the owning process id. Nothing when the
// count claims more entries than the bytes hold.
std::optional<std::size_t> CountProcessHandles(const unsigned char* data, std::size_t size,
                                               std::uint32_t processId);

}  // namespace bench
