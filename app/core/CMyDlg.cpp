#include "app/core/CMyDlg.h"

#include <utility>

#include "app/core/CMyDlgPrivate.h"

namespace orv::app {

CMyDlg::CMyDlg(WindowServices& window, protocol::CMSComm& comm, std::function<int()> findBridgePort)
    : d_(std::make_unique<CMyDlgPrivate>(window, comm, std::move(findBridgePort))) {}

CMyDlg::~CMyDlg() = default;

void CMyDlg::OnInitDialog() { d_->OnInitDialog(); }
bool CMyDlg::OnCommand(int controlId) { return d_->OnCommand(controlId); }
void CMyDlg::OnTimerEvent(int timerId) { d_->OnTimerEvent(timerId); }
void CMyDlg::OnCommNotify() { d_->OnCommNotify(); }
void CMyDlg::OnOK() { d_->OnOK(); }
void CMyDlg::EnableFactoryPanel() { d_->EnableFactoryPanel(); }
void CMyDlg::Dispatch(const std::function<void()>& handler) { d_->Dispatch(handler); }
void CMyDlg::AddObserver(DialogObserver* observer) { d_->AddObserver(observer); }
void CMyDlg::RemoveObserver(DialogObserver* observer) { d_->RemoveObserver(observer); }
WindowServices& CMyDlg::Window() { return d_->Window(); }
protocol::CMSComm& CMyDlg::Comm() { return d_->Comm(); }

}  // namespace orv::app
