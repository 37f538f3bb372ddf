// Window timer ticks. Each time-out stops its own timer before the box
// opens, since the box's nested loop would otherwise deliver the next tick
// and stack a second "Time Out" on the first.
#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"

namespace orv::app {

void CMyDlgPrivate::OnTimer(int timerId) {
    switch (timerId) {
        case id::TimerReadParams:
        case id::TimerWrite:
        case id::TimerCommand:
        case id::TimerViewBase + 1:
        case id::TimerViewBase + 2:
        case id::TimerViewBase + 3:
        case id::TimerViewBase + 4:
        case id::TimerViewBase + 5:
            window_.KillTimer(timerId);
            // Told before the box: a listener waiting for the block stops waiting.
            if (timerId == id::TimerReadParams) Notify([](DialogObserver& o) { o.OnParamsMissed(); });
            window_.MessageBox("Time Out", MessageIcon::Exclamation);
            break;
        case id::TimerPoll:
            PollTick();
            break;
        default:
            break;
    }
}

}  // namespace orv::app
