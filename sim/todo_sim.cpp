// TEMPORARY placeholder so the simulated transmitter links while it is being
// built; deleted when the real one lands.
#include <stdexcept>
#include "sim/Transmitter.h"
namespace orv::sim {
Transmitter::Transmitter() {}
std::vector<std::uint8_t> Transmitter::Receive(std::span<const std::uint8_t>) { throw std::logic_error(__func__); }
}  // namespace orv::sim
