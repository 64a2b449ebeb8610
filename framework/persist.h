// The media a control's DoPropExchange runs over: a property bag (HTML <param>s, IPersistPropertyBag)
// and the module's own binary record format (IPersistStreamInit, and the "Contents" stream of
// IPersistStorage).
//
// The record format is described in rules/property_records.h.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "prop_exchange.h"
#include "raii.h"
#include "rules/property_records.h"

namespace fw {

// Reads or writes 32-bit values as VT_I4 / VT_UI4 VARIANTs. Loading: an absent name, a failed read
// or a value that cannot be coerced to the wanted type gives the default.
class BagExchange final : public PropExchange {
public:
    BagExchange(IPropertyBag* bag, IErrorLog* log, bool loading);

    bool IsLoading() const override { return loading_; }
    bool ExchangeLong(const wchar_t* name, LONG& value, LONG defaultValue) override;
    bool ExchangeULong(const wchar_t* name, ULONG& value, ULONG defaultValue) override;

    // S_OK, or the first failure of the medium.
    [[nodiscard]] HRESULT Result() const { return result_; }

private:
    bool Exchange(const wchar_t* name, VARTYPE vt, DWORD& bits, DWORD defaultBits);

    IPropertyBag* bag_;
    IErrorLog* log_;
    bool loading_;
    HRESULT result_ = S_OK;
};

using StreamRecord = records::Record<wchar_t>;

// Saving side: collects the records, then writes them in one piece.
class StreamWriter final : public PropExchange {
public:
    bool IsLoading() const override { return false; }
    bool ExchangeLong(const wchar_t* name, LONG& value, LONG defaultValue) override;
    bool ExchangeULong(const wchar_t* name, ULONG& value, ULONG defaultValue) override;

    [[nodiscard]] HRESULT Result() const { return result_; }
    // Exact size of what WriteTo writes.
    ULONGLONG ByteSize() const;
    // The encoded records (throws std::bad_alloc).
    std::vector<BYTE> Encode() const;
    [[nodiscard]] HRESULT WriteTo(IStream* stream) const;

private:
    bool Add(const wchar_t* name, VARTYPE vt, DWORD bits);

    std::vector<StreamRecord> records_;
    HRESULT result_ = S_OK;
};

// Loading side: ReadFrom parses and checks the whole record set first; the exchange then looks
// values up by name.
class StreamReader final : public PropExchange {
public:
    // Reads exactly the records from the stream's current position. E_FAIL for a short or
    // malformed stream, the stream's own error when reading fails, E_OUTOFMEMORY.
    [[nodiscard]] HRESULT ReadFrom(IStream* stream);

    bool IsLoading() const override { return true; }
    bool ExchangeLong(const wchar_t* name, LONG& value, LONG defaultValue) override;
    bool ExchangeULong(const wchar_t* name, ULONG& value, ULONG defaultValue) override;

private:
    bool Lookup(const wchar_t* name, VARTYPE vt, DWORD& bits) const;

    std::vector<StreamRecord> records_;
};

// Converts a stored 32-bit value of type `from` (VT_I4 or VT_UI4) to type `to` with the platform's
// coercion rules; false when it does not fit.
[[nodiscard]] bool CoerceValue(VARTYPE from, DWORD bits, VARTYPE to, DWORD& out);

}  // namespace fw
