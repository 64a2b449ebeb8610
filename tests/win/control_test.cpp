// The OLE control base as containers use it, through the registered spec-check control:
// connection points, property pages, drawing, the three persistence media, and in-place
// activation in Wine's own control host and in a windowed site of the test's own.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "VarnokSpecCheck.h"
#include "msgbox_watcher.h"
#include "raii.h"

using fw::ComPtr;

namespace {

const wchar_t kProgId[] = L"QUELLISSPECCHECK.QuellisSpecCheckCtrl.1";
// {2C240152-44BC-460A-A587-6E292571D994}
const CLSID kPageClsid = {0x2c240152, 0x44bc, 0x460a, {0xa5, 0x87, 0x6e, 0x29, 0x25, 0x71, 0xd9, 0x94}};
// A new control's extent: 100 x 50 pixels at 96 dpi, in HIMETRIC.
constexpr LONG kDefaultCx = 2646;
constexpr LONG kDefaultCy = 1323;

constexpr DWORD kWhite = 0xFFFFFF;
constexpr DWORD kBlack = 0x000000;

// OLE (not just COM) for the test's thread: in-place activation and property frames need it.
class OleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(ole_)); }
    void TearDown() override {}
    ~OleTest() override {
        if (SUCCEEDED(ole_)) OleUninitialize();
    }

    static ComPtr<IUnknown> CreateControl() {
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
        ComPtr<IUnknown> control;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, control.put_void()),
                  S_OK);
        return control;
    }

    template <typename I>
    static ComPtr<I> As(const ComPtr<IUnknown>& unk) {
        ComPtr<I> out;
        EXPECT_EQ(unk.As(out), S_OK);
        return out;
    }

    static SIZEL Extent(const ComPtr<IUnknown>& control) {
        SIZEL size{-1, -1};
        EXPECT_EQ(As<IOleObject>(control)->GetExtent(DVASPECT_CONTENT, &size), S_OK);
        return size;
    }

private:
    HRESULT ole_ = OleInitialize(nullptr);
};

// Reference counting for the test's own objects; they live on the stack and are never deleted
// through Release, so a count left above 1 shows a reference the control kept.
class Counted {
public:
    ULONG Refs() const { return static_cast<ULONG>(refs_); }

protected:
    ULONG AddRefImpl() { return static_cast<ULONG>(++refs_); }
    ULONG ReleaseImpl() { return static_cast<ULONG>(--refs_); }

private:
    LONG refs_ = 1;
};

// A property bag over a map, recording every name the control reads.
class MapBag final : public IPropertyBag, public Counted {
public:
    ~MapBag() {
        for (auto& kv : values_) VariantClear(&kv.second);
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag)) {
            *ppv = static_cast<IPropertyBag*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }

    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        reads.insert(name);
        auto it = values_.find(name);
        if (it == values_.end()) return E_INVALIDARG;
        const VARTYPE wanted = value->vt;
        VariantInit(value);
        HRESULT hr = VariantCopy(value, &it->second);
        if (SUCCEEDED(hr) && wanted != VT_EMPTY && wanted != value->vt) {
            hr = VariantChangeType(value, value, 0, wanted);
            if (FAILED(hr)) VariantClear(value);
        }
        return hr;
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
        VARIANT copy;
        VariantInit(&copy);
        const HRESULT hr = VariantCopy(&copy, value);
        if (FAILED(hr)) return hr;
        auto [it, inserted] = values_.try_emplace(name, copy);
        if (!inserted) {
            VariantClear(&it->second);
            it->second = copy;
        }
        return S_OK;
    }

    void SetLong(const wchar_t* name, LONG v) {
        VARIANT var;
        var.vt = VT_I4;
        var.lVal = v;
        Write(name, &var);
    }
    void SetString(const wchar_t* name, const wchar_t* s) {
        VARIANT var;
        var.vt = VT_BSTR;
        var.bstrVal = SysAllocString(s);
        Write(name, &var);
        VariantClear(&var);
    }
    std::set<std::wstring> Names() const {
        std::set<std::wstring> names;
        for (const auto& kv : values_) names.insert(kv.first);
        return names;
    }
    const VARIANT* Find(const wchar_t* name) const {
        auto it = values_.find(name);
        return it == values_.end() ? nullptr : &it->second;
    }

    std::set<std::wstring> reads;

private:
    std::map<std::wstring, VARIANT> values_;
};

// An event sink answering IDispatch and the given outgoing interface; counts every call.
class DispatchSink final : public IDispatch, public Counted {
public:
    explicit DispatchSink(const IID& iid) : iid_(iid) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, iid_)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        ++calls;
        if (n) *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { ++calls; return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { ++calls; return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        ++calls;
        return S_OK;
    }
    int calls = 0;

private:
    IID iid_;
};

class PropertyNotifySink final : public IPropertyNotifySink, public Counted {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyNotifySink)) {
            *ppv = static_cast<IPropertyNotifySink*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }
    STDMETHODIMP OnChanged(DISPID) override { return S_OK; }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
};

// A 32bpp top-down DIB selected into a memory DC.
class Dib {
public:
    Dib(int width, int height, DWORD fill) : width_(width), height_(height) {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        std::fill(bits_, bits_ + width * height, fill);
    }
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;
    ~Dib() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    DWORD At(int x, int y) const {
        GdiFlush();
        return bits_[y * width_ + x] & 0xFFFFFF;
    }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
};

// The picture the control draws in a box: white inside, one ellipse touching the four sides.
void ExpectBoxWithEllipse(const Dib& dib, RECT box) {
    const int cx = (box.left + box.right) / 2;
    const int cy = (box.top + box.bottom) / 2;
    EXPECT_EQ(dib.At(box.left, box.top), kWhite) << "top-left corner";
    EXPECT_EQ(dib.At(box.right - 1, box.top), kWhite) << "top-right corner";
    EXPECT_EQ(dib.At(box.left, box.bottom - 1), kWhite) << "bottom-left corner";
    EXPECT_EQ(dib.At(box.right - 1, box.bottom - 1), kWhite) << "bottom-right corner";
    EXPECT_EQ(dib.At(cx, box.top), kBlack) << "top edge";
    EXPECT_EQ(dib.At(cx, box.bottom - 1), kBlack) << "bottom edge";
    EXPECT_EQ(dib.At(box.left, cy), kBlack) << "left edge";
    EXPECT_EQ(dib.At(box.right - 1, cy), kBlack) << "right edge";
    EXPECT_EQ(dib.At(cx, cy), kWhite) << "centre";
}

void PumpMessages(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

// A top-level window for the control. Wine's control host draws a windowless control with a DC of
// its own before handing WM_PAINT on to the window's original procedure, so that procedure must not
// erase the background over the drawing: this one never erases (the control covers the client
// area).
LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

class HostWindow {
public:
    HostWindow(int width, int height) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = HostWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ControlTestHost";
        RegisterClassW(&wc);  // a second registration fails harmlessly
        hwnd_ = CreateWindowExW(0, L"ControlTestHost", L"control test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                0, 0, width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    ~HostWindow() {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        PumpMessages(50);
    }
    HWND get() const { return hwnd_; }

    // What the window shows in its client area, read back from the screen.
    std::unique_ptr<Dib> Capture(HWND window = nullptr) const {
        HWND w = window ? window : hwnd_;
        RECT client;
        GetClientRect(w, &client);
        auto dib = std::make_unique<Dib>(client.right, client.bottom, 0x123456);
        HDC wdc = GetDC(w);
        BitBlt(dib->dc(), 0, 0, client.right, client.bottom, wdc, 0, 0, SRCCOPY);
        ReleaseDC(w, wdc);
        return dib;
    }

private:
    HWND hwnd_ = nullptr;
};

// Counts the white pixels of a captured picture.
int CountWhite(const Dib& dib) {
    int white = 0;
    for (int y = 0; y < dib.Height(); ++y) {
        for (int x = 0; x < dib.Width(); ++x) white += dib.At(x, y) == kWhite;
    }
    return white;
}

// A windowed in-place site: a client site whose in-place window is the test's host window.
class WindowedSite final : public IOleClientSite, public IOleInPlaceSite, public Counted {
public:
    WindowedSite(HWND parent, RECT pos) : parent_(parent), pos_(pos) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
            *ppv = static_cast<IOleClientSite*>(this);
        } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
            *ppv = static_cast<IOleInPlaceSite*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }
    // IOleClientSite
    STDMETHODIMP SaveObject() override { ++saves; return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** mk) override { *mk = nullptr; return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** c) override { *c = nullptr; return E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow
    STDMETHODIMP GetWindow(HWND* w) override { *w = parent_; return S_OK; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { ++activations; return S_OK; }
    STDMETHODIMP OnUIActivate() override { ++uiActivations; return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        *frame = nullptr;
        *doc = nullptr;
        *pos = pos_;
        *clip = pos_;
        info->fMDIApp = FALSE;
        info->hwndFrame = parent_;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { ++uiDeactivations; return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { ++deactivations; return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    int activations = 0, deactivations = 0, uiActivations = 0, uiDeactivations = 0, saves = 0;

private:
    HWND parent_;
    RECT pos_;
};

ComPtr<IStream> MemoryStream(const std::vector<BYTE>& bytes = {}) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    if (!bytes.empty()) {
        ULONG written = 0;
        EXPECT_EQ(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), S_OK);
        LARGE_INTEGER zero = {};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    }
    return stream;
}

std::vector<BYTE> StreamBytes(IStream* stream) {
    HGLOBAL global = nullptr;
    EXPECT_EQ(GetHGlobalFromStream(stream, &global), S_OK);
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    const auto* p = static_cast<const BYTE*>(GlobalLock(global));
    std::vector<BYTE> bytes(p, p + stat.cbSize.QuadPart);
    GlobalUnlock(global);
    return bytes;
}

ULONGLONG Position(IStream* stream) {
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER pos = {};
    stream->Seek(zero, STREAM_SEEK_CUR, &pos);
    return pos.QuadPart;
}

// The [default] incoming interface of the control's coclass.
ComPtr<ITypeInfo> DefaultInterfaceOf(const ComPtr<IUnknown>& control) {
    ComPtr<IProvideClassInfo> provide;
    EXPECT_EQ(control.As(provide), S_OK);
    ComPtr<ITypeInfo> coclass;
    if (!provide || FAILED(provide->GetClassInfo(coclass.put()))) return {};
    TYPEATTR* attr = nullptr;
    if (FAILED(coclass->GetTypeAttr(&attr))) return {};
    ComPtr<ITypeInfo> result;
    for (UINT i = 0; i < attr->cImplTypes && !result; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        if (FAILED(coclass->GetImplTypeFlags(i, &flags)) || !(flags & IMPLTYPEFLAG_FDEFAULT) ||
            (flags & IMPLTYPEFLAG_FSOURCE) || FAILED(coclass->GetRefTypeOfImplType(i, &ref))) {
            continue;
        }
        coclass->GetRefTypeInfo(ref, result.put());
    }
    coclass->ReleaseTypeAttr(attr);
    return result;
}

// --- connection points and events ------------------------------------------------------------

using ControlEvents = OleTest;

TEST_F(ControlEvents, SinkConnectsToEventInterfaceAndIsNeverCalled) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    auto container = As<IConnectionPointContainer>(control);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(DIID__DQuellisSpecCheckEvents, point.put()), S_OK);
    IID iid{};
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, DIID__DQuellisSpecCheckEvents));
    ComPtr<IConnectionPointContainer> back;
    EXPECT_EQ(point->GetConnectionPointContainer(back.put()), S_OK);
    EXPECT_EQ(back.get(), container.get());

    DispatchSink sink(DIID__DQuellisSpecCheckEvents);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    EXPECT_NE(cookie, 0u);

    // Every method of the control's default dispinterface (found from its class information),
    // called through IDispatch.
    auto dispatch = As<IDispatch>(control);
    ComPtr<ITypeInfo> type = DefaultInterfaceOf(control);
    ASSERT_TRUE(type);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(type->GetTypeAttr(&attr), S_OK);
    int invoked = 0;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* func = nullptr;
        ASSERT_EQ(type->GetFuncDesc(i, &func), S_OK);
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        fw::Variant result;
        EXPECT_EQ(dispatch->Invoke(func->memid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                                   result.get(), nullptr, nullptr),
                  S_OK)
            << "dispid " << func->memid;
        ++invoked;
        type->ReleaseFuncDesc(func);
    }
    type->ReleaseTypeAttr(attr);
    EXPECT_EQ(invoked, 15);
    EXPECT_EQ(sink.calls, 0);

    // The connection is listed, then goes; the sink is released exactly once.
    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(point->EnumConnections(connections.put()), S_OK);
    CONNECTDATA data[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(connections->Next(2, data, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(data[0].dwCookie, cookie);
    data[0].pUnk->Release();
    connections.Reset();
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(sink.Refs(), 1u);
    EXPECT_EQ(sink.calls, 0);
}

TEST_F(ControlEvents, ConnectionPointsAreTheEventsAndPropertyNotifications) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    auto container = As<IConnectionPointContainer>(control);

    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(points.put()), S_OK);
    IConnectionPoint* found[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(3, found, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    std::set<std::wstring> iids;
    for (ULONG i = 0; i < fetched; ++i) {
        IID iid{};
        found[i]->GetConnectionInterface(&iid);
        wchar_t text[40];
        StringFromGUID2(iid, text, 40);
        iids.insert(text);
        found[i]->Release();
    }
    wchar_t events[40], notify[40];
    StringFromGUID2(DIID__DQuellisSpecCheckEvents, events, 40);
    StringFromGUID2(IID_IPropertyNotifySink, notify, 40);
    EXPECT_EQ(iids, (std::set<std::wstring>{events, notify}));

    // Skip, Reset and Clone keep their own places.
    EXPECT_EQ(points->Reset(), S_OK);
    EXPECT_EQ(points->Skip(1), S_OK);
    ComPtr<IEnumConnectionPoints> clone;
    ASSERT_EQ(points->Clone(clone.put()), S_OK);
    EXPECT_EQ(clone->Next(1, found, nullptr), S_OK);
    found[0]->Release();
    EXPECT_EQ(clone->Next(1, found, nullptr), S_FALSE);
    EXPECT_EQ(points->Skip(2), S_FALSE);

    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, none.put()), CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(none);

    // A sink without the outgoing interface cannot connect, and is not kept.
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(DIID__DQuellisSpecCheckEvents, point.put()), S_OK);
    PropertyNotifySink wrong;
    DWORD cookie = 123;
    EXPECT_EQ(point->Advise(&wrong, &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(wrong.Refs(), 1u);
}

TEST_F(ControlEvents, PointsDoNotKeepTheControlAliveAndSinksGoWithIt) {
    DispatchSink sink(DIID__DQuellisSpecCheckEvents);
    {
        auto control = CreateControl();
        ASSERT_TRUE(control);
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(As<IConnectionPointContainer>(control)->FindConnectionPoint(DIID__DQuellisSpecCheckEvents,
                                                                               point.put()),
                  S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
        EXPECT_EQ(sink.Refs(), 2u);
    }
    // The last reference went with the control: its sinks were released.
    EXPECT_EQ(sink.Refs(), 1u);
}

TEST_F(ControlEvents, ClassInfoNamesTheEventInterface) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    auto info = As<IProvideClassInfo2>(control);
    GUID guid{};
    EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid), S_OK);
    EXPECT_TRUE(IsEqualGUID(guid, DIID__DQuellisSpecCheckEvents));
    EXPECT_EQ(info->GetGUID(2, &guid), E_INVALIDARG);
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(info->GetClassInfo(coclass.put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_TRUE(IsEqualGUID(attr->guid, CLSID_QuellisSpecCheck));
    coclass->ReleaseTypeAttr(attr);
}

TEST_F(ControlEvents, QuickActivateConnectsTheContainersSinks) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    DispatchSink events(DIID__DQuellisSpecCheckEvents);
    PropertyNotifySink notify;
    QACONTAINER container = {};
    container.cbSize = sizeof container;
    container.pUnkEventSink = &events;
    container.pPropertyNotifySink = &notify;
    QACONTROL result = {};
    result.cbSize = sizeof result;
    ASSERT_EQ(As<IQuickActivate>(control)->QuickActivate(&container, &result), S_OK);
    EXPECT_EQ(result.dwMiscStatus, 0x20091u);
    EXPECT_NE(result.dwEventCookie, 0u);
    EXPECT_NE(result.dwPropNotifyCookie, 0u);
    EXPECT_EQ(events.Refs(), 2u);
    EXPECT_EQ(notify.Refs(), 2u);

    QACONTROL tooSmall = {};
    tooSmall.cbSize = 8;
    EXPECT_EQ(As<IQuickActivate>(control)->QuickActivate(&container, &tooSmall), E_INVALIDARG);
}

// --- pages, status, interfaces -------------------------------------------------------------------

using ControlBasics = OleTest;

TEST_F(ControlBasics, PropertyPagesAreExactlyTheOnePageEveryTime) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    auto pages = As<ISpecifyPropertyPages>(control);
    for (int i = 0; i < 3; ++i) {
        CAUUID ids = {};
        ASSERT_EQ(pages->GetPages(&ids), S_OK);
        ASSERT_EQ(ids.cElems, 1u);
        EXPECT_TRUE(IsEqualCLSID(ids.pElems[0], kPageClsid));
        CoTaskMemFree(ids.pElems);
    }
}

TEST_F(ControlBasics, MiscStatusIsTheSameForEveryAspect) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    auto ole = As<IOleObject>(control);
    for (DWORD aspect : {DVASPECT_CONTENT, DVASPECT_THUMBNAIL, DVASPECT_ICON, DVASPECT_DOCPRINT}) {
        DWORD status = 0;
        EXPECT_EQ(ole->GetMiscStatus(aspect, &status), S_OK);
        EXPECT_EQ(status, 0x20091u) << "aspect " << aspect;
    }
}

TEST_F(ControlBasics, AnswersOnlyItsListedInterfaces) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    for (const IID* iid : {&IID_IOleObject, &IID_IOleWindow, &IID_IOleInPlaceObject,
                           &IID_IOleInPlaceObjectWindowless, &IID_IOleInPlaceActiveObject,
                           &IID_IOleControl, &IID_IViewObject, &IID_IViewObject2, &IID_IViewObjectEx,
                           &IID_IPersist, &IID_IPersistStreamInit, &IID_IPersistPropertyBag,
                           &IID_IPersistStorage, &IID_IProvideClassInfo, &IID_IProvideClassInfo2,
                           &IID_IConnectionPointContainer, &IID_ISpecifyPropertyPages,
                           &IID_IQuickActivate, &IID_IDataObject, &IID_IDispatch}) {
        ComPtr<IUnknown> itf;
        EXPECT_EQ(control->QueryInterface(*iid, itf.put_void()), S_OK);
        // Every interface leads back to the same identity.
        ComPtr<IUnknown> identity;
        ASSERT_EQ(itf->QueryInterface(IID_IUnknown, identity.put_void()), S_OK);
        EXPECT_EQ(identity.get(), control.get());
    }
    for (const IID* iid : {&IID_IPersistStream, &IID_IOleLink, &IID_IPersistMemory, &IID_IRunnableObject,
                           &IID_IOleCache}) {
        ComPtr<IUnknown> itf;
        EXPECT_EQ(control->QueryInterface(*iid, itf.put_void()), E_NOINTERFACE);
        EXPECT_FALSE(itf);
    }
}

TEST_F(ControlBasics, UserTypeAndVerbs) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    auto ole = As<IOleObject>(control);
    LPOLESTR name = nullptr;
    ASSERT_EQ(ole->GetUserType(USERCLASSTYPE_FULL, &name), S_OK);
    ASSERT_NE(name, nullptr);
    EXPECT_GT(wcslen(name), 0u);
    CoTaskMemFree(name);
    CLSID clsid{};
    EXPECT_EQ(ole->GetUserClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_QuellisSpecCheck));
    // Opening in a separate window is not something a control does.
    EXPECT_EQ(ole->DoVerb(OLEIVERB_OPEN, nullptr, nullptr, 0, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(ole->DoVerb(OLEIVERB_DISCARDUNDOSTATE, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
    // In-place verbs need a site.
    EXPECT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr), E_UNEXPECTED);
}

TEST_F(ControlBasics, PropertiesVerbShowsTheFrameWithThePage) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    HostWindow host(300, 200);
    testing_support::MessageBoxWatcher watcher;  // presses OK on the frame
    EXPECT_EQ(As<IOleObject>(control)->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, host.get(), nullptr),
              S_OK);
    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    LPOLESTR name = nullptr;
    ASSERT_EQ(As<IOleObject>(control)->GetUserType(USERCLASSTYPE_SHORT, &name), S_OK);
    EXPECT_NE(seen[0].caption.find(name), std::wstring::npos) << "frame caption: " << seen[0].caption;
    CoTaskMemFree(name);
}

TEST_F(ControlBasics, PropertyPageFitsItsDialogIntoTheFrame) {
    ComPtr<IPropertyPage> page;
    ASSERT_EQ(CoCreateInstance(kPageClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, page.put_void()),
              S_OK);
    PROPPAGEINFO info = {};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(info.cb, sizeof info);
    ASSERT_NE(info.pszTitle, nullptr);
    EXPECT_GT(wcslen(info.pszTitle), 0u);
    EXPECT_GT(info.size.cx, 0);
    EXPECT_GT(info.size.cy, 0);
    CoTaskMemFree(info.pszTitle);

    auto control = CreateControl();
    IUnknown* objects[] = {control.get()};
    EXPECT_EQ(page->SetObjects(1, objects), S_OK);
    HostWindow host(400, 300);
    RECT rect = {5, 5, 5 + info.size.cx, 5 + info.size.cy};
    ASSERT_EQ(page->Activate(host.get(), &rect, TRUE), S_OK);
    EXPECT_EQ(page->Activate(host.get(), &rect, TRUE), E_UNEXPECTED);
    HWND dialog = GetWindow(host.get(), GW_CHILD);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD);
    RECT placed;
    GetWindowRect(dialog, &placed);
    EXPECT_EQ(placed.right - placed.left, info.size.cx);
    EXPECT_EQ(page->Show(SW_SHOW), S_OK);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(page->Deactivate(), S_OK);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(page->SetObjects(0, nullptr), S_OK);
}

// --- drawing ---------------------------------------------------------------------------------------

using ControlDrawing = OleTest;

TEST_F(ControlDrawing, DrawsWhiteBoxWithEllipseTouchingTheSides) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    auto view = As<IViewObject>(control);
    Dib dib(120, 70, 0x00FF00);
    RECTL bounds = {0, 0, 120, 70};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dib.dc(), &bounds, nullptr, nullptr, 0),
              S_OK);
    ExpectBoxWithEllipse(dib, RECT{0, 0, 120, 70});
}

TEST_F(ControlDrawing, DrawsOnlyInsideTheBoundsAndLeavesTheDcAsItWas) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    auto view = As<IViewObject>(control);
    Dib dib(200, 100, 0x00FF00);
    HGDIOBJ pen = SelectObject(dib.dc(), GetStockObject(BLACK_PEN));
    RECTL bounds = {40, 20, 140, 80};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dib.dc(), &bounds, nullptr, nullptr, 0),
              S_OK);
    ExpectBoxWithEllipse(dib, RECT{40, 20, 140, 80});
    EXPECT_EQ(dib.At(39, 50), 0x00FF00u);
    EXPECT_EQ(dib.At(140, 50), 0x00FF00u);
    EXPECT_EQ(dib.At(90, 19), 0x00FF00u);
    EXPECT_EQ(dib.At(90, 80), 0x00FF00u);
    EXPECT_EQ(GetCurrentObject(dib.dc(), OBJ_PEN), GetStockObject(BLACK_PEN));
    SelectObject(dib.dc(), pen);
}

TEST_F(ControlDrawing, OtherAspectsAndMissingBoundsAreRefused) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    auto view = As<IViewObject>(control);
    Dib dib(20, 20, 0x00FF00);
    RECTL bounds = {0, 0, 20, 20};
    EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, dib.dc(), &bounds, nullptr, nullptr, 0),
              DV_E_DVASPECT);
    // Not in place: there is no rectangle to fall back on.
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dib.dc(), nullptr, nullptr, nullptr, 0),
              E_INVALIDARG);
    EXPECT_EQ(dib.At(10, 10), 0x00FF00u);
}

TEST_F(ControlDrawing, DataObjectRendersMetafilesOfTheExtent) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    auto data = As<IDataObject>(control);

    FORMATETC emfFormat = {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
    STGMEDIUM medium = {};
    ASSERT_EQ(data->GetData(&emfFormat, &medium), S_OK);
    ASSERT_EQ(medium.tymed, static_cast<DWORD>(TYMED_ENHMF));
    ENHMETAHEADER header = {};
    ASSERT_NE(GetEnhMetaFileHeader(medium.hEnhMetaFile, sizeof header, &header), 0u);
    EXPECT_NEAR(header.rclFrame.right - header.rclFrame.left, kDefaultCx, 30);
    EXPECT_NEAR(header.rclFrame.bottom - header.rclFrame.top, kDefaultCy, 30);
    // Played into a DIB, it is the same picture.
    Dib dib(100, 50, 0x00FF00);
    RECT box = {0, 0, 100, 50};
    EXPECT_TRUE(PlayEnhMetaFile(dib.dc(), medium.hEnhMetaFile, &box));
    EXPECT_EQ(dib.At(50, 25), kWhite);
    EXPECT_EQ(dib.At(2, 2), kWhite);
    ReleaseStgMedium(&medium);

    FORMATETC pictFormat = {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
    ASSERT_EQ(data->QueryGetData(&pictFormat), S_OK);
    ASSERT_EQ(data->GetData(&pictFormat, &medium), S_OK);
    ASSERT_EQ(medium.tymed, static_cast<DWORD>(TYMED_MFPICT));
    const auto* pict = static_cast<const METAFILEPICT*>(GlobalLock(medium.hMetaFilePict));
    ASSERT_NE(pict, nullptr);
    EXPECT_EQ(pict->mm, MM_ANISOTROPIC);
    EXPECT_EQ(pict->xExt, kDefaultCx);
    EXPECT_EQ(pict->yExt, kDefaultCy);
    EXPECT_NE(pict->hMF, nullptr);
    GlobalUnlock(medium.hMetaFilePict);
    ReleaseStgMedium(&medium);

    FORMATETC text = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(data->QueryGetData(&text), DV_E_FORMATETC);
    FORMATETC wrongMedium = {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(data->GetData(&wrongMedium, &medium), DV_E_TYMED);
    FORMATETC icon = {CF_ENHMETAFILE, nullptr, DVASPECT_ICON, -1, TYMED_ENHMF};
    EXPECT_EQ(data->QueryGetData(&icon), DV_E_DVASPECT);

    ComPtr<IEnumFORMATETC> formats;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.put()), S_OK);
    FORMATETC listed[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(formats->Next(3, listed, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    for (ULONG i = 0; i < fetched; ++i) EXPECT_EQ(data->QueryGetData(&listed[i]), S_OK);
}

// --- persistence ---------------------------------------------------------------------------------

using ControlPersistence = OleTest;

TEST_F(ControlPersistence, BagLoadChangesOnlyTheExtentAndReadsNoForeignNames) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    MapBag bag;
    bag.SetLong(L"_Version", 0x00010000);
    bag.SetLong(L"_ExtentX", 4000);
    bag.SetLong(L"_ExtentY", 2000);
    bag.SetLong(L"_StockProps", 0);
    bag.SetLong(L"_cx", 77);
    bag.SetLong(L"BackColor", 255);
    bag.SetString(L"Caption", L"hello");
    ASSERT_EQ(As<IPersistPropertyBag>(control)->Load(&bag, nullptr), S_OK);
    EXPECT_EQ(Extent(control).cx, 4000);
    EXPECT_EQ(Extent(control).cy, 2000);
    EXPECT_EQ(As<IPersistStreamInit>(control)->IsDirty(), S_FALSE);
    EXPECT_EQ(bag.reads, (std::set<std::wstring>{L"_Version", L"_ExtentX", L"_ExtentY", L"_StockProps"}));
    EXPECT_EQ(bag.Refs(), 1u);

    // What it saves now is the loaded state and nothing of the foreign names.
    MapBag saved;
    ASSERT_EQ(As<IPersistPropertyBag>(control)->Save(&saved, TRUE, TRUE), S_OK);
    EXPECT_EQ(saved.Names(), (std::set<std::wstring>{L"_Version", L"_ExtentX", L"_ExtentY", L"_StockProps"}));
    EXPECT_EQ(saved.Find(L"_ExtentX")->lVal, 4000);
    EXPECT_EQ(saved.Find(L"_ExtentY")->lVal, 2000);
}

TEST_F(ControlPersistence, BagSaveWritesExactlyTheFourNames) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    ASSERT_EQ(As<IPersistPropertyBag>(control)->InitNew(), S_OK);
    MapBag bag;
    ASSERT_EQ(As<IPersistPropertyBag>(control)->Save(&bag, TRUE, TRUE), S_OK);
    EXPECT_EQ(bag.Names(), (std::set<std::wstring>{L"_Version", L"_ExtentX", L"_ExtentY", L"_StockProps"}));
    const VARIANT* version = bag.Find(L"_Version");
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->vt == VT_UI4 || version->vt == VT_I4);
    EXPECT_EQ(version->ulVal, 0x00010000u);
    const VARIANT* cx = bag.Find(L"_ExtentX");
    const VARIANT* cy = bag.Find(L"_ExtentY");
    const VARIANT* stock = bag.Find(L"_StockProps");
    ASSERT_TRUE(cx && cy && stock);
    EXPECT_EQ(cx->vt, VT_I4);
    EXPECT_EQ(cx->lVal, kDefaultCx);
    EXPECT_EQ(cy->lVal, kDefaultCy);
    EXPECT_EQ(stock->vt, VT_I4);
    EXPECT_EQ(stock->lVal, 0);
}

TEST_F(ControlPersistence, BagValuesAreCoercedOrLeftAtTheirDefaults) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    MapBag bag;
    bag.SetString(L"_ExtentX", L"3000");      // a <param> value: text that is a number
    bag.SetString(L"_ExtentY", L"not a number");
    ASSERT_EQ(As<IPersistPropertyBag>(control)->Load(&bag, nullptr), S_OK);
    EXPECT_EQ(Extent(control).cx, 3000);
    EXPECT_EQ(Extent(control).cy, kDefaultCy);

    MapBag nothing;
    nothing.SetLong(L"Foreign", 1);
    ASSERT_EQ(As<IPersistPropertyBag>(control)->Load(&nothing, nullptr), S_OK);
    EXPECT_EQ(Extent(control).cx, kDefaultCx);
    EXPECT_EQ(Extent(control).cy, kDefaultCy);

    MapBag negative;
    negative.SetLong(L"_ExtentX", -5);
    ASSERT_EQ(As<IPersistPropertyBag>(control)->Load(&negative, nullptr), S_OK);
    EXPECT_EQ(Extent(control).cx, kDefaultCx);
}

TEST_F(ControlPersistence, StreamRoundTripsAndSizeMaxIsExact) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    auto ole = As<IOleObject>(control);
    auto persist = As<IPersistStreamInit>(control);
    ASSERT_EQ(persist->InitNew(), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    SIZEL size = {5555, 4444};
    ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);

    ULARGE_INTEGER max = {};
    ASSERT_EQ(persist->GetSizeMax(&max), S_OK);
    auto stream = MemoryStream();
    ASSERT_EQ(persist->Save(stream.get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    EXPECT_EQ(Position(stream.get()), max.QuadPart);
    const std::vector<BYTE> bytes = StreamBytes(stream.get());

    // Loaded into a new control, with data of the container's own after ours.
    std::vector<BYTE> withTrailer = bytes;
    withTrailer.insert(withTrailer.end(), {0xDE, 0xAD, 0xBE, 0xEF});
    auto copy = CreateControl();
    auto in = MemoryStream(withTrailer);
    ASSERT_EQ(As<IPersistStreamInit>(copy)->Load(in.get()), S_OK);
    EXPECT_EQ(Position(in.get()), bytes.size());
    EXPECT_EQ(Extent(copy).cx, 5555);
    EXPECT_EQ(Extent(copy).cy, 4444);

    // And saves the same bytes again.
    auto again = MemoryStream();
    ASSERT_EQ(As<IPersistStreamInit>(copy)->Save(again.get(), TRUE), S_OK);
    EXPECT_EQ(StreamBytes(again.get()), bytes);
}

TEST_F(ControlPersistence, TruncatedOrHostileStreamsFailAndChangeNothing) {
    auto source = CreateControl();
    ASSERT_TRUE(source);
    SIZEL size = {5555, 4444};
    As<IOleObject>(source)->SetExtent(DVASPECT_CONTENT, &size);
    auto saved = MemoryStream();
    ASSERT_EQ(As<IPersistStreamInit>(source)->Save(saved.get(), TRUE), S_OK);
    const std::vector<BYTE> bytes = StreamBytes(saved.get());
    ASSERT_GT(bytes.size(), 8u);

    auto target = CreateControl();
    auto persist = As<IPersistStreamInit>(target);
    for (size_t n = 0; n < bytes.size(); ++n) {
        auto cut = MemoryStream(std::vector<BYTE>(bytes.begin(), bytes.begin() + static_cast<long>(n)));
        const HRESULT hr = n == 0 ? persist->Load(MemoryStream().get()) : persist->Load(cut.get());
        EXPECT_TRUE(FAILED(hr)) << "cut at " << n;
    }
    EXPECT_EQ(Extent(target).cx, kDefaultCx);
    EXPECT_EQ(Extent(target).cy, kDefaultCy);

    auto corrupt = [&](size_t offset, std::initializer_list<BYTE> patch) {
        std::vector<BYTE> b = bytes;
        std::copy(patch.begin(), patch.end(), b.begin() + static_cast<long>(offset));
        auto s = MemoryStream(b);
        return persist->Load(s.get());
    };
    EXPECT_TRUE(FAILED(corrupt(0, {'X'})));                    // not our format
    EXPECT_TRUE(FAILED(corrupt(4, {0xFF, 0xFF, 0xFF, 0x7F})));  // absurd record count
    EXPECT_TRUE(FAILED(corrupt(8, {0xFF, 0xFF})));              // absurd name length
    EXPECT_TRUE(FAILED(corrupt(8, {0x00, 0x00})));              // empty name
    EXPECT_EQ(Extent(target).cx, kDefaultCx);
}

TEST_F(ControlPersistence, StorageKeepsTheStateInItsContentsStream) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    auto storagePersist = As<IPersistStorage>(control);
    ComPtr<ILockBytes> bytes;
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()), S_OK);
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                           storage.put()),
              S_OK);
    ASSERT_EQ(storagePersist->InitNew(storage.get()), S_OK);
    EXPECT_EQ(storagePersist->InitNew(storage.get()), CO_E_ALREADYINITIALIZED);
    EXPECT_EQ(storagePersist->SaveCompleted(nullptr), E_UNEXPECTED);

    SIZEL size = {3210, 1234};
    As<IOleObject>(control)->SetExtent(DVASPECT_CONTENT, &size);
    EXPECT_EQ(storagePersist->IsDirty(), S_OK);
    ASSERT_EQ(storagePersist->Save(storage.get(), TRUE), S_OK);
    ASSERT_EQ(storagePersist->SaveCompleted(nullptr), S_OK);
    EXPECT_EQ(storagePersist->IsDirty(), S_FALSE);
    EXPECT_EQ(storagePersist->HandsOffStorage(), S_OK);
    EXPECT_EQ(storagePersist->SaveCompleted(nullptr), E_INVALIDARG);
    EXPECT_EQ(storagePersist->SaveCompleted(storage.get()), S_OK);

    ComPtr<IStream> contents;
    EXPECT_EQ(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, contents.put()),
              S_OK);
    contents.Reset();

    auto copy = CreateControl();
    ASSERT_EQ(As<IPersistStorage>(copy)->Load(storage.get()), S_OK);
    EXPECT_EQ(Extent(copy).cx, 3210);
    EXPECT_EQ(Extent(copy).cy, 1234);
}

// --- in-place activation ----------------------------------------------------------------------

using ControlHosting = OleTest;

TEST_F(ControlHosting, WineAtlHostActivatesAndPaintsTheControl) {
    fw::Library atl("atl.dll");
    ASSERT_TRUE(atl);
    auto init = atl.Proc<BOOL(WINAPI*)()>("AtlAxWinInit");
    auto create = atl.Proc<HRESULT(WINAPI*)(LPCOLESTR, HWND, IStream*, IUnknown**)>("AtlAxCreateControl");
    auto getControl = atl.Proc<HRESULT(WINAPI*)(HWND, IUnknown**)>("AtlAxGetControl");
    ASSERT_TRUE(init && create && getControl);
    ASSERT_TRUE(init());
    {
        HostWindow host(300, 200);
        ASSERT_TRUE(host.get());
        ComPtr<IUnknown> container;
        ASSERT_EQ(create(kProgId, host.get(), nullptr, container.put()), S_OK);
        ComPtr<IUnknown> control;
        ASSERT_EQ(getControl(host.get(), control.put()), S_OK);
        InvalidateRect(host.get(), nullptr, FALSE);
        UpdateWindow(host.get());
        PumpMessages(300);

        // In place: with a window of its own, or windowless (then it takes window messages).
        HWND own = nullptr;
        const bool windowed = SUCCEEDED(As<IOleInPlaceObject>(control)->GetWindow(&own));
        if (windowed) {
            EXPECT_TRUE(IsChild(host.get(), own));
        } else {
            LRESULT result = 0;
            EXPECT_EQ(As<IOleInPlaceObjectWindowless>(control)->OnWindowMessage(WM_MOUSEMOVE, 0, 0, &result),
                      S_FALSE);
        }
        // It drew, filling the site: a white box with the ellipse touching its sides.
        auto shot = host.Capture(windowed ? own : nullptr);
        ExpectBoxWithEllipse(*shot, RECT{0, 0, shot->Width(), shot->Height()});
        EXPECT_GT(CountWhite(*shot), shot->Width() * shot->Height() / 2);
        control.Reset();
        container.Reset();
    }
    PumpMessages(100);
}

TEST_F(ControlHosting, WindowedSiteGetsAChildWindowThatPaintsAndGoesOnDeactivation) {
    auto control = CreateControl();
    ASSERT_TRUE(control);
    auto ole = As<IOleObject>(control);
    HostWindow host(300, 200);
    const RECT pos = {20, 10, 140, 80};
    WindowedSite site(host.get(), pos);
    ASSERT_EQ(ole->SetClientSite(&site), S_OK);
    ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, host.get(), &pos), S_OK);
    EXPECT_EQ(site.activations, 1);

    HWND own = nullptr;
    ASSERT_EQ(As<IOleInPlaceObject>(control)->GetWindow(&own), S_OK);
    EXPECT_EQ(GetParent(own), host.get());
    EXPECT_TRUE(IsWindowVisible(own));
    RECT client;
    GetClientRect(own, &client);
    EXPECT_EQ(client.right, 120);
    EXPECT_EQ(client.bottom, 70);
    InvalidateRect(own, nullptr, TRUE);
    UpdateWindow(own);
    PumpMessages(200);
    auto shot = host.Capture(own);
    ExpectBoxWithEllipse(*shot, RECT{0, 0, 120, 70});

    // Moving follows the container.
    const RECT moved = {30, 30, 130, 90};
    ASSERT_EQ(As<IOleInPlaceObject>(control)->SetObjectRects(&moved, &moved), S_OK);
    GetClientRect(own, &client);
    EXPECT_EQ(client.right, 100);
    EXPECT_EQ(client.bottom, 60);

    // UI activation and its undoing reach the site.
    ASSERT_EQ(ole->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, host.get(), &pos), S_OK);
    EXPECT_EQ(site.uiActivations, 1);

    ASSERT_EQ(As<IOleInPlaceObject>(control)->InPlaceDeactivate(), S_OK);
    EXPECT_EQ(site.uiDeactivations, 1);
    EXPECT_EQ(site.deactivations, 1);
    EXPECT_FALSE(IsWindow(own));
    EXPECT_EQ(As<IOleInPlaceObject>(control)->GetWindow(&own), E_FAIL);

    // Close lets go of the site.
    ASSERT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(site.saves, 0);
    EXPECT_EQ(site.Refs(), 1u);
}

TEST_F(ControlHosting, ReleasingAnActiveControlTakesItsWindowDown) {
    HostWindow host(300, 200);
    const RECT pos = {0, 0, 100, 50};
    WindowedSite site(host.get(), pos);
    HWND own = nullptr;
    {
        auto control = CreateControl();
        ASSERT_TRUE(control);
        ASSERT_EQ(As<IOleObject>(control)->DoVerb(OLEIVERB_SHOW, nullptr, &site, 0, host.get(), &pos), S_OK);
        ASSERT_EQ(As<IOleInPlaceObject>(control)->GetWindow(&own), S_OK);
    }
    EXPECT_FALSE(IsWindow(own));
    EXPECT_EQ(site.Refs(), 1u);
    // A paint message for the old window area must find nothing of the control.
    PumpMessages(50);
}

}  // namespace
