// A connection point that lives inside its container. It has no reference count of its own:
// AddRef and Release go to the container, so a client holding the point keeps the container alive
// and the container never keeps itself alive through its points.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "raii.h"

namespace fw {

class ConnectionPoint final : public IConnectionPoint {
public:
    // container: the object whose connection point this is (its IUnknown methods are used for
    // this point's counting). iid: the outgoing interface sinks must implement.
    ConnectionPoint(IConnectionPointContainer* container, REFIID iid);
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;
    ~ConnectionPoint();

    const IID& Iid() const { return iid_; }

    // Drops every connection.
    void DisconnectAll();

    // IUnknown: identity is the point's own; counting is the container's.
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IConnectionPoint
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** cpc) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** e) override;

private:
    struct Connection {
        DWORD cookie;
        ComPtr<IUnknown> sink;
    };

    IConnectionPointContainer* container_;
    IID iid_;
    std::vector<Connection> connections_;
    DWORD lastCookie_ = 0;
};

}  // namespace fw
