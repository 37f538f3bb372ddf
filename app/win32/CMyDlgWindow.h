#pragma once
// The main dialog on Win32: a real dialog-manager window made from template
// 102 of the resource table, the window services the core talks to, and the
// core itself. Button presses and the user's list selections go to the core's
// routing; "Exit" (and Enter) collects before closing, Escape and the close
// box do not.
#include "app/win32/Win32Api.h"

#include <functional>
#include <memory>

#include "app/core/CMyDlg.h"
#include "app/core/ResourceTable.h"
#include "app/win32/DeviceFeatures.h"
#include "app/win32/DialogTemplateBuilder.h"
#include "app/win32/Win32WindowServices.h"
#include "link/serial/win32/UiPoster.h"
#include "link/serial/win32/WindowMessagePoster.h"
#include "protocol/CMSComm.h"

namespace orv::app::win32 {

// The message that carries the serial component's posted work.
inline constexpr UINT kPostedWorkMessage = WM_APP + 1;

class CMyDlgWindow {
public:
    // The component needs the window's poster, which exists only once the
    // window does: it is made during the dialog's initialisation.
    using CommFactory = std::function<std::unique_ptr<protocol::CMSComm>(link::UiPoster&)>;

    // findBridgePort may be empty (no discovery). The icon stays the caller's.
    CMyDlgWindow(const ResourceTable& table, CommFactory makeComm, std::function<int()> findBridgePort, bool factory,
                 HICON largeIcon, HICON smallIcon);
    ~CMyDlgWindow();
    CMyDlgWindow(const CMyDlgWindow&) = delete;
    CMyDlgWindow& operator=(const CMyDlgWindow&) = delete;

    // Runs the dialog modally; returns the id of the button that closed it.
    INT_PTR Run(HINSTANCE instance);

    // Before Run: how the file items ask for a file (the common dialogs unless replaced).
    void SetFileChooser(FileChooser choose) { chooseFile_ = std::move(choose); }

    HWND Handle() const { return hwnd_; }
    CMyDlg* Core() { return core_.get(); }
    DeviceFeatures* Features() { return features_.get(); }

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleUnguarded(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    void OnCommand(int id, int code);
    bool PaintMinimised();
    void ShowAbout();

    const ResourceTable& table_;
    const DialogTemplate& tpl_;
    CommFactory makeComm_;
    std::function<int()> findBridgePort_;
    bool factory_;
    HICON largeIcon_;
    HICON smallIcon_;
    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr;
    BuiltTemplate built_;

    std::unique_ptr<link::WindowMessagePoster> poster_;
    std::unique_ptr<protocol::CMSComm> comm_;
    std::unique_ptr<Win32WindowServices> services_;
    std::unique_ptr<CMyDlg> core_;  // goes before comm and services, while they still exist
    FileChooser chooseFile_ = AskWithCommonDialog;
    std::unique_ptr<DeviceFeatures> features_;  // listens to the core: goes with the window
};

}  // namespace orv::app::win32
