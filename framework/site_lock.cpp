#include "site_lock.h"

#include <mshtml.h>

#include <atomic>
#include <new>
#include <string_view>

#include "module.h"
#include "raii.h"
#include "rules/site_list.h"
#include "site_list_id.h"
#include "text.h"

namespace fw {

namespace {

std::optional<SiteList> ReadBuiltInList() {
    const HINSTANCE module = Module::Instance();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VARNOK_SITE_LIST_ID),
                                MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return std::nullopt;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return std::nullopt;
    return ParseSiteList(
        std::string_view(static_cast<const char*>(data), SizeofResource(module, found)));
}

// The module's list, read and parsed on first use and kept: it is a resource fixed when the
// module was built. Published with one atomic exchange, so that no lock is needed; a thread that
// loses the race drops its own copy.
class BuiltInListCache {
public:
    constexpr BuiltInListCache() = default;
    BuiltInListCache(const BuiltInListCache&) = delete;
    BuiltInListCache& operator=(const BuiltInListCache&) = delete;
    ~BuiltInListCache() { delete list_.load(); }

    const std::optional<SiteList>& Get() {
        if (const auto* held = list_.load(std::memory_order_acquire)) return *held;
        auto* fresh = new (std::nothrow) std::optional<SiteList>(ReadBuiltInList());
        // Out of memory: locked to nothing for this call.
        if (!fresh) return none_;
        std::optional<SiteList>* expected = nullptr;
        if (list_.compare_exchange_strong(expected, fresh, std::memory_order_acq_rel)) {
            return *fresh;
        }
        delete fresh;
        return *expected;
    }

private:
    std::atomic<std::optional<SiteList>*> list_{nullptr};
    const std::optional<SiteList> none_;
};

BuiltInListCache builtInList;

const std::optional<SiteList>& BuiltInList() { return builtInList.Get(); }

}  // namespace

std::optional<std::string> PageAddress(IOleClientSite* site) {
    if (!site) return std::nullopt;
    ComPtr<IOleContainer> container;
    if (FAILED(site->GetContainer(container.put())) || !container) return std::nullopt;
    ComPtr<IHTMLDocument2> document;
    if (FAILED(container->QueryInterface(IID_IHTMLDocument2, document.put_void())) || !document) {
        return std::nullopt;
    }
    Bstr url;
    if (FAILED(document->get_URL(url.put())) || !url.get()) return std::nullopt;
    // The whole address, inner NULs too: a NUL must not hide what follows it from the list.
    return WideSpanToNarrow(url.get(), url.Length(), CP_UTF8);
}

bool SiteListOpen() {
    const auto& list = BuiltInList();
    return list && list->open;
}

bool PageAllowed(IOleClientSite* site) {
    if (SiteListOpen()) return true;
    const auto address = PageAddress(site);
    return address && AddressAllowed(*address);
}

bool AddressAllowed(std::string_view utf8Address) {
    const auto& list = BuiltInList();
    return list && fw::SiteAllowed(*list, utf8Address);
}

}  // namespace fw
