#include "connection_point.h"

#include <new>
#include <utility>

#include "enumerator.h"
#include "hresult.h"

namespace fw {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* container, REFIID iid)
    : container_(container), iid_(iid) {}

ConnectionPoint::~ConnectionPoint() { DisconnectAll(); }

void ConnectionPoint::DisconnectAll() {
    // Release outside the list: a sink's release may call back into this point.
    std::vector<Connection> dropped;
    dropped.swap(connections_);
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ConnectionPoint::AddRef() { return container_->AddRef(); }

STDMETHODIMP_(ULONG) ConnectionPoint::Release() { return container_->Release(); }

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** cpc) {
    if (!cpc) return E_POINTER;
    *cpc = container_;
    container_->AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie) *cookie = 0;
    if (!sink || !cookie) return E_POINTER;
    ComPtr<IUnknown> typed;
    if (FAILED(sink->QueryInterface(iid_, typed.put_void())) || !typed) {
        return CONNECT_E_CANNOTCONNECT;
    }
    return fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        // Cookies are never reused while the point lives (0 is never a cookie), so a stale cookie
        // cannot cut another client's connection.
        DWORD next = lastCookie_ + 1;
        if (next == 0) next = 1;
        connections_.push_back(Connection{next, typed});
        lastCookie_ = next;
        *cookie = next;
        return S_OK;
    });
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if (it->cookie == cookie) {
            ComPtr<IUnknown> sink = std::move(it->sink);
            connections_.erase(it);
            return S_OK;  // the sink is released here, after the list is consistent again
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** e) {
    if (!e) return E_POINTER;
    *e = nullptr;
    std::vector<CONNECTDATA> data;
    FW_RETURN_IF_FAILED(fw::OutOfMemoryAsHresult([&]() -> HRESULT {
        data.reserve(connections_.size());
        for (const Connection& c : connections_) data.push_back(CONNECTDATA{c.sink.get(), c.cookie});
        return S_OK;
    }));
    // The enumerator copies (and references) the sinks; data itself holds no references.
    return Enumerator<IEnumConnections, CONNECTDATA, ConnectDataCopy>::Create(data, e);
}

}  // namespace fw
