// The control's one property page: a placeholder dialog, since the control has no properties.
#pragma once

#include "factory.h"
#include "property_page.h"

class CQuellisSpecCheckPropPage : public fw::PropertyPage {
public:
    explicit CQuellisSpecCheckPropPage(IUnknown* outer);

    class CQuellisSpecCheckPropPageFactory : public fw::ObjectFactory {
    public:
        CQuellisSpecCheckPropPageFactory();
        HRESULT UpdateRegistry(bool doRegister) override;
    };
    static CQuellisSpecCheckPropPageFactory factory;
};
