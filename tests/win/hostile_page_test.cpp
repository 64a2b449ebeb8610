// Both controls driven through IDispatch::Invoke the way a careless or hostile page can: wrong
// argument counts and types, odd strings, named arguments, unknown members, property access to
// methods, a control whose container has gone. Every answer is a defined one, the process goes
// on, and repeating the whole table leaves no handle behind.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VarnokLauncher.h"
#include "VarnokSpecCheck.h"
#include "com_test.h"
#include "msgbox_watcher.h"
#include "raii.h"

using fw::ComPtr;

namespace {

// One argument as a page might pass it.
struct Arg {
    VARTYPE vt;
    std::wstring text;   // VT_BSTR and VT_BYREF|VT_BSTR; "<null>" for a null BSTR
    LONG number = 0;     // VT_I4
};

struct Case {
    const wchar_t* what;
    bool launcher;       // which control
    DISPID id;
    WORD flags;
    std::vector<Arg> args;  // in call order (reversed into DISPPARAMS)
    bool named;          // pass the first argument as a named one (DISPID 0, the first parameter)
    HRESULT expected;
    HRESULT alsoAccepted = E_UNEXPECTED;  // where Windows and Wine answer differently
};

const Arg kBstr{VT_BSTR, L"Game.exe"};

HRESULT InvokeCase(IDispatch* object, const Case& c) {
    std::vector<VARIANT> args(c.args.size());
    std::vector<fw::Bstr> owned(c.args.size());
    std::vector<BSTR> byRef(c.args.size(), nullptr);
    for (size_t i = 0; i < c.args.size(); ++i) {
        VARIANT& v = args[c.args.size() - 1 - i];  // DISPPARAMS hold the last argument first
        VariantInit(&v);
        const Arg& a = c.args[i];
        if (a.vt == VT_BSTR || a.vt == (VT_BYREF | VT_BSTR)) {
            if (a.text != L"<null>") {
                owned[i].Reset(SysAllocStringLen(a.text.data(), static_cast<UINT>(a.text.size())));
            }
            byRef[i] = owned[i].get();
            V_VT(&v) = a.vt;
            if (a.vt == VT_BSTR) V_BSTR(&v) = owned[i].get();
            else V_BSTRREF(&v) = &byRef[i];
        } else if (a.vt == VT_I4) {
            V_VT(&v) = VT_I4;
            V_I4(&v) = a.number;
        } else if (a.vt == VT_DISPATCH) {
            V_VT(&v) = VT_DISPATCH;
            V_DISPATCH(&v) = object;  // the control itself: it has no value of its own
        } else {
            V_VT(&v) = a.vt;
        }
    }
    DISPID namedId = 0;
    DISPPARAMS params{args.empty() ? nullptr : args.data(), c.named ? &namedId : nullptr,
                      static_cast<UINT>(args.size()), c.named ? 1u : 0u};
    fw::Variant result;
    EXCEPINFO excep{};
    UINT argErr = 0;
    const HRESULT hr = object->Invoke(c.id, IID_NULL, LOCALE_USER_DEFAULT, c.flags, &params,
                                      result.get(), &excep, &argErr);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return hr;
}

TEST(HostilePage, EveryCallGetsItsDefinedAnswer) {
    const std::wstring megabyte(1 << 20, L'x');
    const std::wstring innerNul(L"Game\0.exe", 9);
    const std::wstring surrogate(L"\xD800Game.exe");
    const WORD kMethod = DISPATCH_METHOD;
    const WORD kPut = DISPATCH_PROPERTYPUT;
    const Case cases[] = {
        // The spec-check control's own dispatch: parameterless methods only.
        {L"extra argument", false, 1, kMethod, {kBstr}, false, DISP_E_BADPARAMCOUNT},
        {L"named argument", false, 1, kMethod, {kBstr}, true, DISP_E_NONAMEDARGS},
        {L"unknown DISPID 0", false, 0, kMethod, {}, false, DISP_E_MEMBERNOTFOUND},
        {L"unknown DISPID 16", false, 16, kMethod, {}, false, DISP_E_MEMBERNOTFOUND},
        {L"unknown DISPID -4", false, -4, kMethod, {}, false, DISP_E_MEMBERNOTFOUND},
        {L"property put on a method", false, 2, kPut, {kBstr}, false, DISP_E_MEMBERNOTFOUND},
        {L"property get of a method", false, 14, DISPATCH_PROPERTYGET, {}, false, S_OK},
        // The launcher's dual interface, through its type information.
        {L"missing argument", true, 5, kMethod, {}, false, DISP_E_BADPARAMCOUNT},
        // Windows refuses the extra argument; Wine's type information ignores it.
        {L"extra argument", true, 5, kMethod, {kBstr, kBstr}, false, DISP_E_BADPARAMCOUNT, S_OK},
        {L"VT_EMPTY for a string", true, 5, kMethod, {{VT_EMPTY, L""}}, false, S_OK},
        {L"VT_NULL for a string", true, 5, kMethod, {{VT_NULL, L""}}, false, DISP_E_TYPEMISMATCH},
        {L"VT_I4 for a string", true, 5, kMethod, {{VT_I4, L"", 7}}, false, S_OK},
        {L"VT_DISPATCH for a string", true, 5, kMethod, {{VT_DISPATCH, L""}}, false,
         DISP_E_TYPEMISMATCH},
        {L"null string", true, 6, kMethod, {{VT_BSTR, L"<null>"}}, false, S_OK},
        {L"empty string", true, 6, kMethod, {{VT_BSTR, L""}}, false, S_OK},
        {L"1 MB string", true, 4, kMethod, {{VT_BSTR, megabyte}, {VT_BSTR, megabyte}}, false,
         S_OK},
        {L"inner NUL", true, 5, kMethod, {{VT_BSTR, innerNul}}, false, S_OK},
        {L"unpaired surrogate", true, 5, kMethod, {{VT_BSTR, surrogate}}, false, S_OK},
        {L"string by reference", true, 5, kMethod, {{VT_BYREF | VT_BSTR, L"Game.exe"}}, false,
         S_OK},
        {L"first argument by name", true, 5, kMethod, {kBstr}, true, S_OK},
        {L"unknown DISPID", true, 99, kMethod, {}, false, DISP_E_MEMBERNOTFOUND},
        {L"property put on a method", true, 5, kPut, {kBstr}, false, DISP_E_MEMBERNOTFOUND},
    };

    const auto specCheck = testing_support::CreateDispatch(CLSID_QuellisSpecCheck);
    const auto launcher = testing_support::CreateDispatch(CLSID_QuellisLauncherVistaPlay);
    ASSERT_TRUE(specCheck && launcher);
    DWORD handles[2] = {};
    for (int round = 0; round < 2; ++round) {
        // The 1 MB path is refused with the launcher's own message, which the watcher closes.
        testing_support::MessageBoxWatcher watcher;
        for (const Case& c : cases) {
            const HRESULT hr = InvokeCase(c.launcher ? launcher.get() : specCheck.get(), c);
            EXPECT_TRUE(hr == c.expected || hr == c.alsoAccepted)
                << (c.launcher ? "launcher: " : "spec-check: ")
                << std::string(c.what, c.what + wcslen(c.what)) << ": 0x" << std::hex << hr;
        }
        GetProcessHandleCount(GetCurrentProcess(), &handles[round]);
    }
    EXPECT_LE(handles[1], handles[0] + 2);
}

// The container's going changes nothing for a script that still holds the control.
TEST(HostilePage, ControlWithoutItsContainerStillAnswers) {
    const auto control = testing_support::CreateDispatch(CLSID_QuellisSpecCheck);
    ASSERT_TRUE(control);
    ComPtr<IOleObject> object;
    ASSERT_EQ(control.As(object), S_OK);
    EXPECT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(object->SetClientSite(nullptr), S_OK);
    EXPECT_EQ(testing_support::CallString(control.get(), L"GetStringSpecVer"), L"1,0,1,3s");
}

}  // namespace
