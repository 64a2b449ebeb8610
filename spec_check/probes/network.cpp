// Network probe: the hardware address of every LAN adapter number NetBIOS knows.
#include <windows.h>
#include <nb30.h>

#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "spec_check/probes/probes.h"
#include "spec_check/rules/adapter_address.h"

namespace spec_check {

namespace {

// Room for the adapter status and part of its name table; only the address at its start is read.
constexpr std::size_t kStatusAreaSize = 600;
// Remote name of an adapter-status query about the local adapter: "*" and 15 spaces, unterminated.
constexpr char kLocalAdapterName[NCBNAMSZ + 1] = "*               ";

std::optional<AdapterAddress> QueryAdapterAddress(UCHAR lana) {
    NCB ncb{};
    ncb.ncb_command = NCBRESET;
    ncb.ncb_lana_num = lana;
    Netbios(&ncb);  // a failed reset still lets the status query be tried

    std::array<UCHAR, kStatusAreaSize> status{};
    ncb = NCB{};
    ncb.ncb_command = NCBASTAT;
    ncb.ncb_lana_num = lana;
    std::memcpy(ncb.ncb_callname, kLocalAdapterName, NCBNAMSZ);
    ncb.ncb_buffer = status.data();
    ncb.ncb_length = static_cast<WORD>(status.size());
    if (Netbios(&ncb) != NRC_GOODRET) return std::nullopt;

    AdapterAddress address{};
    std::memcpy(address.data(), status.data(), address.size());
    return address;
}

}  // namespace

std::string ProbeAdapterAddresses() {
    LANA_ENUM adapters{};
    NCB ncb{};
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = reinterpret_cast<PUCHAR>(&adapters);
    ncb.ncb_length = sizeof adapters;
    // The count byte decides: a failed enumeration leaves it 0.
    Netbios(&ncb);

    std::vector<std::optional<AdapterAddress>> answers;
    for (const unsigned char lana : AdapterNumbers(
             reinterpret_cast<const unsigned char*>(&adapters), sizeof adapters)) {
        answers.push_back(QueryAdapterAddress(lana));
    }
    return AddressList(answers);
}

}  // namespace spec_check
