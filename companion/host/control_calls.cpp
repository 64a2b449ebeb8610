#include "control_calls.h"

#include "hresult.h"
#include "launcher_embed.h"
#include "page_site.h"
#include "raii.h"
#include "spec_check_embed.h"
#include "text.h"

namespace companion {
namespace {

// What Invoke may leave in an EXCEPINFO, freed on every path.
struct Exception {
    EXCEPINFO info{};
    Exception() = default;
    Exception(const Exception&) = delete;
    Exception& operator=(const Exception&) = delete;
    ~Exception() {
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
    }
};

// Stores an argument in a VARIANT the caller has initialised.
void Store(const Argument& argument, VARIANT* slot) {
    switch (argument.kind) {
        case Kind::Text:
            V_VT(slot) = VT_BSTR;
            V_BSTR(slot) = fw::NarrowToBstr(argument.text, CP_UTF8);
            break;
        case Kind::Short:
            V_VT(slot) = VT_I2;
            V_I2(slot) = static_cast<SHORT>(argument.number);
            break;
        case Kind::Long:
            V_VT(slot) = VT_I4;
            V_I4(slot) = argument.number;
            break;
    }
}

// One call through the control's dispatch; its result as the method's answer kind says.
HRESULT Invoke(IDispatch* control, const Call& call, Result& out) {
    const Method& method = *call.method;
    std::wstring name(method.name.begin(), method.name.end());  // the names are ASCII
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    FW_RETURN_IF_FAILED(control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));

    fw::Variant arguments[3];  // in reverse order, as Invoke takes them
    const size_t count = call.arguments.size();
    for (size_t i = 0; i < count; ++i) Store(call.arguments[i], arguments[count - 1 - i].get());
    VARIANTARG slots[3];
    for (size_t i = 0; i < count; ++i) slots[i] = *arguments[i].get();  // still owned there
    DISPPARAMS params{count ? slots : nullptr, nullptr, static_cast<UINT>(count), 0};
    fw::Variant result;
    Exception exception;
    UINT badArgument = 0;
    HRESULT hr = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                 result.put(), &exception.info, &badArgument);
    if (hr == DISP_E_EXCEPTION && FAILED(exception.info.scode)) hr = exception.info.scode;
    FW_RETURN_IF_FAILED(hr);

    switch (method.answer) {
        case Answer::None:
            out = std::monostate();
            break;
        case Answer::Number:
            FW_RETURN_IF_FAILED(VariantChangeType(result.get(), result.get(), 0, VT_I4));
            out = static_cast<std::int32_t>(V_I4(result.get()));
            break;
        case Answer::Text:
            FW_RETURN_IF_FAILED(VariantChangeType(result.get(), result.get(), 0, VT_BSTR));
            out = fw::WideSpanToNarrow(V_BSTR(result.get()), SysStringLen(V_BSTR(result.get())),
                                     CP_UTF8);
            break;
    }
    return S_OK;
}

}  // namespace

std::string RunCalls(const Request& request) {
    fw::ComPtr<IDispatch> control;
    const HRESULT created =
        request.control == Control::Spec
            ? spec_check::CreateSpecCheck(IID_IDispatch, control.put_void())
            : launcher::CreateLauncher(IID_IDispatch, control.put_void());
    if (FAILED(created)) return FailureAnswer("Creating the control", created);
    PagePlacement page;
    const HRESULT placed = page.Place(control.get(), fw::NarrowToWide(request.origin, CP_UTF8));
    if (FAILED(placed)) return FailureAnswer("Placing the control on the page", placed);

    std::vector<Result> results;
    for (const Call& call : request.calls) {
        Result result;
        const HRESULT hr = Invoke(control.get(), call, result);
        if (FAILED(hr)) return FailureAnswer(call.method->name, static_cast<std::uint32_t>(hr));
        results.push_back(std::move(result));
    }
    return ResultsAnswer(results);
}

}  // namespace companion
