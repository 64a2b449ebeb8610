// Base of a control's property page: a dialog resource of the module shown inside a property
// frame. A page class passes its CLSID, dialog and caption ids, and moves values between the
// dialog and the objects in DoDataExchange. Its factory creates it with
// fw::CreateComObject<ThePage> (the page's constructor takes the outer unknown).
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "com_object.h"
#include "raii.h"

namespace fw {

class PropertyPage : public ComObjectRoot, public IPropertyPage2 {
public:
    FW_DELEGATING_IUNKNOWN

    // IPropertyPage
    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT cmdShow) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override;
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR helpDir) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg) override;
    // IPropertyPage2
    STDMETHODIMP EditProperty(DISPID id) override;

protected:
    PropertyPage(IUnknown* outer, const CLSID& clsid, UINT dialogId, UINT captionStringId);
    ~PropertyPage() override;

    // Moves values from the dialog to the objects (saving) or from the objects to the dialog.
    // Called with false when the page is activated or given new objects, with true by Apply.
    virtual void DoDataExchange(bool saving) { (void)saving; }
    // Dialog messages, for a page that handles its controls' notifications; TRUE when handled.
    virtual INT_PTR OnDialogMessage(UINT msg, WPARAM wp, LPARAM lp) {
        (void)msg; (void)wp; (void)lp;
        return FALSE;
    }

    // Marks the page changed (or not) and tells the frame, which enables its Apply button.
    void SetDirty(bool dirty);

private:
    void* FindInterface(REFIID iid) override;
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // The dialog's size in pixels, from its template and font.
    SIZE MeasureDialog() const;
    void DestroyDialog();

    const CLSID& clsid_;
    UINT dialogId_;
    UINT captionId_;
    ComPtr<IPropertyPageSite> site_;
    std::vector<ComPtr<IUnknown>> objects_;
    fw::Window dialog_;  // the page's dialog while it is shown
    bool dirty_ = false;
};

}  // namespace fw
