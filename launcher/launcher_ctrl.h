// The launcher control: holds the launch settings a page hands it and starts the game, directly
// or through an elevated instance of itself.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "VarnokLauncher.h"
#include "dispatch.h"
#include "factory.h"
#include "launcher_embed.h"
#include "rules/launch_rules.h"
#include "ole_control.h"
#include "raii.h"

// Stores a BSTR argument in a zero-filled narrow field of `size` bytes (the thread's ANSI code
// page). A null text leaves the field as it was and answers false. A text too long for the field
// is cut at a character boundary so that it ends before the field's last byte.
bool CopyArgToField(BSTR text, char* field, size_t size);
// A new BSTR from a field's text, owned by the result; empty when the conversion fails.
fw::Bstr FieldToBstr(const char* field);
// The registry root of a root number (launcher::RootNumberValue).
HKEY RootKey(int rootNumber);
// Stores a launch result where the caller asked for one.
void SetLaunchResult(LONG* result, launcher::LaunchResult code);

class CQuellisLauncherVistaPlay : public fw::OleControl,
                                  public IQuellisLauncherVistaPlay,
                                  public ISupportErrorInfo {
public:
    explicit CQuellisLauncherVistaPlay(IUnknown* outer);
    FW_DELEGATING_IUNKNOWN

    static const fw::ControlInfo kInfo;

    // IDispatch, over the registered type information.
    FW_DISPATCH_TYPE_INFO(typeInfo_)
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

    // IQuellisLauncherVistaPlay
    STDMETHODIMP TestMethod(BSTR strTestParam, LONG ITestParam, LONG* IReturn) override;
    STDMETHODIMP RealMethod(BSTR strTestParam, LONG ITestParam, LONG* IReturn) override;
    STDMETHODIMP SetRegInfo(SHORT i_KeyType, BSTR i_strRegKey, BSTR i_strValueName) override;
    STDMETHODIMP SetRegParam(BSTR i_bstrReg1, BSTR i_bstrReg2) override;
    STDMETHODIMP AddPathName(BSTR i_bstrAddPath) override;
    STDMETHODIMP AddParmeter(BSTR i_bstrParam) override;
    STDMETHODIMP Execute(LONG* IReturn) override;
    STDMETHODIMP ExecuteVista(LONG* IReturn) override;
    STDMETHODIMP ExecuteWin(LONG* IReturn) override;
    STDMETHODIMP ExecuteBoardGame(LONG* IReturn) override;
    STDMETHODIMP ExecuteVistaBoardGame(LONG* IReturn) override;
    STDMETHODIMP ExecuteWinBoardGame(LONG* IReturn) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

    // OleControl
    void OnDraw(HDC hdc, const RECT& bounds) override;
    void DoPropExchange(fw::PropExchange& px) override;
    void* ControlInterface(REFIID iid) override;

    class Factory : public fw::ObjectFactory {
    public:
        Factory();
        HRESULT UpdateRegistry(bool) override { return S_OK; }  // registered by its scripts
    };
    static Factory factory;

private:
    // What a launch starts: the game from its installation directory, or a board game from the
    // system folder.
    enum class Target { Game, BoardGame };
    // How it starts it: in this process, through an elevated instance, or by the Windows version.
    enum class Road { Direct, Elevated, ByVersion };
    // A launch result that is set before anything is written.
    struct PreLaunch {
        std::optional<launcher::LaunchResult> refusal;
        fw::RegKey key;  // the game's key, opened for the direct road
        // The game's installation directory, when it was read, or the Windows folder a board
        // game starts from.
        std::string directory;
    };

    // Whether this instance may launch at all: its page is on the module's site list (always in
    // an open build), or it is the elevated instance, which has no page and lives in the
    // launcher's own COM surrogate process.
    bool MayLaunch() const;
    // Every launch method: the lock, then the road.
    HRESULT Launch(LONG* IReturn, Target target, Road road);
    // The one pre-launch check of both roads, in this order: settings that named no usable key,
    // the game's key and installation directory, the machine launch policy. The direct road opens
    // the key with `keyAccess` and keeps it; the road before elevation passes 0, reads with read
    // access only, and reads the key and directory only when a policy needs them, leaving the
    // rest to the elevated instance so that its answer reaches the page as before.
    PreLaunch CheckBeforeLaunch(Target target, REGSAM keyAccess) const;
    // The two roads; the lock has been checked.
    HRESULT LaunchDirect(LONG* IReturn, Target target);
    HRESULT LaunchElevated(LONG* IReturn, Target target);
    // Shows a refusal of AddPathName or AddParmeter and answers S_FALSE.
    HRESULT Refuse(const char* message);
    HRESULT Append(BSTR text, char* field, const char* message, bool isPath);

    // The launch settings.
    HKEY m_hRootKey = HKEY_LOCAL_MACHINE;
    char m_szRegKey[launcher::kShortFieldSize] = {};
    char m_szValueName[launcher::kShortFieldSize] = {};
    char m_szParam[launcher::kShortFieldSize] = {};
    char m_szPathName[launcher::kShortFieldSize] = {};
    char m_szReg1[launcher::kLongFieldSize] = {};
    char m_szReg2[launcher::kLongFieldSize] = {};
    // Set when the last SetRegInfo named a key path or value name too long for its field: no
    // launch may then touch a key the page did not name.
    bool m_bRegInfoRefused = false;

    fw::DispatchTypeInfo typeInfo_;
};

// The launcher's AppID, under which the system's COM surrogate runs its elevated instances.
extern const GUID kLauncherAppId;

// Windows Vista (6.0) or later, asked afresh on every call.
bool IsVistaOrLater();

// What the elevated launch hands the system: the moniker name for a new elevated instance of
// this class, and its bind options (out of process, no owner window).
std::wstring ElevationMonikerName();
BIND_OPTS3 ElevationBindOptions();
