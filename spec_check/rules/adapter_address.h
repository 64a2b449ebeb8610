// How the hardware addresses that NetBIOS reports become the text the page sees.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace spec_check {

// An adapter's hardware address, in the order the adapter status stores it.
using AdapterAddress = std::array<unsigned char, 6>;

// The adapter numbers of an adapter list (a count byte, then the numbers), in list order. Reads
// nothing past `size` bytes, whatever the count byte says.
std::vector<unsigned char> AdapterNumbers(const unsigned char* list, std::size_t size);

// "00-1a-2b-3c-4d-5e": two lowercase hex digits per byte, dash-separated.
std::string FormatAdapterAddress(const AdapterAddress& address);

// One answer per adapter number, in order; an empty answer is a failed status query and adds
// nothing. The addresses are joined by "\r\n", duplicates kept, no separator after the last.
std::string AddressList(const std::vector<std::optional<AdapterAddress>>& answers);

}  // namespace spec_check
