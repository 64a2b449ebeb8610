#include "site_lock.h"

#include <mshtml.h>

#include <string_view>

#include "module.h"
#include "raii.h"
#include "rules/site_list.h"
#include "site_list_id.h"

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

std::string Utf8(const wchar_t* text, UINT length) {
    if (length == 0) return {};
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), bytes, nullptr,
                        nullptr);
    return out;
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
    return Utf8(url.get(), url.Length());
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

bool AddressAllowed(std::string_view utf8Address) {
    const auto list = BuiltInList();
    return list && fw::SiteAllowed(*list, utf8Address);
}

}  // namespace fw
