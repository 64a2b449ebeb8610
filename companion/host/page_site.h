// The page a control of the companion sits on: a client site whose container is a document that
// tells its address (IHTMLDocument2::get_URL and "URL" through IDispatch), as a browser's
// document does, so that the control's own site lock reads the address it is given.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <optional>
#include <string>

#include "raii.h"

namespace companion {

// A document answering `address` whole (inner NULs kept); with no address, get_URL fails with
// E_FAIL. Every other method of the document answers E_NOTIMPL. `*document` is null on failure.
[[nodiscard]] HRESULT CreatePageDocument(const std::optional<std::wstring>& address,
                                         IOleContainer** document);

// A client site whose GetContainer gives `document` (held), or fails with E_NOINTERFACE when it
// is null. `*site` is null on failure.
[[nodiscard]] HRESULT CreateClientSite(IOleContainer* document, IOleClientSite** site);

// A control on a page: placed with IOleObject::SetClientSite, taken off (SetClientSite(nullptr))
// when the placement goes.
class PagePlacement {
public:
    PagePlacement() = default;
    PagePlacement(const PagePlacement&) = delete;
    PagePlacement& operator=(const PagePlacement&) = delete;
    ~PagePlacement();

    // Places `control` on a page at `address`: the HRESULT of SetClientSite (or of the query for
    // IOleObject). A placement held before is ended first; on failure none is held.
    [[nodiscard]] HRESULT Place(IUnknown* control, const std::wstring& address);

private:
    fw::ComPtr<IOleObject> object_;
};

}  // namespace companion
