#pragma once
// How a port number of the port list ("COMk") names a device on this system.
#include <string>

namespace orv::link {

// The device path for port number `port`. A symbolic link named COMk in the
// user's port folder ($XDG_CONFIG_HOME/orvane/ports, or ~/.config/orvane/ports)
// wins, so a technician can give any device a COM number; a relative target is
// taken relative to that folder. Without a link, COMk is /dev/ttyUSB<k-1> for k
// of 1 or more, and COM0 or a negative number names nothing (""). The folder
// is only read, never created.
std::string DefaultPortPath(int port);

}  // namespace orv::link
