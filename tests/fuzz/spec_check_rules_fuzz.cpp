// What the system hands the spec-check control: version facts, registry and identifier bytes,
// version resources and DirectX file versions. Every answer is built without reading past what
// it was given.
#include <map>
#include <vector>

#include "fuzz_input.h"
#include "spec_check/rules/adapter_address.h"
#include "spec_check/rules/cpu_name.h"
#include "spec_check/rules/directx_version.h"
#include "spec_check/rules/display_adapter.h"
#include "spec_check/rules/machine_key.h"
#include "spec_check/rules/memory_size.h"
#include "spec_check/rules/os_name.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const unsigned selector = in.Number<std::uint8_t>() % 5;
    switch (selector) {
        case 0: {
            spec_check::OsFacts facts;
            facts.versionRead = in.Number<std::uint8_t>() & 1;
            facts.major = in.Number<std::uint32_t>() % 12;
            facts.minor = in.Number<std::uint32_t>() % 5;
            facts.build = in.Number<std::uint32_t>();
            facts.suiteMask = in.Number<std::uint16_t>();
            facts.productType = in.Number<std::uint8_t>();
            facts.architecture = in.Number<std::uint16_t>();
            facts.serverR2 = in.Number<std::int32_t>();
            facts.edition = in.Number<std::uint32_t>();
            facts.servicePack = in.Rest();
            FUZZ_CHECK(!spec_check::OsName(facts).empty());
            break;
        }
        case 1: {
            // Registry and identifier bytes, exactly as long as given (no terminator promised).
            const std::string bytes = in.Rest();
            std::vector<char> copy(bytes.begin(), bytes.end());
            const std::string text = spec_check::TextUpToNul(copy.data(), copy.size());
            FUZZ_CHECK(text.size() <= copy.size());
            spec_check::TrimLeadingSpaces(text);
            spec_check::IsProgramPath(text, "QuellisGateLauncher.exe");
            static char field[spec_check::kAdapterTextSize];
            const std::size_t n = copy.size() < sizeof field ? copy.size() : sizeof field;
            std::memset(field, 'x', sizeof field);
            if (n) std::memcpy(field, copy.data(), n);
            FUZZ_CHECK(spec_check::AdapterText(field).size() <= sizeof field);
            spec_check::AdapterNumbers(reinterpret_cast<const unsigned char*>(copy.data()),
                                       copy.size());
            break;
        }
        case 2: {
            // A version block and the place the platform says its fixed part is.
            const std::size_t offset = in.Number<std::uint16_t>();
            const std::size_t fixedSize = in.Number<std::uint16_t>();
            const std::string bytes = in.Rest();
            std::vector<unsigned char> block(bytes.begin(), bytes.end());
            if (block.empty()) break;
            const unsigned char* fixed = block.data() + (offset % block.size());
            spec_check::FixedFileVersion(block.data(), block.size(), fixed, fixedSize);
            break;
        }
        case 3: {
            // File versions for each of the scan's files, and what the provider might report.
            std::map<std::string, std::uint64_t> versions;
            const std::uint32_t present = in.Number<std::uint32_t>();
            int i = 0;
            const std::string directory = in.Text();
            spec_check::DirectXVersion result = spec_check::ScanDirectXFileVersions(
                directory, [&](const std::string& path) -> std::optional<std::uint64_t> {
                    if (!(present >> (i++ % 32) & 1)) return std::nullopt;
                    auto it = versions.find(path);
                    if (it == versions.end()) {
                        it = versions.emplace(path, in.Number<std::uint64_t>()).first;
                    }
                    return it->second;
                });
            FUZZ_CHECK(result.major <= 11);
            result.letter = spec_check::LowerLetter(in.Number<char16_t>());
            FUZZ_CHECK(spec_check::DirectXText(result).back() == '\n');
            break;
        }
        case 4: {
            const std::uint32_t total = in.Number<std::uint32_t>();
            const std::uint32_t n = spec_check::RoundToPowerOfTwo(total >> 20);
            FUZZ_CHECK(n >= 1 && n <= 4096 && (n & (n - 1)) == 0);
            spec_check::VideoMemoryText(total);
            spec_check::MemoryText(in.Number<std::uint64_t>());
            std::uint8_t data4[8] = {};
            spec_check::DeviceIdText(in.Number<std::uint32_t>(), 0, 0, data4);
            spec_check::DriverVersionText(in.Number<std::uint32_t>(), in.Number<std::uint32_t>());
            break;
        }
    }
    return 0;
}
