// Persisted property records: any bytes either load as a record set that encodes back to exactly
// the bytes it was read from, or are refused with nothing loaded.
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "framework/rules/property_records.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace records = fw::records;
    std::size_t offset = 0;
    auto read = [&](std::uint8_t* buffer, std::size_t n) {
        if (size - offset < n) return false;
        std::memcpy(buffer, data + offset, n);
        offset += n;
        return true;
    };
    std::vector<records::Record<char16_t>> loaded = {{u"stale", records::kTypeI4, 1}};
    const records::ParseStatus status = records::Parse(read, loaded);
    if (status != records::ParseStatus::kOk) {
        FUZZ_CHECK(loaded.empty());
        return 0;
    }
    FUZZ_CHECK(loaded.size() <= records::kMaxRecords);
    std::set<std::u16string> names;
    for (const auto& r : loaded) {
        FUZZ_CHECK(!r.name.empty() && r.name.size() <= records::kMaxNameLength);
        FUZZ_CHECK(r.name.find(u'\0') == std::u16string::npos);
        FUZZ_CHECK(records::IsValueType(r.type));
        FUZZ_CHECK(names.insert(r.name).second);
    }
    const std::vector<std::uint8_t> encoded = records::Encode(loaded);
    FUZZ_CHECK(encoded.size() == records::EncodedSize(loaded));
    FUZZ_CHECK(encoded.size() == offset);
    FUZZ_CHECK(std::memcmp(encoded.data(), data, offset) == 0);
    return 0;
}
