#include "bench/rules/figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace bench {

namespace {

// Three significant digits, no exponent.
std::string ThreeDigits(double value) {
    char text[64];
    const double magnitude = std::fabs(value);
    const int decimals = magnitude >= 100 ? 0 : magnitude >= 10 ? 1 : magnitude >= 1 ? 2 : 3;
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

}  // namespace

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + middle, values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1) return upper;
    const double lower = *std::max_element(values.begin(), values.begin() + middle);
    return (lower + upper) / 2;
}

std::uint64_t BatchSize(double oneCallSeconds, double batchSeconds, std::uint64_t maxCalls) {
    if (maxCalls == 0) maxCalls = 1;
    if (!(oneCallSeconds > 0)) return maxCalls;
    const double calls = std::floor(batchSeconds / oneCallSeconds);
    if (!(calls >= 1)) return 1;
    return calls >= static_cast<double>(maxCalls) ? maxCalls : static_cast<std::uint64_t>(calls);
}

std::string FormatDuration(double seconds) {
    if (seconds >= 1) return ThreeDigits(seconds) + " s";
    if (seconds >= 1e-3) return ThreeDigits(seconds * 1e3) + " ms";
    if (seconds >= 1e-6) return ThreeDigits(seconds * 1e6) + " us";
    return ThreeDigits(seconds * 1e9) + " ns";
}

std::string FormatRatio(double numerator, double denominator) {
    if (!(denominator > 0)) return "-";
    return ThreeDigits(numerator / denominator) + "x";
}

std::string FormatKiB(std::uint64_t bytes) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f KiB", static_cast<double>(bytes) / 1024);
    return text;
}

std::string FormatDelta(std::int64_t after, std::int64_t before) {
    const long long delta = static_cast<long long>(after) - static_cast<long long>(before);
    char text[32];
    std::snprintf(text, sizeof text, "%+lld", delta);
    return text;
}

std::string TableRow(const std::string& item, const std::string& figure,
                     const std::string& against, const std::string& ratio) {
    std::string line = Padded(item, 46) + Padded(figure, 24);
    if (!against.empty() || !ratio.empty()) line += Padded(against, 30) + ratio;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

std::string TableHeader() {
    return TableRow("what", "figure", "against", "ratio") + "\n" + std::string(46 + 24 + 30 + 8, '-');
}

std::optional<std::size_t> CountProcessHandles(const unsigned char* data, std::size_t size,
                                               std::uint32_t processId) {
    constexpr std::size_t kEntrySize = 16;
    std::uint32_t count = 0;
    if (!data || size < sizeof count) return std::nullopt;
    std::memcpy(&count, data, sizeof count);
    if (count > (size - sizeof count) / kEntrySize) return std::nullopt;
    std::size_t mine = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t owner = 0;
        std::memcpy(&owner, data + sizeof count + i * kEntrySize, sizeof owner);
        if (owner == processId) ++mine;
    }
    return mine;
}

}  // namespace bench
