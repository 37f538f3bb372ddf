#include "app/core/CMyDlgPrivate.h"

#include <exception>
#include <utility>

#include "protocol/CommError.h"

namespace orv::app {

namespace {
constexpr const char* kInternalError = "内部应用程序出错。";
}

CMyDlgPrivate::CMyDlgPrivate(WindowServices& window, protocol::CMSComm& comm, std::function<int()> findBridgePort)
    : window_(window), comm_(comm), findBridgePort_(std::move(findBridgePort)) {
    comm_.SetOnComm([this] { OnCommNotify(); });
}

void CMyDlgPrivate::Dispatch(const std::function<void()>& handler) {
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

void CMyDlgPrivate::AddObserver(DialogObserver* observer) { observers_.push_back(observer); }

void CMyDlgPrivate::RemoveObserver(DialogObserver* observer) { std::erase(observers_, observer); }

void CMyDlgPrivate::OnTimerEvent(int timerId) {
    Dispatch([&] { OnTimer(timerId); });
}

void CMyDlgPrivate::OnCommNotify() {
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

void CMyDlgPrivate::OnOK() {
    Dispatch([&] { CollectSettings(); });
}

}  // namespace orv::app
