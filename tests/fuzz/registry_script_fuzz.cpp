// Registry scripts: any text parses to a script or to an error naming its line, never more.
#include <string>

#include "framework/rules/registry_script.h"
#include "fuzz_input.h"

namespace {

bool NamesAreComponents(const std::vector<fw::rgs::Key>& keys, std::size_t depth) {
    if (depth > fw::rgs::kMaxDepth + 1) return false;
    for (const auto& key : keys) {
        if (key.name.empty() || key.name.find(L'\\') != std::wstring::npos) return false;
        if (!NamesAreComponents(key.keys, depth + 1)) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Two bytes a UTF-16 unit, as the script resources hold them.
    std::wstring text(size / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    const fw::rgs::Substitutions substitutions = {{L"MODULE", L"C:\\x\\y.dll"},
                                                  {L"CLSID", L"{1}"}};
    const auto result = fw::rgs::Parse(text, substitutions);
    if (result.ok) {
        FUZZ_CHECK(NamesAreComponents(result.script.keys, 0));
    } else {
        FUZZ_CHECK(result.error.rfind("line ", 0) == 0);
        FUZZ_CHECK(result.script.keys.empty());
    }
    return 0;
}
