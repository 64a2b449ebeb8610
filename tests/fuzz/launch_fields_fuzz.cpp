// Page texts into the launcher's fixed fields: nothing written past a field, a refused append
// leaves the field as it was, and a field always ends in its terminator.
#include <vector>

#include "fuzz_input.h"
#include "launcher/rules/launch_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::size_t fieldSize = 1 + in.Number<std::uint16_t>() % 2048;
    const unsigned char lead = in.Number<std::uint8_t>();
    std::vector<char> field(fieldSize, '\0');
    while (!in.empty()) {
        const std::string text = in.Text();
        const std::vector<char> before = field;
        const auto result = launcher::AppendToField(field.data(), field.size(), text);
        if (result != launcher::AppendResult::Appended) FUZZ_CHECK(field == before);
        FUZZ_CHECK(field.back() == '\0');
        static unsigned char leadByte;
        leadByte = lead;
        const std::size_t fit = launcher::FittingLength(
            text, fieldSize, [](unsigned char b) { return b >= leadByte && leadByte >= 0x81; });
        FUZZ_CHECK(fit <= text.size() && fit <= fieldSize);
    }
    return 0;
}
