#include "app/core/CMyDlg.h"

#include <exception>
#include <utility>

#include "protocol/CommError.h"

namespace orv::app {

namespace {
constexpr const char* kInternalError = "内部应用程序出错。";
}

CMyDlg::CMyDlg(WindowServices& window, protocol::CMSComm& comm, std::function<int()> findBridgePort)
    : window_(window), comm_(comm), findBridgePort_(std::move(findBridgePort)) {
    comm_.SetOnComm([this] { OnCommNotify(); });
}

void CMyDlg::Dispatch(const std::function<void()>& handler) {
    // The one place where an error that escapes a handler becomes a message.
    // Anything else thrown (a failed allocation, a bug) is shown the same way
    // rather than taking the program down with the user's unsaved settings.
    try {
        handler();
    } catch (const std::exception& e) {
        const std::string text = e.what();
        window_.MessageBox(text.empty() ? kInternalError : text, MessageIcon::Stop);
    } catch (...) {
        window_.MessageBox(kInternalError, MessageIcon::Stop);
    }
}

void CMyDlg::AddObserver(DialogObserver* observer) { observers_.push_back(observer); }

void CMyDlg::RemoveObserver(DialogObserver* observer) { std::erase(observers_, observer); }

void CMyDlg::OnTimerEvent(int timerId) {
    Dispatch([&] { OnTimer(timerId); });
}

void CMyDlg::OnCommNotify() {
    // The receive handler ends silently on a component error: a broken read
    // must neither show a box per byte nor disturb the outstanding request.
    // Anything else escaping (a fault of the tool's own) is still shown rather
    // than left to take the program down from inside the receive event.
    Dispatch([&] {
        try {
            OnCommEvent();
        } catch (const protocol::CommError&) {
        }
    });
}

void CMyDlg::OnOK() {
    Dispatch([&] { CollectSettings(); });
}

}  // namespace orv::app
