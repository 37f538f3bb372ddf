#pragma once
// The device's commands (function 17): what each button sends, how long it
// waits, and what the user reads when the device confirms. The device echoes
// the command code in answer byte 3, and that alone picks the message.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orv::protocol {

struct CommandEntry {
    std::uint8_t code;
    // Arguments for the buttons that send fixed ones; the simulated-output
    // commands take theirs from the trim edits instead.
    std::uint16_t first;
    std::uint16_t second;
    unsigned timeoutMs;            // timer 17; 0 = no timer is started
    std::string_view answerText;   // empty = the answer shows nothing
};

inline constexpr std::uint8_t kCmdFollowMeasurement = 0;
inline constexpr std::uint8_t kCmdSimulateZero = 1;
inline constexpr std::uint8_t kCmdSimulateFull = 2;
inline constexpr std::uint8_t kCmdFactoryRestore = 3;
inline constexpr std::uint8_t kCmdRestart = 4;

inline constexpr std::array<CommandEntry, 5> kCommandCatalogue{{
    {kCmdFollowMeasurement, 0, 0, 2000, "设置当前输出为测量输出"},
    {kCmdSimulateZero, 0, 0, 2000, "Set Output Current 4mA"},
    {kCmdSimulateFull, 0, 0, 2000, "Set Output Current 20mA"},
    {kCmdFactoryRestore, 0, 0, 5000, "Recovery Factory Set Success !"},
    // A restart is not confirmed to the user: the device may reset before it
    // answers, so neither an answer nor its absence means anything.
    {kCmdRestart, 4, 0, 0, ""},
}};

inline constexpr std::string_view kUnknownCommandText = "未知操作";

// The catalogue row of `code`, or none for a code the tool never sends.
std::optional<CommandEntry> FindCommand(std::uint8_t code);

// What to show for a confirmed command whose answer carries `code`: the
// row's text, empty for a restart, "未知操作" for anything else.
std::string_view CommandAnswerText(std::uint8_t code);

}  // namespace orv::protocol
