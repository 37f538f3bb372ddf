#include "app/qt/CMyDlgWindow.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>

#include "app/core/ControlIds.h"
#include "app/qt/AppIcon.h"
#include "app/qt/CAboutDlg.h"
#include "app/qt/DeviceFeatures.h"
#include "app/qt/ResourceTable.h"

namespace orv::app::qt {

CMyDlgWindow::CMyDlgWindow(std::unique_ptr<protocol::CMSComm> comm, std::function<int()> findBridgePort,
                           bool factory, QWidget* parent)
    // A fixed-size window with title, window menu and close box, no minimise
    // or maximise box. It is the program's main window, so it is a window and
    // not a dialog: X11 makes a parentless dialog transient for the whole
    // program, and task bars and window switchers then leave it out.
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      factory_(factory),
      comm_(std::move(comm)) {
    const DialogTemplate& tpl = ResourceTable::Builtin().Dialog(id::MainDialog);
    setWindowTitle(tpl.caption);
    setWindowIcon(AppIcon());
    TemplateWidgets widgets = BuildTemplateWidgets(*this, tpl, AppIcon(), factory_);
    units_ = widgets.units;
    services_ = std::make_unique<QtWindowServices>(*this, std::move(widgets));
    core_ = std::make_unique<CMyDlg>(*services_, *comm_, std::move(findBridgePort));
    services_->onTimer = [this](int timerId) { core_->OnTimerEvent(timerId); };
    WireControls();
    features_ = std::make_unique<DeviceFeatures>(*this);
}

CMyDlgWindow::~CMyDlgWindow() {
    // No tick may reach a core that is being taken apart.
    services_->KillAllTimers();
    services_->onTimer = nullptr;
    features_.reset();
}

void CMyDlgWindow::WireControls() {
    for (QObject* child : children()) {
        const int controlId = child->property("controlId").toInt();
        if (controlId <= 0) continue;
        if (controlId == id::Exit) {
            connect(static_cast<QAbstractButton*>(static_cast<QWidget*>(child)), &QAbstractButton::clicked, this,
                    &CMyDlgWindow::accept);
        } else if (auto* button = qobject_cast<QPushButton*>(child)) {
            connect(button, &QAbstractButton::clicked, this, [this, controlId] { core_->OnCommand(controlId); });
        } else if (auto* list = qobject_cast<QComboBox*>(child)) {
            // Only the user's choices count as a selection change; the core's
            // own SetCurSel must not call back into it.
            connect(list, &QComboBox::activated, this, [this, controlId] { core_->OnCommand(controlId); });
        }
    }
}

void CMyDlgWindow::Initialise() {
    core_->OnInitDialog();
    if (factory_) core_->Dispatch([this] { core_->EnableFactoryPanel(); });
}

void CMyDlgWindow::accept() {
    core_->OnOK();
    QDialog::accept();
}

std::unique_ptr<QMenu> CMyDlgWindow::CreateWindowMenu() {
    auto menu = std::make_unique<QMenu>(this);
    for (QAction* action : features_->MenuActions()) {
        if (action)
            menu->addAction(action);
        else
            menu->addSeparator();
    }
    menu->addSeparator();
    menu->addAction(tr("Close"), this, &QDialog::reject);
    const QString about = ResourceTable::Builtin().String(id::StrAboutItem);
    if (!about.isEmpty()) {
        menu->addSeparator();
        menu->addAction(about, this, &CMyDlgWindow::ShowAbout);
    }
    return menu;
}

void CMyDlgWindow::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CMyDlgWindow::contextMenuEvent(QContextMenuEvent* event) {
    // Window managers here share no system menu a program can add to, so the
    // window's own menu appears where the user right-clicks the dialog, or,
    // asked for from the keyboard, at the control that has the focus.
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QWidget* focus = focusWidget();
        at = focus && isAncestorOf(focus) ? focus->mapToGlobal(focus->rect().center()) : mapToGlobal(rect().center());
    }
    const std::unique_ptr<QMenu> menu = CreateWindowMenu();
    menu->exec(at);
}

void CMyDlgWindow::keyPressEvent(QKeyEvent* event) {
    // The Menu key and Shift+F10 reach X11 programs as plain keys. They ask
    // for the focused control's menu first, as on the platform the window
    // comes from: an edit field shows its own, the others pass the request
    // on to the window.
    const bool menuKey = event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier;
    if (menuKey || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        QWidget* target = focusWidget() && isAncestorOf(focusWidget()) ? focusWidget() : this;
        const QPoint pos = target->rect().center();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, pos, target->mapToGlobal(pos), event->modifiers());
        QCoreApplication::sendEvent(target, &request);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace orv::app::qt
