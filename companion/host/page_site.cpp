#include "page_site.h"

#include <mshtml.h>
#include <mshtmdid.h>

#include <utility>

#include "com_object.h"
#include "hresult.h"

namespace companion {
namespace {

// The document's one property, under the number a browser's document gives document.URL.
constexpr DISPID kUrlId = DISPID_IHTMLDOCUMENT2_URL;

// Answers E_NOTIMPL with the out value emptied (null pointer, empty VARIANT, FALSE).
template <typename T>
HRESULT NotImpl(T* out) {
    if (out) *out = T{};
    return E_NOTIMPL;
}

// "URL" in any case, compared ordinally: a linguistic comparison would skip ignorable characters.
bool IsUrlName(const wchar_t* name) {
    if (!name) return false;
    const wchar_t* want = L"url";
    for (; *want; ++name, ++want) {
        wchar_t c = *name;
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != *want) return false;
    }
    return *name == L'\0';
}

// Creates a counted object and hands out its interface I (the object lives while that is held).
template <typename I, typename T, typename... Args>
fw::ComPtr<I> Make(Args&&... args) {
    T* object = new T(std::forward<Args>(args)...);
    const fw::ComPtr<IUnknown> hold(object->Inner());
    return fw::ComPtr<I>(static_cast<I*>(object));
}

#define PAGE_GET(name, type) \
    STDMETHODIMP get_##name(type* p) override { return NotImpl(p); }
#define PAGE_PROP(name, type)                                      \
    STDMETHODIMP put_##name(type) override { return E_NOTIMPL; } \
    PAGE_GET(name, type)
#define PAGE_QUERY(name, type) \
    STDMETHODIMP name(BSTR, type* p) override { return NotImpl(p); }

// The page's document: its address through get_URL and IDispatch "URL"; nothing else.
class PageDocument final : public IHTMLDocument2, public IOleContainer, public fw::ComObjectRoot {
public:
    explicit PageDocument(std::optional<std::wstring> url) : ComObjectRoot(nullptr), url_(std::move(url)) {}
    FW_DELEGATING_IUNKNOWN

    STDMETHODIMP get_URL(BSTR* p) override {
        if (!p) return E_POINTER;
        *p = nullptr;
        if (!url_) return E_FAIL;
        *p = SysAllocStringLen(url_->data(), static_cast<UINT>(url_->size()));
        return *p ? S_OK : E_OUTOFMEMORY;
    }

    // IDispatch: the "URL" property only.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return NotImpl(count); }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override { return NotImpl(info); }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                               DISPID* ids) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (!names || !ids || count == 0) return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        if (IsUrlName(names[0])) ids[0] = kUrlId;
        // The property has no parameters, so any name after the first is unknown.
        return ids[0] == kUrlId && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT*) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (id != kUrlId || !(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        if (!params) return E_INVALIDARG;
        if (params->cArgs != 0 || params->cNamedArgs != 0) return DISP_E_BADPARAMCOUNT;
        fw::Bstr url;
        const HRESULT hr = get_URL(url.put());
        if (FAILED(hr)) {
            // As a type library's Invoke reports a failed property getter.
            if (exception) {
                *exception = EXCEPINFO{};
                exception->scode = hr;
            }
            return DISP_E_EXCEPTION;
        }
        if (result) {
            VariantInit(result);
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = url.release();
        }
        return S_OK;
    }

    // IOleContainer
    STDMETHODIMP ParseDisplayName(IBindCtx*, LPOLESTR, ULONG* eaten, IMoniker** moniker) override {
        if (eaten) *eaten = 0;
        return NotImpl(moniker);
    }
    STDMETHODIMP EnumObjects(DWORD, IEnumUnknown** objects) override { return NotImpl(objects); }
    STDMETHODIMP LockContainer(BOOL) override { return E_NOTIMPL; }

    // Everything else a document has.
    PAGE_GET(Script, IDispatch*)
    PAGE_GET(all, IHTMLElementCollection*)
    PAGE_GET(body, IHTMLElement*)
    PAGE_GET(activeElement, IHTMLElement*)
    PAGE_GET(images, IHTMLElementCollection*)
    PAGE_GET(applets, IHTMLElementCollection*)
    PAGE_GET(links, IHTMLElementCollection*)
    PAGE_GET(forms, IHTMLElementCollection*)
    PAGE_GET(anchors, IHTMLElementCollection*)
    PAGE_PROP(title, BSTR)
    PAGE_GET(scripts, IHTMLElementCollection*)
    PAGE_PROP(designMode, BSTR)
    PAGE_GET(selection, IHTMLSelectionObject*)
    PAGE_GET(readyState, BSTR)
    PAGE_GET(frames, IHTMLFramesCollection2*)
    PAGE_GET(embeds, IHTMLElementCollection*)
    PAGE_GET(plugins, IHTMLElementCollection*)
    PAGE_PROP(alinkColor, VARIANT)
    PAGE_PROP(bgColor, VARIANT)
    PAGE_PROP(fgColor, VARIANT)
    PAGE_PROP(linkColor, VARIANT)
    PAGE_PROP(vlinkColor, VARIANT)
    PAGE_GET(referrer, BSTR)
    PAGE_GET(location, IHTMLLocation*)
    PAGE_GET(lastModified, BSTR)
    STDMETHODIMP put_URL(BSTR) override { return E_NOTIMPL; }
    PAGE_PROP(domain, BSTR)
    PAGE_PROP(cookie, BSTR)
    PAGE_PROP(expando, VARIANT_BOOL)
    PAGE_PROP(charset, BSTR)
    PAGE_PROP(defaultCharset, BSTR)
    PAGE_GET(mimeType, BSTR)
    PAGE_GET(fileSize, BSTR)
    PAGE_GET(fileCreatedDate, BSTR)
    PAGE_GET(fileModifiedDate, BSTR)
    PAGE_GET(fileUpdatedDate, BSTR)
    PAGE_GET(security, BSTR)
    PAGE_GET(protocol, BSTR)
    PAGE_GET(nameProp, BSTR)
    STDMETHODIMP write(SAFEARRAY*) override { return E_NOTIMPL; }
    STDMETHODIMP writeln(SAFEARRAY*) override { return E_NOTIMPL; }
    STDMETHODIMP open(BSTR, VARIANT, VARIANT, VARIANT, IDispatch** window) override {
        return NotImpl(window);
    }
    STDMETHODIMP close() override { return E_NOTIMPL; }
    STDMETHODIMP clear() override { return E_NOTIMPL; }
    PAGE_QUERY(queryCommandSupported, VARIANT_BOOL)
    PAGE_QUERY(queryCommandEnabled, VARIANT_BOOL)
    PAGE_QUERY(queryCommandState, VARIANT_BOOL)
    PAGE_QUERY(queryCommandIndeterm, VARIANT_BOOL)
    PAGE_QUERY(queryCommandText, BSTR)
    PAGE_QUERY(queryCommandValue, VARIANT)
    STDMETHODIMP execCommand(BSTR, VARIANT_BOOL, VARIANT, VARIANT_BOOL* done) override {
        return NotImpl(done);
    }
    PAGE_QUERY(execCommandShowHelp, VARIANT_BOOL)
    PAGE_QUERY(createElement, IHTMLElement*)
    PAGE_PROP(onhelp, VARIANT)
    PAGE_PROP(onclick, VARIANT)
    PAGE_PROP(ondblclick, VARIANT)
    PAGE_PROP(onkeyup, VARIANT)
    PAGE_PROP(onkeydown, VARIANT)
    PAGE_PROP(onkeypress, VARIANT)
    PAGE_PROP(onmouseup, VARIANT)
    PAGE_PROP(onmousedown, VARIANT)
    PAGE_PROP(onmousemove, VARIANT)
    PAGE_PROP(onmouseout, VARIANT)
    PAGE_PROP(onmouseover, VARIANT)
    PAGE_PROP(onreadystatechange, VARIANT)
    PAGE_PROP(onafterupdate, VARIANT)
    PAGE_PROP(onrowexit, VARIANT)
    PAGE_PROP(onrowenter, VARIANT)
    PAGE_PROP(ondragstart, VARIANT)
    PAGE_PROP(onselectstart, VARIANT)
    STDMETHODIMP elementFromPoint(LONG, LONG, IHTMLElement** hit) override { return NotImpl(hit); }
    PAGE_GET(parentWindow, IHTMLWindow2*)
    PAGE_GET(styleSheets, IHTMLStyleSheetsCollection*)
    PAGE_PROP(onbeforeupdate, VARIANT)
    PAGE_PROP(onerrorupdate, VARIANT)
    STDMETHODIMP toString(BSTR* text) override { return NotImpl(text); }
    STDMETHODIMP createStyleSheet(BSTR, LONG, IHTMLStyleSheet** sheet) override {
        return NotImpl(sheet);
    }

private:
    void* FindInterface(REFIID iid) override {
        if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, __uuidof(IHTMLDocument)) ||
            IsEqualIID(iid, __uuidof(IHTMLDocument2))) {
            return static_cast<IHTMLDocument2*>(this);
        }
        if (IsEqualIID(iid, IID_IParseDisplayName) || IsEqualIID(iid, IID_IOleContainer)) {
            return static_cast<IOleContainer*>(this);
        }
        return nullptr;
    }

    const std::optional<std::wstring> url_;
};

#undef PAGE_GET
#undef PAGE_PROP
#undef PAGE_QUERY

// The control's client site: its container is the page's document, if it has one.
class PageSite final : public IOleClientSite, public fw::ComObjectRoot {
public:
    explicit PageSite(fw::ComPtr<IOleContainer> document)
        : ComObjectRoot(nullptr), document_(std::move(document)) {}
    FW_DELEGATING_IUNKNOWN

    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override { return NotImpl(moniker); }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        if (!container) return E_POINTER;
        *container = nullptr;
        return document_ ? document_.CopyTo(container) : E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

private:
    void* FindInterface(REFIID iid) override {
        return IsEqualIID(iid, IID_IOleClientSite) ? static_cast<IOleClientSite*>(this) : nullptr;
    }

    const fw::ComPtr<IOleContainer> document_;
};

}  // namespace

HRESULT CreatePageDocument(const std::optional<std::wstring>& address, IOleContainer** document) {
    if (!document) return E_POINTER;
    *document = nullptr;
    return fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        return Make<IOleContainer, PageDocument>(address).CopyTo(document);
    });
}

HRESULT CreateClientSite(IOleContainer* document, IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = nullptr;
    return fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        return Make<IOleClientSite, PageSite>(fw::ComPtr<IOleContainer>(document)).CopyTo(site);
    });
}

PagePlacement::~PagePlacement() {
    if (object_) object_->SetClientSite(nullptr);
}

HRESULT PagePlacement::Place(IUnknown* control, const std::wstring& address) {
    if (object_) {
        object_->SetClientSite(nullptr);
        object_.Reset();
    }
    if (!control) return E_POINTER;
    fw::ComPtr<IOleObject> object;
    FW_RETURN_IF_FAILED(control->QueryInterface(IID_IOleObject, object.put_void()));
    fw::ComPtr<IOleContainer> document;
    FW_RETURN_IF_FAILED(CreatePageDocument(address, document.put()));
    fw::ComPtr<IOleClientSite> site;
    FW_RETURN_IF_FAILED(CreateClientSite(document.get(), site.put()));
    FW_RETURN_IF_FAILED(object->SetClientSite(site.get()));
    object_ = std::move(object);
    return S_OK;
}

}  // namespace companion
