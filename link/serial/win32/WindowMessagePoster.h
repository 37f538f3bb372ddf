#pragma once
// A UiPoster on the window's own message queue: each piece of work travels as
// one posted message, so it runs between the other window messages (also
// inside the loop of a modal message box).
//
// The window procedure answers the chosen message with
//     if (msg == poster.Message()) { WindowMessagePoster::Run(lParam); return 0; }
#include <windows.h>

#include "link/serial/win32/UiPoster.h"

namespace orv::link {

class WindowMessagePoster : public UiPoster {
public:
    WindowMessagePoster(HWND window, UINT message) : window_(window), message_(message) {}

    void Post(std::function<void()> work) override;
    UINT Message() const { return message_; }

    // Runs and frees the work carried by one posted message.
    static void Run(LPARAM carried);

private:
    HWND window_;
    UINT message_;
};

}  // namespace orv::link
