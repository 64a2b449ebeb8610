// A stand-in for the web page that holds a control, made of the companion's own page: the
// control's client site, whose container is a document that tells the page's address, as a
// browser's document does (document.URL).
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>

namespace testing_support {

// What the stand-in page tells a control about itself.
enum class Page {
    Address,      // the document answers its address
    NoContainer,  // the site has no container (GetContainer fails with E_NOINTERFACE)
    NoAddress,    // the document cannot tell its address (get_URL fails with E_FAIL)
};

// Places the control (any IUnknown of an OLE control) on a stand-in page: IOleObject::SetClientSite
// with a client site whose GetContainer gives a document answering IHTMLDocument2::get_URL and the
// "URL" property through IDispatch with `url`, whole (inner NULs kept). The HRESULT of
// SetClientSite (or of the query for IOleObject when the object has none).
HRESULT PlaceOnPage(IUnknown* control, const std::wstring& url, Page kind = Page::Address);

// Takes the control off its page (SetClientSite(nullptr)).
HRESULT TakeOffPage(IUnknown* control);

}  // namespace testing_support
