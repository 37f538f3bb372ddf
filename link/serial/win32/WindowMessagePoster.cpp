#include "link/serial/win32/WindowMessagePoster.h"

#include <memory>
#include <utility>

namespace orv::link {

void WindowMessagePoster::Post(std::function<void()> work) {
    auto carried = std::make_unique<std::function<void()>>(std::move(work));
    if (PostMessageW(window_, message_, 0, reinterpret_cast<LPARAM>(carried.get()))) {
        carried.release();  // the message owns it now; Run frees it
    }
    // A full queue or a destroyed window: the work is dropped, which only
    // loses a notification the component repeats on its next arrival.
}

void WindowMessagePoster::Run(LPARAM carried) {
    std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(carried));
    if (work && *work) {
        (*work)();
    }
}

}  // namespace orv::link
