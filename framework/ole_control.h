// Base of the module's OLE controls: everything a container (a browser page, an OLE host) needs
// of a control, so that a control class adds only its methods, its drawing and its properties.
// Which interfaces an object answers is its own ControlInfo::interfaces list.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>

#include <memory>
#include <vector>

#include "com_object.h"
#include "prop_exchange.h"
#include "raii.h"
#include "type_info.h"

namespace fw {

class ConnectionPoint;

struct ControlInfo {
    const CLSID* clsid;
    TypeLibId typeLib;
    const IID* primaryIid;        // the control's dispatch (or dual) interface
    const IID* eventIid;          // its event dispinterface; null when it has none
    DWORD miscStatus;             // IOleObject::GetMiscStatus for every aspect
    UINT userTypeNameId;          // string resource holding the user type name
    DWORD windowStyle;            // style of the window of a windowed in-place activation
    const IID* const* interfaces; // the interfaces QueryInterface answers, null-terminated
};

class OleControl : public ComObjectRoot,
                   public IOleObject,
                   public IOleInPlaceObjectWindowless,
                   public IOleInPlaceActiveObject,
                   public IOleControl,
                   public IViewObjectEx,
                   public IPersistStreamInit,
                   public IPersistPropertyBag,
                   public IPersistStorage,
                   public IProvideClassInfo2,
                   public IConnectionPointContainer,
                   public ISpecifyPropertyPages,
                   public IQuickActivate,
                   public IDataObject {
public:
    FW_DELEGATING_IUNKNOWN

    const ControlInfo& Info() const { return info_; }

    // --- hooks for the control class -------------------------------------------------------
    // Draws the control into hdc within bounds (windowed paint, IViewObject::Draw, metafile).
    virtual void OnDraw(HDC hdc, const RECT& bounds);
    // Loads or saves the persistent state. The base exchanges the extent as "_ExtentX" and
    // "_ExtentY" and the stock-property block "_StockProps".
    virtual void DoPropExchange(PropExchange& px);
    // CLSIDs of the control's property pages, in order.
    virtual std::vector<CLSID> PropPageIds() { return {}; }
    // Resets the persistent state to its initial values (IPersistStreamInit::InitNew and kin).
    virtual void OnResetState();
    // Interfaces the control class implements itself (IDispatch, its primary interface, ...).
    // Only asked for ids in Info().interfaces.
    virtual void* ControlInterface(REFIID iid) { (void)iid; return nullptr; }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR obj) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* mk) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** mk) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent,
                        LPCRECT posRect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** e) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* pal) override;

    // IOleWindow / IOleInPlaceObject / IOleInPlaceObjectWindowless
    STDMETHODIMP GetWindow(HWND* hwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;
    STDMETHODIMP OnWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
    STDMETHODIMP GetDropTarget(IDropTarget** target) override;

    // IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* ci) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IViewObject / IViewObject2 / IViewObjectEx
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* td, HDC hdcTarget,
                      HDC hdcDraw, LPCRECTL bounds, LPCRECTL wBounds,
                      BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR), ULONG_PTR contArg) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* td,
                             HDC hicTarget, LOGPALETTE** colors) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
    STDMETHODIMP Unfreeze(DWORD freeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* td, LPSIZEL size) override;
    STDMETHODIMP GetRect(DWORD aspect, LPRECTL rect) override;
    STDMETHODIMP GetViewStatus(DWORD* status) override;
    STDMETHODIMP QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT loc, LONG closeHint,
                               DWORD* hit) override;
    STDMETHODIMP QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT loc, LONG closeHint,
                              DWORD* hit) override;
    STDMETHODIMP GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* td, HDC hicTarget,
                                  DVEXTENTINFO* info, LPSIZEL size) override;

    // IPersist / IPersistStreamInit / IPersistPropertyBag / IPersistStorage
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage* storage) override;
    STDMETHODIMP HandsOffStorage() override;

    // IProvideClassInfo / IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** e) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** cp) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // IQuickActivate
    STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override;
    STDMETHODIMP SetContentExtent(LPSIZEL size) override;
    STDMETHODIMP GetContentExtent(LPSIZEL size) override;

    // IDataObject
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** e) override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP DUnadvise(DWORD cookie) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** e) override;

protected:
    OleControl(IUnknown* outer, const ControlInfo& info);
    ~OleControl() override;

    // The window a message box of the control should be owned by: the control's own window while
    // it is in-place active with one, else the window its in-place site reports, else none.
    HWND MessageOwnerWindow();

    // Whether the module's site list lets this control work on the page that holds it (always in
    // an open build), asked afresh at each call; and whether the control has a client site.
    bool PageAllowed() const;
    bool HasClientSite() const;

    // Exchanges the extent (HIMETRIC) under the two names given, as LONGs (VT_I4) or, with
    // asUnsigned, as ULONGs (VT_UI4). A loaded negative (or, unsigned, above LONG_MAX) size keeps
    // the default extent for that axis.
    void ExchangeExtent(PropExchange& px, const wchar_t* xName, const wchar_t* yName,
                        bool asUnsigned = false);

private:
    void* FindInterface(REFIID iid) final;

    // Implementation state; the control class never touches it.
    struct State;
    std::unique_ptr<State> state_;
    const ControlInfo& info_;
};

}  // namespace fw
