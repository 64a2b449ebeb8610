#include "persist.h"

#include <oleauto.h>

#include <cstring>
#include <new>

#include "hresult.h"

namespace fw {

namespace {

DWORD ToBits(LONG v) { return static_cast<DWORD>(v); }
LONG FromBitsSigned(DWORD bits) {
    LONG v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Puts a VT_I4 / VT_UI4 value into an empty VARIANT.
void SetVariant(VARIANT& v, VARTYPE vt, DWORD bits) {
    v.vt = vt;
    if (vt == VT_I4) v.lVal = FromBitsSigned(bits);
    else v.ulVal = bits;
}

DWORD VariantBits(const VARIANT& v) {
    return v.vt == VT_I4 ? ToBits(v.lVal) : v.ulVal;
}

bool ValidName(const wchar_t* name, size_t& length) {
    if (!name) return false;
    length = wcslen(name);
    return length >= 1 && length <= records::kMaxNameLength;
}

}  // namespace

bool CoerceValue(VARTYPE from, DWORD bits, VARTYPE to, DWORD& out) {
    if (from == to) {
        out = bits;
        return true;
    }
    Variant v;
    SetVariant(*v.get(), from, bits);
    if (FAILED(VariantChangeType(v.get(), v.get(), 0, to)) || v->vt != to) return false;
    out = VariantBits(*v.get());
    return true;
}

// --- property bag ------------------------------------------------------------------------------

BagExchange::BagExchange(IPropertyBag* bag, IErrorLog* log, bool loading)
    : bag_(bag), log_(log), loading_(loading) {}

bool BagExchange::Exchange(const wchar_t* name, VARTYPE vt, DWORD& bits, DWORD defaultBits) {
    if (!name) {
        if (SUCCEEDED(result_)) result_ = E_INVALIDARG;
        return false;
    }
    if (loading_) {
        Variant v;
        v->vt = vt;  // the type we want; a bag may coerce to it already
        if (FAILED(bag_->Read(name, v.get(), log_))) {
            bits = defaultBits;  // absent (or unreadable): keep the default
            return true;
        }
        if (v->vt != vt && (FAILED(VariantChangeType(v.get(), v.get(), 0, vt)) || v->vt != vt)) {
            bits = defaultBits;
            return true;
        }
        bits = VariantBits(*v.get());
        return true;
    }
    Variant v;
    SetVariant(*v.get(), vt, bits);
    const HRESULT hr = bag_->Write(name, v.get());
    if (FAILED(hr)) {
        if (SUCCEEDED(result_)) result_ = hr;
        return false;
    }
    return true;
}

bool BagExchange::ExchangeLong(const wchar_t* name, LONG& value, LONG defaultValue) {
    DWORD bits = ToBits(value);
    const bool ok = Exchange(name, VT_I4, bits, ToBits(defaultValue));
    value = FromBitsSigned(bits);
    return ok;
}

bool BagExchange::ExchangeULong(const wchar_t* name, ULONG& value, ULONG defaultValue) {
    DWORD bits = value;
    const bool ok = Exchange(name, VT_UI4, bits, defaultValue);
    value = bits;
    return ok;
}

// --- record stream: saving ----------------------------------------------------------------------

bool StreamWriter::Add(const wchar_t* name, VARTYPE vt, DWORD bits) {
    size_t length = 0;
    if (!ValidName(name, length)) {
        if (SUCCEEDED(result_)) result_ = E_INVALIDARG;
        return false;
    }
    try {
        for (StreamRecord& r : records_) {
            if (r.name == name) {  // exchanged twice: the last value wins, the name stays unique
                r.type = vt;
                r.bits = bits;
                return true;
            }
        }
        if (records_.size() >= records::kMaxRecords) {
            if (SUCCEEDED(result_)) result_ = E_INVALIDARG;
            return false;
        }
        records_.push_back(StreamRecord{std::wstring(name, length), vt, bits});
    } catch (const std::bad_alloc&) {
        if (SUCCEEDED(result_)) result_ = E_OUTOFMEMORY;
        return false;
    }
    return true;
}

bool StreamWriter::ExchangeLong(const wchar_t* name, LONG& value, LONG) {
    return Add(name, VT_I4, ToBits(value));
}

bool StreamWriter::ExchangeULong(const wchar_t* name, ULONG& value, ULONG) {
    return Add(name, VT_UI4, value);
}

ULONGLONG StreamWriter::ByteSize() const { return records::EncodedSize(records_); }

std::vector<BYTE> StreamWriter::Encode() const { return records::Encode(records_); }

HRESULT StreamWriter::WriteTo(IStream* stream) const {
    if (!stream) return E_POINTER;
    if (FAILED(result_)) return result_;
    std::vector<BYTE> bytes;
    FW_RETURN_IF_FAILED(fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        bytes = Encode();
        return S_OK;
    }));
    ULONG written = 0;
    const HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    if (FAILED(hr)) return hr;
    return written == bytes.size() ? S_OK : STG_E_MEDIUMFULL;
}

// --- record stream: loading ---------------------------------------------------------------------

HRESULT StreamReader::ReadFrom(IStream* stream) {
    if (!stream) return E_POINTER;
    HRESULT readResult = S_OK;
    // Fills exactly n bytes; a stream that ends inside a record is malformed (E_FAIL).
    auto read = [&](BYTE* buffer, size_t n) {
        ULONG got = 0;
        while (got < n) {
            ULONG chunk = 0;
            readResult = stream->Read(buffer + got, static_cast<ULONG>(n - got), &chunk);
            if (FAILED(readResult)) return false;
            if (chunk == 0) {
                readResult = E_FAIL;
                return false;
            }
            got += chunk;
        }
        return true;
    };
    return OutOfMemoryAsHresult([&] {
        switch (records::Parse(read, records_)) {
        case records::ParseStatus::kOk:
            return S_OK;
        case records::ParseStatus::kSourceFailed:
            return readResult;
        case records::ParseStatus::kMalformed:
            break;
        }
        return E_FAIL;
    });
}

bool StreamReader::Lookup(const wchar_t* name, VARTYPE vt, DWORD& bits) const {
    if (!name) return false;
    for (const StreamRecord& r : records_) {
        if (r.name == name) return CoerceValue(r.type, r.bits, vt, bits);
    }
    return false;
}

bool StreamReader::ExchangeLong(const wchar_t* name, LONG& value, LONG defaultValue) {
    DWORD bits = 0;
    value = Lookup(name, VT_I4, bits) ? FromBitsSigned(bits) : defaultValue;
    return true;
}

bool StreamReader::ExchangeULong(const wchar_t* name, ULONG& value, ULONG defaultValue) {
    DWORD bits = 0;
    value = Lookup(name, VT_UI4, bits) ? bits : defaultValue;
    return true;
}

}  // namespace fw
