#include "persist.h"

#include <oleauto.h>

#include <cstring>
#include <new>

#include "hresult.h"
#include "rules/little_endian.h"

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

bool IsValueType(VARTYPE vt) { return vt == VT_I4 || vt == VT_UI4; }

// Byte source for the parser: each Read fills exactly n bytes or fails.
class StreamSource {
public:
    explicit StreamSource(IStream* stream) : stream_(stream) {}
    HRESULT Read(BYTE* buf, ULONG n) {
        ULONG got = 0;
        while (got < n) {
            ULONG chunk = 0;
            const HRESULT hr = stream_->Read(buf + got, n - got, &chunk);
            if (FAILED(hr)) return hr;
            if (chunk == 0) return E_FAIL;  // the stream ended inside a record
            got += chunk;
        }
        return S_OK;
    }

private:
    IStream* stream_;
};

bool ValidName(const wchar_t* name, size_t& length) {
    if (!name) return false;
    length = wcslen(name);
    return length >= 1 && length <= kMaxNameLength;
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
                r.vt = vt;
                r.bits = bits;
                return true;
            }
        }
        if (records_.size() >= kMaxRecords) {
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

ULONGLONG StreamWriter::ByteSize() const {
    ULONGLONG size = 8;
    for (const StreamRecord& r : records_) size += 2 + 2 * r.name.size() + 2 + 4;
    return size;
}

std::vector<BYTE> StreamWriter::Encode() const {
    std::vector<BYTE> out;
    out.reserve(static_cast<size_t>(ByteSize()));
    le::AppendU32(out, kStreamMagic);
    le::AppendU32(out, static_cast<DWORD>(records_.size()));
    for (const StreamRecord& r : records_) {
        le::AppendU16(out, static_cast<WORD>(r.name.size()));
        for (wchar_t ch : r.name) le::AppendU16(out, static_cast<WORD>(ch));
        le::AppendU16(out, r.vt);
        le::AppendU32(out, r.bits);
    }
    return out;
}

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

template <typename Source>
HRESULT StreamReader::ParseFrom(Source& source) {
    std::vector<StreamRecord> records;
    FW_RETURN_IF_FAILED(fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        BYTE header[8];
        HRESULT hr = source.Read(header, sizeof header);
        if (FAILED(hr)) return hr;
        if (le::ReadU32(header) != kStreamMagic) return E_FAIL;
        const DWORD count = le::ReadU32(header + 4);
        if (count > kMaxRecords) return E_FAIL;
        // Grows with what is actually read, so a count the stream does not back costs nothing.
        for (DWORD i = 0; i < count; ++i) {
            BYTE lengthBytes[2];
            if (FAILED(hr = source.Read(lengthBytes, 2))) return hr;
            const WORD length = le::ReadU16(lengthBytes);
            if (length == 0 || length > kMaxNameLength) return E_FAIL;
            BYTE nameBytes[2 * kMaxNameLength];
            if (FAILED(hr = source.Read(nameBytes, 2u * length))) return hr;
            std::wstring name(length, L'\0');
            for (WORD k = 0; k < length; ++k) {
                name[k] = static_cast<wchar_t>(le::ReadU16(nameBytes + 2 * k));
            }
            if (name.find(L'\0') != std::wstring::npos) return E_FAIL;
            BYTE value[6];
            if (FAILED(hr = source.Read(value, sizeof value))) return hr;
            const VARTYPE vt = le::ReadU16(value);
            if (!IsValueType(vt)) return E_FAIL;
            for (const StreamRecord& r : records) {
                if (r.name == name) return E_FAIL;
            }
            records.push_back(StreamRecord{std::move(name), vt, le::ReadU32(value + 2)});
        }
        return S_OK;
    }));
    records_.swap(records);
    return S_OK;
}

HRESULT StreamReader::ReadFrom(IStream* stream) {
    if (!stream) return E_POINTER;
    StreamSource source(stream);
    return ParseFrom(source);
}

bool StreamReader::Lookup(const wchar_t* name, VARTYPE vt, DWORD& bits) const {
    if (!name) return false;
    for (const StreamRecord& r : records_) {
        if (r.name == name) return CoerceValue(r.vt, r.bits, vt, bits);
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
