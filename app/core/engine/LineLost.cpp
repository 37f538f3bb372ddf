// The device vanished (cable pulled) and the component closed the port. The
// port was fixed for the run by the first block read; without giving the
// choice back, every action would only say the port is not open until the
// program is restarted.
#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"

namespace orv::app {

void CMyDlgPrivate::OnLineLost() {
    // Left running, the poll would only report the closed port at its next
    // tick and a time-out at the one after.
    if (Polling) EndPoll(PollEnd::LineLost);
    window_.EnableControl(id::Connection, true);
    window_.EnableControl(id::PortList, true);
    // Said when it happens: otherwise the readings just freeze and the reason
    // waits for the user's next action.
    if (const std::string why = comm_.TakeLineFailure(); !why.empty()) window_.MessageBox(why, MessageIcon::Stop);
}

}  // namespace orv::app
