#include "spec_check_page.h"

#include "registration.h"
#include "resource.h"
#include "spec_check_ctrl.h"

CQuellisSpecCheckPropPage::CQuellisSpecCheckPropPageFactory CQuellisSpecCheckPropPage::factory;

CQuellisSpecCheckPropPage::CQuellisSpecCheckPropPageFactory::CQuellisSpecCheckPropPageFactory()
    : ObjectFactory(CLSID_QuellisSpecCheckPropPage, L"QUELLISSPECCHECK.QuellisSpecCheckPropPage.1",
                    &fw::CreateComObject<CQuellisSpecCheckPropPage>) {}

HRESULT CQuellisSpecCheckPropPage::CQuellisSpecCheckPropPageFactory::UpdateRegistry(
    bool doRegister) {
    // The page's ProgID stays with the factory: only its CLSID is registered.
    if (!doRegister) return fw::UnregisterClass(Clsid(), nullptr);
    return fw::RegisterPropertyPageClass(fw::Module::Instance(), Clsid(),
                                         IDS_QUELLISSPECCHECK_PPG);
}

CQuellisSpecCheckPropPage::CQuellisSpecCheckPropPage(IUnknown* outer)
    : PropertyPage(outer, CLSID_QuellisSpecCheckPropPage, IDD_PROPPAGE_QUELLISSPECCHECK,
                   IDS_QUELLISSPECCHECK_PPG_CAPTION) {}
