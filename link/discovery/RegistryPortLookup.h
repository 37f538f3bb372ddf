#pragma once
// The Windows port lookups: the bridge's port name from the registry, on the
// NT family from the USB enumerator's device parameters, on the 9x family
// from the bridge driver's own enumerator keys.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/discovery/PortLookup.h"
#include "link/discovery/Registry.h"

namespace orv::discovery {

// Registry values are read into one area of kRegistryAreaSize + 1 bytes, so
// a value of more than kRegistryAreaSize bytes is never read; a key holding
// one counts as not matching.
inline constexpr std::uint32_t kRegistryAreaSize = 100;

// "COM3" -> 3, "COM12" -> 12; the first three characters are dropped and the
// leading decimal digits of the rest are read. No digits, a name of three
// characters or fewer, or a number too large for an int gives 0.
int PortNameToNumber(std::string_view portName);

// NT family. Returns the port number or -1. Every key opened is closed.
int LookupUsbPortName(Registry& registry, std::uint16_t vendorId, std::uint16_t productId, std::string serial);
// 9x family. Returns the port number or -1; a later matching key overrides
// an earlier one. Every key opened is closed.
int LookupSlabcrPortName(Registry& registry, std::uint16_t vendorId, std::uint16_t productId, std::string serial);

// Picks the lookup by the platform version word (as GetVersion() returns it):
// only its top bit (the 9x flag) and the low four bits of the major version
// count. NT 5 or 6 -> USB lookup, 9x with 4 -> bridge driver lookup, anything
// else -> no lookup.
class RegistryPortLookup : public PortLookup {
public:
    RegistryPortLookup(Registry& registry, std::uint32_t versionWord)
        : registry_(registry), versionWord_(versionWord) {}

    std::optional<int> Lookup(const BridgeIdentity& identity) override;

private:
    Registry& registry_;
    std::uint32_t versionWord_;
};

}  // namespace orv::discovery
