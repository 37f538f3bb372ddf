#pragma once
// How a port number of the port list ("COMk") names a device on this system.
// No Qt: discovery answers in the same names.
#include <filesystem>
#include <string>
#include <vector>

namespace orv::link {

// The device path for port number `port`. A symbolic link named COMk in the
// user's port folder ($XDG_CONFIG_HOME/orvane/ports, or ~/.config/orvane/ports)
// wins, so a technician can give any device a COM number; a relative target is
// taken relative to that folder. Without a link, COMk is /dev/ttyUSB<k-1> for k
// of 1 or more, and COM0 or a negative number names nothing (""). The folder
// is only read, never created.
std::string DefaultPortPath(int port);

// The user's port folder; empty when neither XDG_CONFIG_HOME nor HOME tells.
std::filesystem::path PortFolder();

// The links COMk (k of 1 or more) in a port folder, by number, each with the
// path it names as DefaultPortPath takes it (a dangling one too).
struct PortLink {
    int port;
    std::string target;
};
std::vector<PortLink> PortLinks(const std::filesystem::path& folder);

// The port number whose name leads to `device`, with the links in `folder`:
// the lowest k of 1 or more whose link COMk resolves to the device, else
// `unlinkedPort` (the number that names the device without links) when no
// link COM<unlinkedPort> sends that name elsewhere, else -1.
int PortNumberOf(const std::filesystem::path& folder, const std::filesystem::path& device, int unlinkedPort);

}  // namespace orv::link
