#include "site_lock.h"

#include <mshtml.h>

#include <string_view>

#include "module.h"
#include "raii.h"
#include "rules/site_list.h"
#include "site_list_id.h"
#include "text.h"

namespace fw {

namespace {

// The module's list, read afresh: a resource costs nothing to find, and nothing is cached.
std::optional<SiteList> BuiltInList() {
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
    const auto list = BuiltInList();
    return list && list->open;
}

bool PageAllowed(IOleClientSite* site) {
    const auto list = BuiltInList();
    if (!list) return false;
    if (list->open) return true;
    const auto address = PageAddress(site);
    return address && fw::SiteAllowed(*list, *address);
}

}  // namespace fw
