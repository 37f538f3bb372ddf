#pragma once
// The device side of the protocol: a simulated transmitter that takes request
// bytes as they come off the line and produces the answers a real one gives.
// Pure logic, no I/O and no clock: the pty runner and the test doubles decide
// when the answer bytes reach the tool.
//
// Behind the frames sits a small physical model so that calibration against
// the simulator means something: a "bench" of signals applied to the
// terminals, the device's hidden true constants (what its analog parts really
// are), and the constants stored in the block (what the device believes).
// Raw readings come from the bench through the true constants; the measured
// value comes from the raw readings through the stored constants. A stored
// constant that differs from the true one therefore shows as a reading error,
// and a calibration walked through by the tool removes it.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "protocol/MeasureBlock.h"
#include "sim/RequestFramer.h"

namespace orv::sim {

// Faults the simulated device can be told to make.
struct Faults {
    bool silent = false;           // never answer
    bool corruptChecksum = false;  // answer with a wrong last byte
    bool wrongFunction = false;    // answer with another function code (0x80 | f, checksum right)
    bool keepBlock = false;        // acknowledge writes but store nothing, like a worn-out memory
    bool silentRestart = false;    // reset at once on a restart, before acknowledging it
};

// Signals applied to the terminals, in physical units. The device reads the
// ones that its configured input type wires to its converters.
struct Bench {
    double sensorCelsius = 100.0;   // hot junction of a thermocouple, or the RTD
    double ambientCelsius = 25.0;   // the device's own board, also the cold junction
    double ohms = 100.0;            // resistor on the resistance terminals
    double millivolts = 10.0;       // millivolt source (mV input, or a TC calibrator)
    double volts = 5.0;             // voltage input
    double milliamps = 12.0;        // current input
    // A thermocouple input normally sees the EMF of sensorCelsius against the
    // cold junction; false puts the millivolt source on those terminals
    // instead, as the factory does to calibrate the millivolt channel.
    bool thermocoupleFromTemperature = true;
    // Amplitude of the slow deterministic wobble on every signal (0 = steady).
    // Scaled per signal: 1 -> about 0.1 degC, 0.1 % of the electrical signals.
    double drift = 1.0;
};

// What the device's analog parts really are; calibration should recover these.
struct TrueConstants {
    double referenceOhms = 402.0;   // internal reference resistor (resistanceCal / 50)
    int millivoltCounts = 12231;    // converter counts at 80 mV (millivoltCal)
    int ambientCountsAt0 = 20483;   // ambient sensor counts at 0 degC (ambientCal)
    int voltageCounts = 19100;      // counts at 10 V (voltageCal)
    int currentCounts = 9150;       // counts at 20 mA (currentCal)
    // Trim codes that drive each output to exactly 4 mA and 20 mA.
    int out1Zero = 912, out1Full = 4713;
    int out2Zero = 921, out2Full = 4688;
};

// A device that reads wrong by a known amount, for checking the check: the
// measured value it reports is value + offset + value * gainPercent / 100
// (in the input's unit, the gain about its zero), before the offset
// correction the block configures. The outputs follow the reported value.
struct ReadingError {
    double offset = 0.0;
    double gainPercent = 0.0;
};

enum class OutputMode { FollowMeasurement, SimulateZero, SimulateFull };

struct OutputCurrents {
    double out1 = 0.0;  // mA
    double out2 = 0.0;  // mA; meaningful only when dual
    bool dual = false;
};

struct TransmitterStats {
    unsigned answered = 0;      // requests answered (or that would have been, when silent)
    unsigned badChecksum = 0;   // well-formed headers whose checksum failed
    unsigned refused = 0;       // valid frames the device declines (out-of-range read or write)
    unsigned skippedBytes = 0;  // bytes discarded while looking for a frame start
    unsigned restarts = 0;      // restart commands carried out
};

class Transmitter {
public:
    Transmitter();  // a dual-output universal model measuring TC K over 0..1300

    // The block a new device leaves the factory with, and "factory restore" reloads.
    static std::array<std::uint8_t, 36> FactoryBlock();

    // Bytes received from the line, in any chunking. Returns the answer bytes
    // of every request these bytes complete (empty when none is complete or
    // the device stays silent).
    std::vector<std::uint8_t> Receive(std::span<const std::uint8_t> bytes);

    // The line has been quiet for several character times: whatever partial
    // request is pending will not be completed, so its bytes are searched
    // again for a request that a corrupted length byte swallowed. Returns the
    // answer bytes of any request found that way.
    std::vector<std::uint8_t> LineIdle();

    // The device's stored parameter block.
    std::array<std::uint8_t, 36>& Block() { return block_; }
    const std::array<std::uint8_t, 36>& Block() const { return block_; }

    // One line per request and answer ("-> 00 04 00 3B", "<- ..."), output
    // currents after output commands, and "!! ..." for what the device ignored.
    void SetLog(std::function<void(const std::string&)> sink) { log_ = std::move(sink); }

    // What a read-measurements answer carries now; each call moves the drift on.
    protocol::MeasureBlock Measure();
    // Puts on the bench the signal that a device with true constants reads
    // as value, in the unit of the input type the block configures now: the
    // temperature of a thermocouple or RTD (against the cold junction as it
    // is), microvolts, ohms, volts or milliamps, as a calibrator is set.
    void ApplyInput(double value);
    // The output currents the device drives at this moment.
    OutputCurrents Outputs() const;
    OutputMode Mode() const { return mode_; }
    const TransmitterStats& Stats() const { return stats_; }

    Faults faults;
    Bench bench;
    TrueConstants truth;
    ReadingError error;
    // Turnaround between the end of a request and the first answer byte. The
    // pty runner honours it; in-memory doubles use their own delay.
    unsigned answerDelayMs = 20;
    // How long a restart keeps the device deaf while it starts again; the
    // pty runner honours it, the in-memory doubles restart at once.
    unsigned restartMs = 300;

private:
    void Take(const std::vector<FramerEvent>& events, std::vector<std::uint8_t>& out);
    void Handle(std::span<const std::uint8_t> frame, std::vector<std::uint8_t>& out);
    void Answer(std::vector<std::uint8_t> answer, std::vector<std::uint8_t>& out);
    void Command(std::uint8_t code, std::uint16_t first, std::uint16_t second);
    protocol::MeasureBlock Evaluate(unsigned tick) const;
    void Log(const std::string& line) const;

    std::array<std::uint8_t, 36> block_{};
    RequestFramer framer_;
    std::function<void(const std::string&)> log_;
    OutputMode mode_ = OutputMode::FollowMeasurement;
    std::uint16_t simulated1_ = 0, simulated2_ = 0;  // trim codes of a simulated output
    unsigned tick_ = 0;
    TransmitterStats stats_;
};

// "00 03 02 00 24 85": how frames appear in the log.
std::string HexBytes(std::span<const std::uint8_t> bytes);

}  // namespace orv::sim
