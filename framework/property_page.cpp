#include "property_page.h"

#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "hresult.h"
#include "module.h"
#include "rules/little_endian.h"
#include "text.h"

namespace fw {

namespace {

// Where a dialog template keeps its style and size: DLGTEMPLATE or DLGTEMPLATEEX.
struct TemplateLayout {
    size_t styleOffset;
    size_t sizeOffset;  // cx, then cy (dialog units)
};

bool TemplateLayoutOf(const BYTE* t, DWORD size, TemplateLayout& layout) {
    if (size >= 26 && le::ReadU16(t) == 1 && le::ReadU16(t + 2) == 0xFFFF) {
        layout = TemplateLayout{12, 22};  // dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y
        return true;
    }
    if (size >= 18) {
        layout = TemplateLayout{0, 14};  // style, exStyle, cdit, x, y
        return true;
    }
    return false;
}

// RT_DIALOG, spelled wide whatever the build's character set.
const LPCWSTR kDialogResourceType = MAKEINTRESOURCEW(5);

INT_PTR CALLBACK MeasureProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

PropertyPage::PropertyPage(IUnknown* outer, const CLSID& clsid, UINT dialogId, UINT captionStringId)
    : ComObjectRoot(outer), clsid_(clsid), dialogId_(dialogId), captionId_(captionStringId) {}

PropertyPage::~PropertyPage() { DestroyDialog(); }

void* PropertyPage::FindInterface(REFIID iid) {
    if (IsEqualIID(iid, IID_IPropertyPage) || IsEqualIID(iid, IID_IPropertyPage2)) {
        return static_cast<IPropertyPage2*>(this);
    }
    return nullptr;
}

void PropertyPage::DestroyDialog() {
    if (!dialog_) return;
    // Detached first, so that the messages of its destruction no longer reach this page.
    SetWindowLongPtrW(dialog_.get(), DWLP_USER, 0);
    dialog_.Close();
}

INT_PTR CALLBACK PropertyPage::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        return FALSE;  // the frame decides where the focus goes
    }
    auto* page = reinterpret_cast<PropertyPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!page) return FALSE;
    try {
        return page->OnDialogMessage(msg, wp, lp);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
}

void PropertyPage::SetDirty(bool dirty) {
    const bool changed = dirty != dirty_;
    dirty_ = dirty;
    if (changed && site_) site_->OnStatusChange(dirty ? PROPPAGESTATUS_DIRTY : PROPPAGESTATUS_CLEAN);
}

SIZE PropertyPage::MeasureDialog() const {
    const HINSTANCE instance = Module::InstanceOrProcess();
    WORD cx = 0;
    WORD cy = 0;
    std::vector<BYTE> copy;
    TemplateLayout layout = {};
    bool parsed = false;
    if (HRSRC res = FindResourceW(instance, MAKEINTRESOURCEW(dialogId_), kDialogResourceType)) {
        const DWORD size = SizeofResource(instance, res);
        HGLOBAL loaded = LoadResource(instance, res);
        const auto* t = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
        if (t && TemplateLayoutOf(t, size, layout)) {
            cx = le::ReadU16(t + layout.sizeOffset);
            cy = le::ReadU16(t + layout.sizeOffset + 2);
            try {
                copy.assign(t, t + size);
                parsed = true;
            } catch (const std::bad_alloc&) {
            }
        }
    }
    if (parsed) {
        // Dialog units depend on the template's font: build a hidden, parentless copy of the
        // dialog and let the dialog manager convert.
        DWORD style = le::ReadU32(copy.data() + layout.styleOffset);
        style = (style & ~(WS_CHILD | WS_VISIBLE)) | WS_POPUP;
        le::WriteU32(copy.data() + layout.styleOffset, style);
        const Window probe(CreateDialogIndirectParamW(
            instance, reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), nullptr, MeasureProc, 0));
        RECT r = {0, 0, cx, cy};
        if (probe && MapDialogRect(probe.get(), &r)) return SIZE{r.right - r.left, r.bottom - r.top};
    }
    // Without a usable template: the system font's dialog units.
    const LONG base = GetDialogBaseUnits();
    return SIZE{MulDiv(cx, LOWORD(base), 4), MulDiv(cy, HIWORD(base), 8)};
}

STDMETHODIMP PropertyPage::SetPageSite(IPropertyPageSite* site) {
    if (site && site_) return E_UNEXPECTED;
    ComPtr<IPropertyPageSite> previous = std::move(site_);
    site_ = site;
    return S_OK;
}

STDMETHODIMP PropertyPage::Activate(HWND parent, LPCRECT rect, BOOL) {
    if (dialog_) return E_UNEXPECTED;
    HWND dlg = CreateDialogParamW(Module::InstanceOrProcess(), MAKEINTRESOURCEW(dialogId_), parent,
                                  DialogProc, reinterpret_cast<LPARAM>(this));
    if (!dlg) {
        const DWORD err = GetLastError();
        return err ? HRESULT_FROM_WIN32(err) : E_FAIL;
    }
    dialog_ = Window(dlg);
    // The page lives inside the frame: make sure it is a child, whatever the template says.
    const LONG_PTR style = GetWindowLongPtrW(dlg, GWL_STYLE);
    if (!(style & WS_CHILD)) {
        SetWindowLongPtrW(dlg, GWL_STYLE,
                          (style & ~static_cast<LONG_PTR>(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU)) |
                              WS_CHILD);
        SetParent(dlg, parent);
    }
    if (rect) MoveWindow(dlg, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    const HRESULT hr = fw::OutOfMemoryAsHresult([&] {
        DoDataExchange(false);
        return S_OK;
    });
    if (FAILED(hr)) DestroyDialog();
    return hr;
}

STDMETHODIMP PropertyPage::Deactivate() {
    DestroyDialog();
    return S_OK;
}

STDMETHODIMP PropertyPage::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    std::memset(info, 0, sizeof *info);
    info->cb = sizeof *info;
    FW_RETURN_IF_FAILED(fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        const std::wstring caption = LoadResString(Module::InstanceOrProcess(), captionId_);
        const size_t bytes = (caption.size() + 1) * sizeof(wchar_t);
        auto* title = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
        if (!title) return E_OUTOFMEMORY;
        std::memcpy(title, caption.c_str(), bytes);
        info->pszTitle = title;
        return S_OK;
    }));
    if (dialog_) {
        RECT r;
        GetWindowRect(dialog_.get(), &r);
        info->size = SIZE{r.right - r.left, r.bottom - r.top};
    } else {
        info->size = MeasureDialog();
    }
    return S_OK;  // no doc string, help file or context
}

STDMETHODIMP PropertyPage::SetObjects(ULONG count, IUnknown** objects) {
    if (count && !objects) return E_POINTER;
    std::vector<ComPtr<IUnknown>> next;
    return fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        next.reserve(count);
        for (ULONG i = 0; i < count; ++i) next.emplace_back(objects[i]);
        objects_.swap(next);  // the previous objects are released when `next` goes
        if (dialog_) DoDataExchange(false);
        return S_OK;
    });
}

STDMETHODIMP PropertyPage::Show(UINT cmdShow) {
    if (!dialog_) return E_UNEXPECTED;
    ShowWindow(dialog_.get(), static_cast<int>(cmdShow));
    return S_OK;
}

STDMETHODIMP PropertyPage::Move(LPCRECT rect) {
    if (!rect) return E_POINTER;
    if (!dialog_) return E_UNEXPECTED;
    MoveWindow(dialog_.get(), rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

STDMETHODIMP PropertyPage::IsPageDirty() { return dirty_ ? S_OK : S_FALSE; }

STDMETHODIMP PropertyPage::Apply() {
    FW_RETURN_IF_FAILED(fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        DoDataExchange(true);
        return S_OK;
    }));
    SetDirty(false);
    return S_OK;
}

STDMETHODIMP PropertyPage::Help(LPCOLESTR) { return E_NOTIMPL; }

STDMETHODIMP PropertyPage::TranslateAccelerator(MSG*) { return S_FALSE; }

STDMETHODIMP PropertyPage::EditProperty(DISPID) { return E_NOTIMPL; }

}  // namespace fw
