// A snapshot enumerator for the platform's IEnumXxx interfaces: the items are copied when the
// enumerator is made, so later changes to the source (a connection dropped, a point added) do not
// disturb an enumeration under way. Items that hold references keep them until the enumerator goes.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <ocidl.h>

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "com_object.h"
#include "hresult.h"

namespace fw {

// Copy policies: how an item is duplicated into the caller's array and released from the snapshot.

// Plain data (FORMATETC with no target device, OLEVERB without text, ...).
template <typename T>
struct PlainCopy {
    static void Copy(T& dst, const T& src) { dst = src; }
    static void Destroy(T&) {}
};

// Interface pointers: every copy carries its own reference.
template <typename I>
struct InterfaceCopy {
    static void Copy(I*& dst, I* const& src) {
        dst = src;
        if (dst) dst->AddRef();
    }
    static void Destroy(I*& p) {
        if (p) { I* q = std::exchange(p, nullptr); q->Release(); }
    }
};

// CONNECTDATA: the sink pointer carries a reference.
struct ConnectDataCopy {
    static void Copy(CONNECTDATA& dst, const CONNECTDATA& src) {
        dst = src;
        if (dst.pUnk) dst.pUnk->AddRef();
    }
    static void Destroy(CONNECTDATA& cd) {
        if (cd.pUnk) { IUnknown* p = std::exchange(cd.pUnk, nullptr); p->Release(); }
    }
};

template <typename IEnum, typename Item, typename Policy>
class Enumerator final : public ComObjectRoot, public IEnum {
public:
    FW_DELEGATING_IUNKNOWN

    // Makes an enumerator over copies of items and answers it as IEnum. Never throws.
    [[nodiscard]] static HRESULT Create(const std::vector<Item>& items, IEnum** out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        Enumerator* e = nullptr;
        FW_RETURN_IF_FAILED(fw::OutOfMemoryAsHresult([&] {
            e = new Enumerator(items, 0);
            return S_OK;
        }));
        e->Inner()->AddRef();
        *out = static_cast<IEnum*>(e);
        return S_OK;
    }

    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!out) return E_POINTER;
        // The count of items fetched may only be omitted when asking for one.
        if (count != 1 && !fetched) return E_INVALIDARG;
        ULONG n = 0;
        while (n < count && pos_ < items_.size()) {
            Policy::Copy(out[n], items_[pos_]);
            ++n;
            ++pos_;
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }

    STDMETHODIMP Skip(ULONG count) override {
        const size_t left = items_.size() - pos_;
        if (count > left) {
            pos_ = items_.size();
            return S_FALSE;
        }
        pos_ += count;
        return S_OK;
    }

    STDMETHODIMP Reset() override {
        pos_ = 0;
        return S_OK;
    }

    STDMETHODIMP Clone(IEnum** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Enumerator* e = nullptr;
        FW_RETURN_IF_FAILED(fw::OutOfMemoryAsHresult([&] {
            e = new Enumerator(items_, pos_);
            return S_OK;
        }));
        e->Inner()->AddRef();
        *out = static_cast<IEnum*>(e);
        return S_OK;
    }

private:
    Enumerator(const std::vector<Item>& items, size_t pos) : ComObjectRoot(nullptr), pos_(pos) {
        items_.resize(items.size());  // may throw before any reference is taken
        for (size_t i = 0; i < items.size(); ++i) Policy::Copy(items_[i], items[i]);
    }
    ~Enumerator() override {
        for (Item& item : items_) Policy::Destroy(item);
    }

    void* FindInterface(REFIID iid) override {
        if (IsEqualIID(iid, __uuidof(IEnum))) return static_cast<IEnum*>(this);
        return nullptr;
    }

    std::vector<Item> items_;
    size_t pos_;
};

}  // namespace fw
