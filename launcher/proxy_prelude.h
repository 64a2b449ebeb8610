// Declarations the generated proxy/stub code uses without declaring (they live in rpcrt4).
#pragma once
// Stubless proxies, as the generated code itself asks for before its own include.
#define USE_STUBLESS_PROXY
#include <rpcproxy.h>
#ifdef __cplusplus
extern "C" {
#endif
HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown* This, REFIID riid, void** ppvObject);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown* This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown* This);
#ifdef __cplusplus
}
#endif
