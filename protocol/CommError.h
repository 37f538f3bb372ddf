#pragma once
// An error raised by the serial component. It carries the component's own
// description; the dialog's dispatch shows it in a stop-icon message box.
#include <stdexcept>
#include <string>

namespace orv::protocol {

class CommError : public std::runtime_error {
public:
    explicit CommError(const std::string& text) : std::runtime_error(text) {}
};

// Texts the serial component uses for conditions of its own making (the
// operating system's texts are passed through as they come).
inline constexpr const char* kErrPortNotOpen = "Operation valid only when the port is open";
inline constexpr const char* kErrPortAlreadyOpen = "Port already open";
inline constexpr const char* kErrInvalidPortNumber = "Invalid port number";
inline constexpr const char* kErrInvalidSettings = "Invalid property value";

}  // namespace orv::protocol
