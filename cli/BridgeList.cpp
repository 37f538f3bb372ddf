#include "cli/BridgeList.h"

#include <algorithm>

namespace orv::cli {

std::vector<BridgeRow> ListBridges(discovery::BridgeLibrary& library, discovery::PortLookup& lookup,
                                   const std::function<std::string(int)>& portPath) {
    std::vector<BridgeRow> rows;
    std::int32_t count = 0;
    library.GetNumDevices(count);
    for (std::int32_t i = 0; i < count; ++i) {
        discovery::BridgeHandle handle{};
        if (library.Open(static_cast<std::uint32_t>(i), handle) != discovery::kBridgeSuccess) continue;
        discovery::BridgeIdentity id;
        discovery::SerialArea area{};
        std::uint8_t length = 0;
        const bool ok = library.GetVid(handle, id.vendorId) == discovery::kBridgeSuccess &&
                        library.GetPid(handle, id.productId) == discovery::kBridgeSuccess;
        if (ok) {
            library.GetSerialString(handle, area, length);
            id.serial.assign(area.data(), std::min<std::size_t>(length, area.size()));
        }
        library.Close(handle);
        if (!ok) continue;
        BridgeRow row{{}, {}, id.vendorId, id.productId, id.serial};
        if (const auto k = lookup.Lookup(id); k && *k > 0) {
            row.name = "COM" + std::to_string(*k);
            row.path = portPath(*k);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace orv::cli
