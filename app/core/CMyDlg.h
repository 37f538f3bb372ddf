#pragma once
// The main dialog as front ends and the features beside it drive it: the
// window's events go in, listeners hear what the device sent. Its logic and
// state live behind it (CMyDlgPrivate), so nothing outside the core can reach
// into the request engine.
#include <functional>
#include <memory>

#include "app/core/DialogObserver.h"
#include "app/core/WindowServices.h"
#include "protocol/CMSComm.h"

namespace orv::app {

class CMyDlgPrivate;

class CMyDlg {
public:
    // findBridgePort returns the discovered port number (0: no bridge
    // examined, -1: the last bridge has no port); empty means no discovery.
    CMyDlg(WindowServices& window, protocol::CMSComm& comm, std::function<int()> findBridgePort = {});
    ~CMyDlg();
    CMyDlg(const CMyDlg&) = delete;
    CMyDlg& operator=(const CMyDlg&) = delete;

    // The front end has created the controls and filled the lists.
    void OnInitDialog();
    // A button press or list selection change; false when no route exists.
    bool OnCommand(int controlId);
    void OnTimerEvent(int timerId);
    void OnCommNotify();
    // "Exit": collects the bound values before the dialog closes.
    void OnOK();
    // Factory build only: enables the panel controls the standard build leaves disabled.
    void EnableFactoryPanel();

    // Runs a handler; an error that escapes it is shown in a stop-icon box.
    // Front ends run their own menu items through it too.
    void Dispatch(const std::function<void()>& handler);

    // Listeners are told, never asked; the caller keeps them alive until removed.
    void AddObserver(DialogObserver* observer);
    void RemoveObserver(DialogObserver* observer);

    WindowServices& Window();
    protocol::CMSComm& Comm();

private:
    friend class CMyDlgPrivate;
    std::unique_ptr<CMyDlgPrivate> d_;
};

}  // namespace orv::app
