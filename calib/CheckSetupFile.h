#pragma once
// The check's set-up kept between runs of the program, so a technician
// checking a row of transmitters types the reference instrument and the
// points once. JSON, indented, with the record file's "setup" object:
//
//   {
//     "format": "orvane-check-setup",   // refused when different
//     "version": 1,                     // refused when newer than kCheckSetupVersion
//     "setup": {"points": [0, 25, 50, 75, 100], "downwards": false, "tolerance": 0.25, ...}
//   }
//
// It is a convenience: a file that cannot be read is the caller's to pass
// over with a word to the user, never a reason to stop.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "calib/CheckSetup.h"

namespace orv::calib {

inline constexpr std::string_view kCheckSetupFormat = "orvane-check-setup";
inline constexpr int kCheckSetupVersion = 1;
inline constexpr std::size_t kMaxCheckSetupBytes = 64u << 10;

std::string SerializeCheckSetup(const CheckSetup& setup);

struct CheckSetupParse {
    std::optional<CheckSetup> setup;
    std::string reason;  // why it is refused, in words for the user
};
// Refuses what the record file refuses in its set-up, and a set-up that cannot run.
CheckSetupParse ParseCheckSetup(std::string_view text);

struct CheckSetupLoad {
    std::optional<CheckSetup> setup;
    std::string error;  // naming the file and the reason; empty when read or when there is no file
};
CheckSetupLoad LoadCheckSetup(const std::filesystem::path& file);

// Makes the folder when it is missing and writes atomically. Empty on
// success, else the message.
std::string SaveCheckSetup(const std::filesystem::path& file, const CheckSetup& setup);

}  // namespace orv::calib
