// The framework's table dispatch: call shapes, result ownership and out-of-memory handling.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <new>

#include "dispatch.h"
#include "raii.h"
#include "text.h"

namespace {

struct Target {
    int calls = 0;
    BSTR Text() {
        ++calls;
        return fw::NarrowToBstr("text");
    }
    BSTR Empty() {
        ++calls;
        return fw::NarrowToBstr("");
    }
    BSTR Exhausted() {
        ++calls;
        throw std::bad_alloc();
    }
};

const fw::DispatchEntry<Target> kTable[] = {
    {L"Text", &Target::Text},
    {L"Empty", &Target::Empty},
    {L"Exhausted", &Target::Exhausted},
};

TEST(TableDispatch, OutOfMemoryBecomesAnExceptionForTheScript) {
    Target target;
    fw::Variant result;
    EXCEPINFO excep{};
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(fw::InvokeDispatchTable(target, kTable, 3, DISPATCH_METHOD, &none, result.get(),
                                      &excep),
              DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, E_OUTOFMEMORY);
    EXPECT_EQ(V_VT(result.get()), VT_EMPTY);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrHelpFile);
    // No EXCEPINFO from the caller: still an exception, nothing written.
    EXPECT_EQ(fw::InvokeDispatchTable(target, kTable, 3, DISPATCH_METHOD, &none, result.get(),
                                      nullptr),
              DISP_E_EXCEPTION);
}

TEST(TableDispatch, ResultsAndCallShapes) {
    Target target;
    fw::Variant result;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    ASSERT_EQ(fw::InvokeDispatchTable(target, kTable, 1, DISPATCH_METHOD, &none, result.get(),
                                      nullptr),
              S_OK);
    ASSERT_EQ(V_VT(result.get()), VT_BSTR);
    EXPECT_STREQ(V_BSTR(result.get()), L"text");
    // The slot is cleared before it is reused, and an empty text is an empty BSTR, not null.
    ASSERT_EQ(fw::InvokeDispatchTable(target, kTable, 2, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                      &none, result.get(), nullptr),
              S_OK);
    ASSERT_NE(V_BSTR(result.get()), nullptr);
    EXPECT_EQ(SysStringLen(V_BSTR(result.get())), 0u);

    DISPID named = 1;
    fw::Variant arg;
    DISPPARAMS withNamed = {arg.get(), &named, 1, 1};
    EXPECT_EQ(fw::InvokeDispatchTable(target, kTable, 1, DISPATCH_METHOD, &withNamed,
                                      result.get(), nullptr),
              DISP_E_NONAMEDARGS);
    EXPECT_EQ(fw::InvokeDispatchTable(target, kTable, 4, DISPATCH_METHOD, &none, result.get(),
                                      nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(fw::InvokeDispatchTable(target, kTable, 1, DISPATCH_PROPERTYPUTREF, &none,
                                      result.get(), nullptr),
              DISP_E_MEMBERNOTFOUND);
    const int before = target.calls;
    EXPECT_EQ(fw::InvokeDispatchTable(target, kTable, 1, DISPATCH_METHOD, nullptr, nullptr,
                                      nullptr),
              S_OK);
    EXPECT_EQ(target.calls, before + 1);
}

TEST(NarrowText, InnerNulIsCountedAndCodePageApplies) {
    fw::Bstr withNul(fw::NarrowToBstr(std::string("a\0b", 3), CP_ACP));
    ASSERT_EQ(withNul.Length(), 3u);
    EXPECT_EQ(withNul.get()[1], L'\0');
    EXPECT_EQ(withNul.get()[2], L'b');
    fw::Bstr korean(fw::NarrowToBstr("\xC7\xD1", 949));
    ASSERT_EQ(korean.Length(), 1u);
    EXPECT_EQ(korean.get()[0], L'\uD55C');
}

}  // namespace
