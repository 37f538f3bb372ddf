#pragma once
// How long each kind of request waits for its answer before "Time Out".
// The window timer ids belong to the dialog; the command time-outs are in
// the command catalogue.
namespace orv::protocol {

inline constexpr unsigned kReadParamsTimeoutMs = 2000;   // timer 3
inline constexpr unsigned kWriteParamsTimeoutMs = 5000;  // timer 16
inline constexpr unsigned kViewStepTimeoutMs = 2000;     // timers 41..45

}  // namespace orv::protocol
