#pragma once
// How long each kind of request waits for its answer. The window turns these
// into "Time Out" timers (their ids belong to the dialog), the command line
// into blocking waits; the commands' own time-outs are in the command catalogue.
namespace orv::protocol {

inline constexpr unsigned kReadParamsTimeoutMs = 2000;   // timer 3
inline constexpr unsigned kWriteParamsTimeoutMs = 5000;  // timer 16
inline constexpr unsigned kViewStepTimeoutMs = 2000;     // timers 41..45
// The live poll asks once per interval; an answer that has not come by the
// next tick counts as missed.
inline constexpr unsigned kPollIntervalMs = 1000;  // timer 4

// A restart is confirmed by the device answering a parameter read again, not
// by its acknowledgement (a device may reset before it sends one). The reads
// are sent one at a time, each waiting up to kRestartReadMs, starting once the
// acknowledgement came or kRestartReadMs after the command; a device that has
// not answered one within kRestartRecoveryMs of the command did not come back.
inline constexpr unsigned kRestartReadMs = 1000;
inline constexpr unsigned kRestartRecoveryMs = 5000;

}  // namespace orv::protocol
