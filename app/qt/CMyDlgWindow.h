#pragma once
// The main dialog on Qt: the widgets of template 102, the window services the
// core talks to, and the core itself. Button clicks and user list selections
// go to the core's routing; "Exit" collects before closing, Escape and the
// close box do not.
#include <QDialog>
#include <functional>
#include <memory>

#include "app/core/CMyDlg.h"
#include "app/qt/QtWindowServices.h"

class QMenu;

namespace orv::app::qt {

class DeviceFeatures;

class CMyDlgWindow : public QDialog {
    Q_OBJECT
public:
    // The window owns the serial component for its whole life, so the port is
    // released when the window goes. findBridgePort may be empty (no discovery).
    CMyDlgWindow(std::unique_ptr<protocol::CMSComm> comm, std::function<int()> findBridgePort, bool factory,
                 QWidget* parent = nullptr);
    ~CMyDlgWindow() override;

    // The core's start-up: discovery, automatic connection or the request to
    // choose a port. Runs before the window is shown, so its message comes
    // first; in the factory build the panel is enabled after it.
    void Initialise();

    CMyDlg& Core() { return *core_; }
    QtWindowServices& Services() { return *services_; }
    QWidget* Control(int id) const { return services_->Control(id); }
    const DialogBaseUnits& Units() const { return units_; }
    bool IsFactory() const { return factory_; }

    // The window menu offered on a right click: the saved configuration,
    // trend, recording and report items, a separator, "Close", then, when
    // string 101 is not empty, a separator and the about item.
    std::unique_ptr<QMenu> CreateWindowMenu();
    DeviceFeatures& Features() { return *features_; }
    void ShowAbout();

public slots:
    void accept() override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void WireControls();

    bool factory_;
    DialogBaseUnits units_;
    std::unique_ptr<protocol::CMSComm> comm_;
    std::unique_ptr<QtWindowServices> services_;
    std::unique_ptr<CMyDlg> core_;  // goes before comm and services, which it uses
    std::unique_ptr<DeviceFeatures> features_;  // goes first: it listens to the core
};

}  // namespace orv::app::qt
