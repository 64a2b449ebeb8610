#include "ole_control.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "connection_point.h"
#include "control_window.h"
#include "enumerator.h"
#include "hresult.h"
#include "module.h"
#include "persist.h"
#include "presentation.h"
#include "site_lock.h"
#include "text.h"

namespace fw {

namespace {

wchar_t* CoTaskCopy(const std::wstring& s) {
    const size_t bytes = (s.size() + 1) * sizeof(wchar_t);
    auto* p = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
    if (p) std::memcpy(p, s.c_str(), bytes);
    return p;
}

// The control's drawing, as its presentation and its window call it.
void DrawControl(void* control, HDC hdc, const RECT& bounds) {
    static_cast<OleControl*>(control)->OnDraw(hdc, bounds);
}

}  // namespace

struct OleControl::State {
    State(OleControl& owner, const ControlInfo& info)
        : self(owner), drawing{&DrawControl, &owner}, extent(DefaultExtent()),
          propNotifyPoint(static_cast<IConnectionPointContainer*>(&owner), IID_IPropertyNotifySink) {
        if (info.eventIid) {
            eventPoint = std::make_unique<ConnectionPoint>(
                static_cast<IConnectionPointContainer*>(&owner), *info.eventIid);
        }
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State() {
        // The object is going away without a container's Close: take the window down quietly
        // (no calls out to a site that is letting go of us anyway).
        DropWindow();
    }

    OleControl& self;
    DrawCallback drawing;

    SIZEL extent;
    bool dirty = false;

    ComPtr<IOleClientSite> clientSite;
    ComPtr<IOleAdviseHolder> oleAdvise;
    ComPtr<IDataAdviseHolder> dataAdvise;

    // The one view advise sink (IViewObject::SetAdvise).
    ComPtr<IAdviseSink> viewSink;
    DWORD viewAspects = 0;
    DWORD viewAdvf = 0;

    // In-place state.
    ComPtr<IOleInPlaceSite> ipSite;
    ComPtr<IOleInPlaceSiteEx> ipSiteEx;
    ComPtr<IOleInPlaceSiteWindowless> ipSiteWindowless;  // only while windowless-active
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> doc;
    bool inPlaceActive = false;
    bool uiActive = false;
    bool windowless = false;
    HWND hwnd = nullptr;
    RECT posRect = {};
    RECT clipRect = {};

    // IPersistStorage state.
    enum class StorageMode { Uninitialized, Normal, NoScribble, HandsOff };
    StorageMode storageMode = StorageMode::Uninitialized;
    ComPtr<IStorage> storage;
    bool lastSaveSameAsLoad = false;

    // IViewObject::Freeze cookies still frozen.
    std::vector<DWORD> frozen;
    DWORD lastFreeze = 0;

    ConnectionPoint propNotifyPoint;
    std::unique_ptr<ConnectionPoint> eventPoint;

    // --- helpers ---------------------------------------------------------------------------

    IOleAdviseHolder* OleAdviseHolder() {
        if (!oleAdvise) CreateOleAdviseHolder(oleAdvise.put());
        return oleAdvise.get();
    }

    IDataAdviseHolder* DataAdviseHolder() {
        if (!dataAdvise) CreateDataAdviseHolder(dataAdvise.put());
        return dataAdvise.get();
    }

    // The presentation changed: repaint and tell whoever watches the view or the data.
    void PresentationChanged() {
        if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
        else if (windowless && ipSiteWindowless) ipSiteWindowless->InvalidateRect(nullptr, TRUE);
        if (ComPtr<IAdviseSink> sink = viewSink) {
            if (viewAspects & DVASPECT_CONTENT) sink->OnViewChange(DVASPECT_CONTENT, -1);
            if (viewAdvf & ADVF_ONLYONCE) viewSink.Reset();
        }
        if (dataAdvise) dataAdvise->SendOnDataChange(static_cast<IDataObject*>(&self), 0, 0);
    }

    void SetExtentValue(const SIZEL& size) {
        if (size.cx == extent.cx && size.cy == extent.cy) return;
        extent = size;
        dirty = true;
        PresentationChanged();
    }

    // Takes the window down, if there is one.
    void DropWindow() {
        if (hwnd) DestroyControlWindow(std::exchange(hwnd, nullptr));
    }

    // Places the window at the position rectangle and clips it to the clip rectangle.
    void ApplyWindowRects() {
        if (hwnd) PlaceControlWindow(hwnd, posRect, clipRect);
    }

    // Creates the window in parent at the position rectangle, clipped, and shows it.
    HRESULT OpenWindow(HWND parent) {
        FW_RETURN_IF_FAILED(
            CreateControlWindow(parent, self.Info().windowStyle, posRect, &drawing, &hwnd));
        ApplyWindowRects();
        ShowWindow(hwnd, SW_SHOWNA);
        return S_OK;
    }

    HRESULT InPlaceActivate(LONG verb, HWND parentHint, LPCRECT posHint) {
        if (!inPlaceActive) {
            if (!clientSite) return E_UNEXPECTED;
            ComPtr<IOleInPlaceSite> site;
            if (FAILED(clientSite.As(site)) || !site) return E_FAIL;
            if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
            ComPtr<IOleInPlaceSiteEx> siteEx;
            clientSite.As(siteEx);
            ComPtr<IOleInPlaceSiteWindowless> siteWl;
            clientSite.As(siteWl);
            const bool asWindowless = siteWl && siteWl->CanWindowlessActivate() == S_OK;

            HRESULT hr;
            if (siteEx) {
                BOOL noRedraw = FALSE;
                hr = siteEx->OnInPlaceActivateEx(&noRedraw, asWindowless ? ACTIVATE_WINDOWLESS : 0);
            } else {
                hr = site->OnInPlaceActivate();
            }
            if (FAILED(hr)) return hr;

            inPlaceActive = true;
            windowless = asWindowless;
            ipSite = site;
            ipSiteEx = siteEx;
            if (asWindowless) ipSiteWindowless = siteWl;

            OLEINPLACEFRAMEINFO frameInfo = {};
            frameInfo.cb = sizeof frameInfo;
            RECT pos = {}, clip = {};
            frame.Reset();
            doc.Reset();
            hr = site->GetWindowContext(frame.put(), doc.put(), &pos, &clip, &frameInfo);
            if (FAILED(hr)) {
                if (!posHint) {
                    self.InPlaceDeactivate();
                    return hr;
                }
                pos = clip = *posHint;
            }
            posRect = pos;
            clipRect = clip;

            if (!windowless) {
                HWND parent = nullptr;
                if (FAILED(site->GetWindow(&parent)) || !parent) parent = parentHint;
                hr = parent ? OpenWindow(parent) : E_FAIL;
                if (FAILED(hr)) {
                    self.InPlaceDeactivate();
                    return hr;
                }
            }
        } else if (hwnd && !IsWindowVisible(hwnd)) {
            ShowWindow(hwnd, SW_SHOWNA);  // shown again after OLEIVERB_HIDE
        }
        if (verb == OLEIVERB_UIACTIVATE || verb == OLEIVERB_PRIMARY) return UIActivate();
        return S_OK;
    }

    HRESULT UIActivate() {
        if (!inPlaceActive) return E_UNEXPECTED;
        if (uiActive) return S_OK;
        uiActive = true;
        if (ipSite) ipSite->OnUIActivate();
        if (windowless) {
            if (ipSiteWindowless) ipSiteWindowless->SetFocus(TRUE);
        } else if (hwnd) {
            SetFocus(hwnd);
        }
        IOleInPlaceActiveObject* active = static_cast<IOleInPlaceActiveObject*>(&self);
        if (frame) {
            frame->SetActiveObject(active, nullptr);
            frame->SetBorderSpace(nullptr);
        }
        if (doc) {
            doc->SetActiveObject(active, nullptr);
            doc->SetBorderSpace(nullptr);
        }
        return S_OK;
    }

    HRESULT ShowPropertyPages(HWND ownerHint) {
        // A container that shows property frames itself is asked first.
        if (clientSite) {
            ComPtr<IOleControlSite> controlSite;
            if (SUCCEEDED(clientSite.As(controlSite)) && controlSite &&
                SUCCEEDED(controlSite->ShowPropertyFrame())) {
                return S_OK;
            }
        }
        std::vector<CLSID> pages = self.PropPageIds();
        if (pages.empty()) return E_NOTIMPL;  // a negative verb this control does not support

        HWND owner = nullptr;
        if (ipSite) ipSite->GetWindow(&owner);
        if (!owner && clientSite) {
            ComPtr<IOleWindow> window;
            if (SUCCEEDED(clientSite.As(window)) && window) window->GetWindow(&owner);
        }
        if (!owner) owner = ownerHint;

        std::wstring caption = LoadResString(Module::InstanceOrProcess(), self.Info().userTypeNameId);
        if (caption.empty()) {
            CoTaskMem<wchar_t> regName;
            if (SUCCEEDED(OleRegGetUserType(*self.Info().clsid, USERCLASSTYPE_SHORT, regName.put())) &&
                regName.get()) {
                caption = regName.get();
            }
        }
        IUnknown* object = self.Controlling();
        return OleCreatePropertyFrame(owner, 0, 0, caption.c_str(), 1, &object,
                                      static_cast<ULONG>(pages.size()), pages.data(),
                                      GetUserDefaultLCID(), 0, nullptr);
    }

    HRESULT LoadFromStream(IStream* stream) {
        StreamReader reader;
        const HRESULT hr = reader.ReadFrom(stream);
        if (FAILED(hr)) return hr;
        self.DoPropExchange(reader);
        dirty = false;
        PresentationChanged();
        return S_OK;
    }

    HRESULT SaveToStream(IStream* stream) {
        StreamWriter writer;
        self.DoPropExchange(writer);
        return writer.WriteTo(stream);
    }
};

// --- construction ---------------------------------------------------------------------------------

OleControl::OleControl(IUnknown* outer, const ControlInfo& info)
    : ComObjectRoot(outer), info_(info) {
    state_ = std::make_unique<State>(*this, info);
}

OleControl::~OleControl() = default;

void* OleControl::FindInterface(REFIID iid) {
    bool listed = false;
    for (const IID* const* p = info_.interfaces; p && *p; ++p) {
        if (IsEqualIID(iid, **p)) {
            listed = true;
            break;
        }
    }
    if (!listed) return nullptr;
    if (void* own = ControlInterface(iid)) return own;

    if (IsEqualIID(iid, IID_IOleObject)) return static_cast<IOleObject*>(this);
    if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject) ||
        IsEqualIID(iid, IID_IOleInPlaceObjectWindowless)) {
        return static_cast<IOleInPlaceObjectWindowless*>(this);
    }
    if (IsEqualIID(iid, IID_IOleInPlaceActiveObject)) return static_cast<IOleInPlaceActiveObject*>(this);
    if (IsEqualIID(iid, IID_IOleControl)) return static_cast<IOleControl*>(this);
    if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2) ||
        IsEqualIID(iid, IID_IViewObjectEx)) {
        return static_cast<IViewObjectEx*>(this);
    }
    // IPersistStreamInit's table begins with IPersistStream's, so it serves both.
    if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit) ||
        IsEqualIID(iid, IID_IPersistStream)) {
        return static_cast<IPersistStreamInit*>(this);
    }
    if (IsEqualIID(iid, IID_IPersistPropertyBag)) return static_cast<IPersistPropertyBag*>(this);
    if (IsEqualIID(iid, IID_IPersistStorage)) return static_cast<IPersistStorage*>(this);
    if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2)) {
        return static_cast<IProvideClassInfo2*>(this);
    }
    if (IsEqualIID(iid, IID_IConnectionPointContainer)) return static_cast<IConnectionPointContainer*>(this);
    if (IsEqualIID(iid, IID_ISpecifyPropertyPages)) return static_cast<ISpecifyPropertyPages*>(this);
    if (IsEqualIID(iid, IID_IQuickActivate)) return static_cast<IQuickActivate*>(this);
    if (IsEqualIID(iid, IID_IDataObject)) return static_cast<IDataObject*>(this);
    return nullptr;
}

// --- hooks ------------------------------------------------------------------------------------------

void OleControl::OnDraw(HDC, const RECT&) {}

void OleControl::DoPropExchange(PropExchange& px) {
    ExchangeExtent(px, L"_ExtentX", L"_ExtentY");
    LONG stockProps = 0;  // the base has no stock properties
    px.ExchangeLong(L"_StockProps", stockProps, 0);
}

void OleControl::OnResetState() { state_->extent = DefaultExtent(); }

void OleControl::ExchangeExtent(PropExchange& px, const wchar_t* xName, const wchar_t* yName,
                                bool asUnsigned) {
    const SIZEL def = DefaultExtent();
    SIZEL& ext = state_->extent;
    LONG x = ext.cx;
    LONG y = ext.cy;
    if (asUnsigned) {
        ULONG ux = static_cast<ULONG>(x);
        ULONG uy = static_cast<ULONG>(y);
        px.ExchangeULong(xName, ux, static_cast<ULONG>(def.cx));
        px.ExchangeULong(yName, uy, static_cast<ULONG>(def.cy));
        x = ux > 0x7FFFFFFFUL ? -1 : static_cast<LONG>(ux);
        y = uy > 0x7FFFFFFFUL ? -1 : static_cast<LONG>(uy);
    } else {
        px.ExchangeLong(xName, x, def.cx);
        px.ExchangeLong(yName, y, def.cy);
    }
    if (px.IsLoading()) {
        ext.cx = x >= 0 ? x : def.cx;
        ext.cy = y >= 0 ? y : def.cy;
    }
}

// --- IOleObject -------------------------------------------------------------------------------------

STDMETHODIMP OleControl::SetClientSite(IOleClientSite* site) {
    if (!site && state_->inPlaceActive) InPlaceDeactivate();
    ComPtr<IOleClientSite> previous = std::move(state_->clientSite);
    state_->clientSite = site;
    return S_OK;  // the previous site is released here, after ours is set
}

STDMETHODIMP OleControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    return state_->clientSite.CopyTo(site);
}

bool OleControl::PageAllowed() const { return fw::PageAllowed(state_->clientSite.get()); }

bool OleControl::HasClientSite() const { return static_cast<bool>(state_->clientSite); }

STDMETHODIMP OleControl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP OleControl::Close(DWORD saveOption) {
    State& s = *state_;
    if ((saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE) && s.dirty &&
        s.clientSite) {
        s.clientSite->SaveObject();
    }
    InPlaceDeactivate();
    if (s.oleAdvise) s.oleAdvise->SendOnClose();
    ComPtr<IOleClientSite> site = std::move(s.clientSite);
    return S_OK;
}

STDMETHODIMP OleControl::SetMoniker(DWORD, IMoniker*) {
    // The control cannot be a link source (nothing inside it can be linked to), so it has no use
    // for its moniker.
    return S_OK;
}

STDMETHODIMP OleControl::GetMoniker(DWORD assign, DWORD which, IMoniker** mk) {
    if (!mk) return E_POINTER;
    *mk = nullptr;
    if (assign == OLEGETMONIKER_UNASSIGN) return E_INVALIDARG;
    if (!state_->clientSite) return E_FAIL;
    // The object's moniker is the one its container gives it.
    return state_->clientSite->GetMoniker(assign, which, mk);
}

STDMETHODIMP OleControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP OleControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                LPCRECT posRect) {
    return fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        State& s = *state_;
        if (!s.clientSite && site) SetClientSite(site);
        switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
            return s.InPlaceActivate(verb, parent, posRect);
        case OLEIVERB_SHOW: {
            const HRESULT hr = s.InPlaceActivate(verb, parent, posRect);
            if (SUCCEEDED(hr) && s.clientSite) s.clientSite->ShowObject();
            return hr;
        }
        case OLEIVERB_HIDE:
            UIDeactivate();
            if (s.hwnd) ShowWindow(s.hwnd, SW_HIDE);
            return S_OK;
        case OLEIVERB_DISCARDUNDOSTATE:
            return S_OK;  // nothing is kept for undo
        case OLEIVERB_PROPERTIES:
            return s.ShowPropertyPages(parent);
        default:
            break;
        }
        if (verb > 0) {
            // An unknown positive verb is carried out as the primary verb.
            const HRESULT hr = s.InPlaceActivate(OLEIVERB_PRIMARY, parent, posRect);
            return SUCCEEDED(hr) ? OLEOBJ_S_INVALIDVERB : hr;
        }
        return E_NOTIMPL;  // OLEIVERB_OPEN and other negative verbs: no separate editing window
    });
}

STDMETHODIMP OleControl::EnumVerbs(IEnumOLEVERB** verbs) {
    if (!verbs) return E_POINTER;
    *verbs = nullptr;
    return OleRegEnumVerbs(*info_.clsid, verbs);
}

STDMETHODIMP OleControl::Update() { return S_OK; }

STDMETHODIMP OleControl::IsUpToDate() { return S_OK; }

STDMETHODIMP OleControl::GetUserClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = *info_.clsid;
    return S_OK;
}

STDMETHODIMP OleControl::GetUserType(DWORD form, LPOLESTR* type) {
    if (!type) return E_POINTER;
    *type = nullptr;
    return fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        const std::wstring name = LoadResString(Module::InstanceOrProcess(), info_.userTypeNameId);
        if (name.empty()) return OleRegGetUserType(*info_.clsid, form, type);
        *type = CoTaskCopy(name);
        return *type ? S_OK : E_OUTOFMEMORY;
    });
}

STDMETHODIMP OleControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return E_INVALIDARG;
    if (size->cx < 0 || size->cy < 0) return E_INVALIDARG;
    state_->SetExtentValue(*size);
    return S_OK;
}

STDMETHODIMP OleControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return E_INVALIDARG;
    *size = state_->extent;
    return S_OK;
}

STDMETHODIMP OleControl::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    IOleAdviseHolder* holder = state_->OleAdviseHolder();
    return holder ? holder->Advise(sink, cookie) : E_OUTOFMEMORY;
}

STDMETHODIMP OleControl::Unadvise(DWORD cookie) {
    if (!state_->oleAdvise) return OLE_E_NOCONNECTION;
    return state_->oleAdvise->Unadvise(cookie);
}

STDMETHODIMP OleControl::EnumAdvise(IEnumSTATDATA** e) {
    if (!e) return E_POINTER;
    *e = nullptr;
    IOleAdviseHolder* holder = state_->OleAdviseHolder();
    return holder ? holder->EnumAdvise(e) : E_OUTOFMEMORY;
}

STDMETHODIMP OleControl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = info_.miscStatus;
    return S_OK;
}

STDMETHODIMP OleControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// --- IOleWindow / IOleInPlaceObject(Windowless) -----------------------------------------------------

STDMETHODIMP OleControl::GetWindow(HWND* hwnd) {
    if (!hwnd) return E_POINTER;
    *hwnd = state_->windowless ? nullptr : state_->hwnd;
    return *hwnd ? S_OK : E_FAIL;
}

STDMETHODIMP OleControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP OleControl::InPlaceDeactivate() {
    State& s = *state_;
    if (!s.inPlaceActive) return S_OK;
    UIDeactivate();
    s.inPlaceActive = false;
    const bool wasWindowless = s.windowless;
    s.windowless = false;
    s.DropWindow();
    s.frame.Reset();
    s.doc.Reset();
    s.ipSiteWindowless.Reset();
    ComPtr<IOleInPlaceSite> site = std::move(s.ipSite);
    ComPtr<IOleInPlaceSiteEx> siteEx = std::move(s.ipSiteEx);
    // A windowed control's area needs repainting by the container once its window is gone.
    if (siteEx) siteEx->OnInPlaceDeactivateEx(wasWindowless ? TRUE : FALSE);
    else if (site) site->OnInPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP OleControl::UIDeactivate() {
    State& s = *state_;
    if (!s.uiActive) return S_OK;
    s.uiActive = false;
    if (s.doc) s.doc->SetActiveObject(nullptr, nullptr);
    if (s.frame) s.frame->SetActiveObject(nullptr, nullptr);
    if (s.windowless && s.ipSiteWindowless) s.ipSiteWindowless->SetFocus(FALSE);
    if (s.ipSite) s.ipSite->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP OleControl::SetObjectRects(LPCRECT pos, LPCRECT clip) {
    if (!pos) return E_POINTER;
    state_->posRect = *pos;
    state_->clipRect = clip ? *clip : *pos;
    state_->ApplyWindowRects();
    return S_OK;
}

STDMETHODIMP OleControl::ReactivateAndUndo() { return INPLACE_E_NOTUNDOABLE; }

STDMETHODIMP OleControl::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
    if (result) *result = 0;
    if (!state_->inPlaceActive || !state_->windowless) return E_UNEXPECTED;
    return S_FALSE;  // no message of its own to handle; the container does the default
}

STDMETHODIMP OleControl::GetDropTarget(IDropTarget** target) {
    if (!target) return E_POINTER;
    *target = nullptr;
    return E_NOTIMPL;
}

// --- IOleInPlaceActiveObject ------------------------------------------------------------------------

STDMETHODIMP OleControl::TranslateAccelerator(LPMSG) { return S_FALSE; }
STDMETHODIMP OleControl::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP OleControl::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP OleControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP OleControl::EnableModeless(BOOL) { return S_OK; }

// --- IOleControl --------------------------------------------------------------------------------------

STDMETHODIMP OleControl::GetControlInfo(CONTROLINFO* ci) {
    if (!ci) return E_POINTER;
    ci->cb = sizeof(CONTROLINFO);
    ci->hAccel = nullptr;  // no mnemonics
    ci->cAccel = 0;
    ci->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP OleControl::OnMnemonic(MSG*) { return S_OK; }
STDMETHODIMP OleControl::OnAmbientPropertyChange(DISPID) { return S_OK; }

// The controls fire no events through their connection points, so there is nothing to hold back.
STDMETHODIMP OleControl::FreezeEvents(BOOL) { return S_OK; }

// --- IViewObject / IViewObject2 / IViewObjectEx -------------------------------------------------------

STDMETHODIMP OleControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdcDraw,
                              LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!hdcDraw) return E_INVALIDARG;
    RECT r;
    if (bounds) {
        r = RECT{bounds->left, bounds->top, bounds->right, bounds->bottom};
    } else if (state_->inPlaceActive) {
        r = state_->posRect;  // a windowless container draws us where we are placed
    } else {
        return E_INVALIDARG;
    }
    return fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        DrawInto(state_->drawing, hdcDraw, r);
        return S_OK;
    });
}

STDMETHODIMP OleControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
    if (colors) *colors = nullptr;
    return S_FALSE;  // no particular palette
}

STDMETHODIMP OleControl::Freeze(DWORD aspect, LONG, void*, DWORD* freeze) {
    if (!freeze) return E_POINTER;
    *freeze = 0;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    return fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        DWORD next = state_->lastFreeze + 1;
        if (next == 0) next = 1;
        state_->frozen.push_back(next);
        state_->lastFreeze = next;
        *freeze = next;
        return S_OK;
    });
}

STDMETHODIMP OleControl::Unfreeze(DWORD freeze) {
    auto& frozen = state_->frozen;
    for (auto it = frozen.begin(); it != frozen.end(); ++it) {
        if (*it == freeze) {
            frozen.erase(it);
            return S_OK;
        }
    }
    return OLE_E_NOCONNECTION;
}

STDMETHODIMP OleControl::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) {
    State& s = *state_;
    ComPtr<IAdviseSink> previous = std::move(s.viewSink);
    s.viewSink = sink;
    s.viewAspects = sink ? aspects : 0;
    s.viewAdvf = sink ? advf : 0;
    if (sink && (advf & ADVF_PRIMEFIRST) && (aspects & DVASPECT_CONTENT)) {
        ComPtr<IAdviseSink> keep(sink);
        if (advf & ADVF_ONLYONCE) s.viewSink.Reset();
        keep->OnViewChange(DVASPECT_CONTENT, -1);
    }
    return S_OK;
}

STDMETHODIMP OleControl::GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) {
    if (aspects) *aspects = state_->viewAspects;
    if (advf) *advf = state_->viewAdvf;
    if (sink) state_->viewSink.CopyTo(sink);
    return S_OK;
}

STDMETHODIMP OleControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = state_->extent;
    return S_OK;
}

STDMETHODIMP OleControl::GetRect(DWORD aspect, LPRECTL rect) {
    if (!rect) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *rect = RECTL{0, 0, state_->extent.cx, state_->extent.cy};
    return S_OK;
}

STDMETHODIMP OleControl::GetViewStatus(DWORD* status) {
    if (!status) return E_POINTER;
    *status = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
    return S_OK;
}

STDMETHODIMP OleControl::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT loc, LONG, DWORD* hit) {
    if (!bounds || !hit) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *hit = PtInRect(bounds, loc) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP OleControl::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT loc, LONG, DWORD* hit) {
    if (!bounds || !loc || !hit) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    RECT common;
    *hit = IntersectRect(&common, bounds, loc) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP OleControl::GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) {
    return E_NOTIMPL;
}

// --- persistence --------------------------------------------------------------------------------------

STDMETHODIMP OleControl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = *info_.clsid;
    return S_OK;
}

STDMETHODIMP OleControl::IsDirty() { return state_->dirty ? S_OK : S_FALSE; }

STDMETHODIMP OleControl::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    return fw::OutOfMemoryAsHresult([&] { return state_->LoadFromStream(stream); });
}

STDMETHODIMP OleControl::Save(LPSTREAM stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    FW_RETURN_IF_FAILED(fw::OutOfMemoryAsHresult([&] { return state_->SaveToStream(stream); }));
    if (clearDirty) state_->dirty = false;
    if (state_->oleAdvise) state_->oleAdvise->SendOnSave();
    return S_OK;
}

STDMETHODIMP OleControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    return fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        StreamWriter writer;
        DoPropExchange(writer);
        if (FAILED(writer.Result())) return writer.Result();
        size->QuadPart = writer.ByteSize();
        return S_OK;
    });
}

STDMETHODIMP OleControl::InitNew() {
    FW_RETURN_IF_FAILED(fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        OnResetState();
        return S_OK;
    }));
    state_->dirty = false;
    return S_OK;
}

STDMETHODIMP OleControl::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    FW_RETURN_IF_FAILED(fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        BagExchange px(bag, log, true);
        DoPropExchange(px);
        if (FAILED(px.Result())) return px.Result();
        return S_OK;
    }));
    state_->dirty = false;
    state_->PresentationChanged();
    return S_OK;
}

STDMETHODIMP OleControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    FW_RETURN_IF_FAILED(fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        BagExchange px(bag, nullptr, false);
        DoPropExchange(px);
        if (FAILED(px.Result())) return px.Result();
        return S_OK;
    }));
    if (clearDirty) state_->dirty = false;
    if (state_->oleAdvise) state_->oleAdvise->SendOnSave();
    return S_OK;
}

namespace {
const wchar_t kContentsStream[] = L"Contents";
}

STDMETHODIMP OleControl::InitNew(IStorage* storage) {
    if (!storage) return E_POINTER;
    State& s = *state_;
    if (s.storageMode != State::StorageMode::Uninitialized) return CO_E_ALREADYINITIALIZED;
    const HRESULT hr = InitNew();
    if (FAILED(hr)) return hr;
    s.storage = storage;
    s.storageMode = State::StorageMode::Normal;
    return S_OK;
}

STDMETHODIMP OleControl::Load(IStorage* storage) {
    if (!storage) return E_POINTER;
    State& s = *state_;
    if (s.storageMode != State::StorageMode::Uninitialized) return CO_E_ALREADYINITIALIZED;
    ComPtr<IStream> stream;
    HRESULT hr = storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                     stream.put());
    if (FAILED(hr)) return hr;
    hr = Load(stream.get());
    if (FAILED(hr)) return hr;
    s.storage = storage;
    s.storageMode = State::StorageMode::Normal;
    return S_OK;
}

STDMETHODIMP OleControl::Save(IStorage* storage, BOOL sameAsLoad) {
    if (!storage) return E_POINTER;
    State& s = *state_;
    ComPtr<IStream> stream;
    FW_RETURN_IF_FAILED(storage->CreateStream(
        kContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.put()));
    FW_RETURN_IF_FAILED(fw::OutOfMemoryAsHresult([&] { return s.SaveToStream(stream.get()); }));
    // Until SaveCompleted the storage must not be written (the dirty flag is cleared there too).
    if (s.storageMode != State::StorageMode::HandsOff) s.storageMode = State::StorageMode::NoScribble;
    s.lastSaveSameAsLoad = sameAsLoad != FALSE;
    return S_OK;
}

STDMETHODIMP OleControl::SaveCompleted(IStorage* storage) {
    State& s = *state_;
    if (s.storageMode == State::StorageMode::Normal || s.storageMode == State::StorageMode::Uninitialized) {
        return E_UNEXPECTED;
    }
    if (s.storageMode == State::StorageMode::HandsOff && !storage) return E_INVALIDARG;
    if (storage) s.storage = storage;
    if (storage || s.lastSaveSameAsLoad) s.dirty = false;
    s.lastSaveSameAsLoad = false;
    s.storageMode = State::StorageMode::Normal;
    if (s.oleAdvise) s.oleAdvise->SendOnSave();
    return S_OK;
}

STDMETHODIMP OleControl::HandsOffStorage() {
    state_->storage.Reset();
    state_->storageMode = State::StorageMode::HandsOff;
    return S_OK;
}

// --- IProvideClassInfo2 -----------------------------------------------------------------------------------

STDMETHODIMP OleControl::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    const HRESULT hr = LoadTypeInfo(info_.typeLib, LOCALE_SYSTEM_DEFAULT, *info_.clsid, info);
    if (SUCCEEDED(hr)) return hr;
    // Not found through the registry (not registered, or only under another language): the
    // module carries its own type library.
    return fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        const std::wstring path(Module::FileName());
        ComPtr<ITypeLib> lib;
        if (path.empty() || FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.put()))) return hr;
        const TypeLibAttr attr(lib.get());
        if (!attr.get() || !IsEqualGUID(attr.get()->guid, *info_.typeLib.libid)) return hr;
        return lib->GetTypeInfoOfGuid(*info_.clsid, info);
    });
}

STDMETHODIMP OleControl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    *guid = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    // The kind is valid; a control without an event dispinterface simply has no such GUID.
    if (!info_.eventIid) return E_UNEXPECTED;
    *guid = *info_.eventIid;
    return S_OK;
}

// --- IConnectionPointContainer ----------------------------------------------------------------------------

STDMETHODIMP OleControl::EnumConnectionPoints(IEnumConnectionPoints** e) {
    if (!e) return E_POINTER;
    *e = nullptr;
    return fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        std::vector<IConnectionPoint*> points;
        if (state_->eventPoint) points.push_back(state_->eventPoint.get());
        points.push_back(&state_->propNotifyPoint);
        return Enumerator<IEnumConnectionPoints, IConnectionPoint*, InterfaceCopy<IConnectionPoint>>::Create(
            points, e);
    });
}

STDMETHODIMP OleControl::FindConnectionPoint(REFIID iid, IConnectionPoint** cp) {
    if (!cp) return E_POINTER;
    *cp = nullptr;
    ConnectionPoint* found = nullptr;
    if (state_->eventPoint && IsEqualIID(iid, state_->eventPoint->Iid())) found = state_->eventPoint.get();
    else if (IsEqualIID(iid, IID_IPropertyNotifySink)) found = &state_->propNotifyPoint;
    if (!found) return CONNECT_E_NOCONNECTION;
    found->AddRef();
    *cp = found;
    return S_OK;
}

// --- ISpecifyPropertyPages --------------------------------------------------------------------------------

STDMETHODIMP OleControl::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        const std::vector<CLSID> ids = PropPageIds();
        if (ids.empty()) return S_OK;
        auto* elems = static_cast<GUID*>(CoTaskMemAlloc(ids.size() * sizeof(GUID)));
        if (!elems) return E_OUTOFMEMORY;
        std::memcpy(elems, ids.data(), ids.size() * sizeof(GUID));
        pages->cElems = static_cast<ULONG>(ids.size());
        pages->pElems = elems;
        return S_OK;
    });
}

// --- IQuickActivate ----------------------------------------------------------------------------------------

STDMETHODIMP OleControl::QuickActivate(QACONTAINER* container, QACONTROL* control) {
    if (!container || !control) return E_POINTER;
    // Older containers pass shorter structures; everything up to the sinks must be there.
    if (container->cbSize < offsetof(QACONTAINER, dwAmbientFlags) ||
        control->cbSize < offsetof(QACONTROL, dwPointerActivationPolicy)) {
        return E_INVALIDARG;
    }
    State& s = *state_;
    SetClientSite(container->pClientSite);
    if (container->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);

    // A sink that does not implement the outgoing interface is simply not connected (cookie 0).
    DWORD eventCookie = 0;
    DWORD propCookie = 0;
    if (container->pUnkEventSink && s.eventPoint) {
        if (FAILED(s.eventPoint->Advise(container->pUnkEventSink, &eventCookie))) eventCookie = 0;
    }
    if (container->pPropertyNotifySink) {
        if (FAILED(s.propNotifyPoint.Advise(container->pPropertyNotifySink, &propCookie))) propCookie = 0;
    }

    control->dwMiscStatus = info_.miscStatus;
    GetViewStatus(&control->dwViewStatus);
    control->dwEventCookie = eventCookie;
    control->dwPropNotifyCookie = propCookie;
    if (control->cbSize >= sizeof(QACONTROL)) control->dwPointerActivationPolicy = 0;
    return S_OK;
}

STDMETHODIMP OleControl::SetContentExtent(LPSIZEL size) { return SetExtent(DVASPECT_CONTENT, size); }

STDMETHODIMP OleControl::GetContentExtent(LPSIZEL size) { return GetExtent(DVASPECT_CONTENT, size); }

// --- IDataObject ----------------------------------------------------------------------------------------------

STDMETHODIMP OleControl::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium) return E_POINTER;
    return RenderDataFormat(format, state_->extent, state_->drawing, medium);
}

STDMETHODIMP OleControl::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

STDMETHODIMP OleControl::QueryGetData(FORMATETC* format) { return QueryDataFormat(format); }

STDMETHODIMP OleControl::GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) {
    if (!in || !out) return E_POINTER;
    // The rendering does not depend on the target device: the canonical form is the same format
    // with no device.
    *out = *in;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP OleControl::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP OleControl::EnumFormatEtc(DWORD direction, IEnumFORMATETC** e) {
    if (!e) return E_POINTER;
    *e = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;  // nothing can be set
    return EnumDataFormats(e);
}

STDMETHODIMP OleControl::DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!format || !sink) return E_INVALIDARG;
    IDataAdviseHolder* holder = state_->DataAdviseHolder();
    if (!holder) return E_OUTOFMEMORY;
    return holder->Advise(static_cast<IDataObject*>(this), format, advf, sink, cookie);
}

STDMETHODIMP OleControl::DUnadvise(DWORD cookie) {
    if (!state_->dataAdvise) return OLE_E_NOCONNECTION;
    return state_->dataAdvise->Unadvise(cookie);
}

STDMETHODIMP OleControl::EnumDAdvise(IEnumSTATDATA** e) {
    if (!e) return E_POINTER;
    *e = nullptr;
    IDataAdviseHolder* holder = state_->DataAdviseHolder();
    return holder ? holder->EnumAdvise(e) : E_OUTOFMEMORY;
}

HWND OleControl::MessageOwnerWindow() {
    if (state_->hwnd && IsWindow(state_->hwnd)) return state_->hwnd;
    ComPtr<IOleInPlaceSite> site = state_->ipSite;
    if (!site && state_->clientSite) state_->clientSite.As(site);
    HWND owner = nullptr;
    if (site && site->GetWindow(&owner) == S_OK) return owner;
    return nullptr;
}

}  // namespace fw
