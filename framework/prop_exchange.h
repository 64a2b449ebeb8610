// Named-property exchange: one routine (a control's DoPropExchange) both loads and saves its
// persistent state, whatever the medium (property bag, stream, storage).
#pragma once

#include <windows.h>

namespace fw {

class PropExchange {
public:
    virtual ~PropExchange() = default;
    virtual bool IsLoading() const = 0;

    // Exchanges a 32-bit value stored under name. Loading an absent name sets defaultValue.
    // False when the medium fails (not for an absent name).
    virtual bool ExchangeLong(const wchar_t* name, LONG& value, LONG defaultValue) = 0;
    // The same for an unsigned value (stored as VT_UI4).
    virtual bool ExchangeULong(const wchar_t* name, ULONG& value, ULONG defaultValue) = 0;

    // The control's version, stored as "_Version". Saving writes `version`; loading sets
    // versionLoaded to the stored value (version when absent). With convert, a stored value other
    // than `version` is accepted; without it, it fails the exchange.
    bool ExchangeVersion(DWORD& versionLoaded, DWORD version, bool convert) {
        ULONG stored = version;
        if (!ExchangeULong(L"_Version", stored, version)) return false;
        versionLoaded = IsLoading() ? stored : version;
        return convert || versionLoaded == version;
    }
};

}  // namespace fw
