#include "page_site.h"

#include <ole2.h>

#include <optional>

#include "companion/host/page_site.h"
#include "hresult.h"
#include "raii.h"

namespace testing_support {
namespace {

HRESULT SetSite(IUnknown* control, IOleClientSite* site) {
    if (!control) return E_POINTER;
    fw::ComPtr<IOleObject> object;
    FW_RETURN_IF_FAILED(control->QueryInterface(IID_IOleObject, object.put_void()));
    return object->SetClientSite(site);
}

}  // namespace

// The companion's own page: its document and client site.
HRESULT PlaceOnPage(IUnknown* control, const std::wstring& url, Page kind) {
    if (!control) return E_POINTER;
    fw::ComPtr<IOleContainer> document;
    if (kind != Page::NoContainer) {
        const auto address = kind == Page::NoAddress ? std::nullopt : std::optional(url);
        FW_RETURN_IF_FAILED(companion::CreatePageDocument(address, document.put()));
    }
    fw::ComPtr<IOleClientSite> site;
    FW_RETURN_IF_FAILED(companion::CreateClientSite(document.get(), site.put()));
    return SetSite(control, site.get());
}

HRESULT TakeOffPage(IUnknown* control) { return SetSite(control, nullptr); }

}  // namespace testing_support
