#pragma once
// How the serial component's reader thread hands work to the dialog's
// thread. The core is single-threaded: bytes arrive on the reader thread, but
// OnComm must be raised on the thread that runs the dialog's message loop.
#include <functional>

namespace orv::link {

class UiPoster {
public:
    virtual ~UiPoster() = default;

    // Called from any thread. `work` runs later on the UI thread, in the order
    // posted, and never inside Post itself. Work that can no longer be
    // delivered (the window is gone) may be dropped.
    virtual void Post(std::function<void()> work) = 0;
};

}  // namespace orv::link
