#include "spec_check/rules/adapter_address.h"

namespace spec_check {

std::vector<unsigned char> AdapterNumbers(const unsigned char* list, std::size_t size) {
    if (!list || size == 0) return {};
    std::size_t count = list[0];
    if (count > size - 1) count = size - 1;
    return std::vector<unsigned char>(list + 1, list + 1 + count);
}

std::string FormatAdapterAddress(const AdapterAddress& address) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(address.size() * 3 - 1);
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (i) text += '-';
        text += kDigits[address[i] >> 4];
        text += kDigits[address[i] & 0x0F];
    }
    return text;
}

std::string AddressList(const std::vector<std::optional<AdapterAddress>>& answers) {
    std::string list;
    for (const auto& answer : answers) {
        if (!answer) continue;
        if (!list.empty()) list += "\r\n";
        list += FormatAdapterAddress(*answer);
    }
    return list;
}

}  // namespace spec_check
