#pragma once
// The device side of the protocol: a simulated transmitter that takes request
// bytes as they come off the line and produces the answers a real one gives.
// Pure logic, no I/O and no clock: the pty runner and the test doubles decide
// when the answer bytes reach the tool.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace orv::sim {

// Faults the simulated device can be told to make.
struct Faults {
    bool silent = false;           // never answer
    bool corruptChecksum = false;  // answer with a wrong last byte
    bool wrongFunction = false;    // answer with another function code
};

class Transmitter {
public:
    Transmitter();  // a dual-output universal model measuring TC K over 0..1300

    // Bytes received from the line, in any chunking. Returns the answer bytes
    // of every request these bytes complete (empty when none is complete or
    // the device stays silent).
    std::vector<std::uint8_t> Receive(std::span<const std::uint8_t> bytes);

    // The device's stored parameter block.
    std::array<std::uint8_t, 36>& Block() { return block_; }
    const std::array<std::uint8_t, 36>& Block() const { return block_; }

    Faults faults;

private:
    std::array<std::uint8_t, 36> block_{};
    std::vector<std::uint8_t> pending_;  // bytes of an incomplete request
};

}  // namespace orv::sim
