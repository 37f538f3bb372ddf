#pragma once
// Every field of the parameter block once: where it lies, what it may hold,
// the word scripts and files use for it and for each of its values, and the
// label the window and the report show. The command line, the configuration
// files, the report, the window's routing and its transfer all read this one
// table, so a setting is spelled the same wherever a user meets it.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/ParamFields.h"
#include "config/ParamImage.h"

namespace orv::config {

enum class Setting : std::uint8_t {
    Model, InputType, CjcMode, WireCount, RangeZero, RangeFull, DampingLevel, BreakAlarm, OutputDirection,
    ResistanceCal, MillivoltCal, AmbientCal, Out1ZeroTrim, Out1FullTrim, OffsetCorrection, VoltageCal, CurrentCal,
    Out2ZeroTrim, Out2FullTrim,
};

// How the block stores a field (little-endian).
enum class Encoding : std::uint8_t { U8, I8, U16, I16, F32 };

// Where a field belongs: what the device is, how it is set up for its
// installation, or how its own sensor input and outputs are calibrated.
enum class SettingGroup : std::uint8_t { Identity, Installation, Calibration };

// One value of a field that takes named values.
struct ValueWord {
    int code;                // as the block holds it
    std::string_view word;   // scripts and files
    std::string_view label;  // the window's caption for it
};

struct SettingInfo {
    Setting id;
    std::string_view word;   // scripts and files: "rangeZero"
    std::string_view label;  // the window and the report: "Range zero"
    std::uint8_t offset;     // in the block; a write of the field alone sends offset and width
    std::uint8_t width;
    Encoding encoding;
    SettingGroup group;
    // The values the device gives meaning to: codes of named values, whole
    // numbers, or for floats the finite range.
    double min;
    double max;
    std::span<const ValueWord> values;  // named values; empty for numbers
    bool inRangeUnit;                   // measured in the input type's unit (range ends, offset)
};

// The usual value first: lists of choices in messages, help and README read
// in this order.
inline constexpr std::array kCjcWords{ValueWord{1, "internal", "Internal"},
                                      ValueWord{0, "external-cu50", "External Cu50"}};
inline constexpr std::array kBreakAlarmWords{ValueWord{0, "low", "Less than Low Limit"},
                                             ValueWord{1, "high", "Greater than High Limit"}};
inline constexpr std::array kDirectionWords{ValueWord{1, "4-20mA", "4mA - 20mA"},
                                            ValueWord{0, "20-4mA", "20mA - 4mA"}};

// The block holds the resistance calibration value times this.
inline constexpr double kResistanceCalScale = 50.0;
// The damping levels the window's list offers: 0 is the pass filter.
inline constexpr int kMaxDampingLevel = 9;

inline constexpr double kFloatMax = 3.4028234663852886e38;

inline constexpr std::array<SettingInfo, 19> kSettings{{
    {Setting::Model, "model", "Model", offset::model, 1, Encoding::U8, SettingGroup::Identity, 0, 5, {}, false},
    {Setting::InputType, "inputType", "Input type", offset::inputType, 1, Encoding::U8, SettingGroup::Installation, 0,
     255, {}, false},
    {Setting::CjcMode, "cjcMode", "CJC option", offset::cjcMode, 1, Encoding::U8, SettingGroup::Installation, 0, 1,
     kCjcWords, false},
    {Setting::WireCount, "wireCount", "Wiring", offset::wireCount, 1, Encoding::U8, SettingGroup::Installation, 2, 4,
     {}, false},
    {Setting::RangeZero, "rangeZero", "Range zero", offset::rangeZero, 4, Encoding::F32, SettingGroup::Installation,
     -kFloatMax, kFloatMax, {}, true},
    {Setting::RangeFull, "rangeFull", "Range full", offset::rangeFull, 4, Encoding::F32, SettingGroup::Installation,
     -kFloatMax, kFloatMax, {}, true},
    {Setting::DampingLevel, "dampingLevel", "Output damping", offset::dampingLevel, 1, Encoding::U8,
     SettingGroup::Installation, 0, kMaxDampingLevel, {}, false},
    {Setting::BreakAlarm, "breakAlarm", "Sensor break alarm", offset::breakAlarm, 1, Encoding::U8,
     SettingGroup::Installation, 0, 1, kBreakAlarmWords, false},
    {Setting::OutputDirection, "outputDirection", "Current output", offset::outputDirection, 1, Encoding::U8,
     SettingGroup::Installation, 0, 1, kDirectionWords, false},
    {Setting::ResistanceCal, "resistanceCal", "Resistance calibration", offset::resistanceCal, 4, Encoding::F32,
     SettingGroup::Calibration, -kFloatMax, kFloatMax, {}, false},
    {Setting::MillivoltCal, "millivoltCal", "Thermocouple and mV calibration", offset::millivoltCal, 2,
     Encoding::I16, SettingGroup::Calibration, -32768, 32767, {}, false},
    {Setting::AmbientCal, "ambientCal", "Internal temperature sensor calibration", offset::ambientCal, 2,
     Encoding::U16, SettingGroup::Calibration, 0, 65535, {}, false},
    {Setting::Out1ZeroTrim, "out1ZeroTrim", "Output 1 zero trim", offset::out1ZeroTrim, 2, Encoding::U16,
     SettingGroup::Calibration, 0, 65535, {}, false},
    {Setting::Out1FullTrim, "out1FullTrim", "Output 1 full-scale trim", offset::out1FullTrim, 2, Encoding::U16,
     SettingGroup::Calibration, 0, 65535, {}, false},
    {Setting::OffsetCorrection, "offsetCorrection", "Offset correction", offset::offsetCorrection, 1, Encoding::I8,
     SettingGroup::Installation, -128, 127, {}, true},
    {Setting::VoltageCal, "voltageCal", "Voltage calibration", offset::voltageCal, 2, Encoding::I16,
     SettingGroup::Calibration, -32768, 32767, {}, false},
    {Setting::CurrentCal, "currentCal", "Current calibration", offset::currentCal, 2, Encoding::I16,
     SettingGroup::Calibration, -32768, 32767, {}, false},
    {Setting::Out2ZeroTrim, "out2ZeroTrim", "Output 2 zero trim", offset::out2ZeroTrim, 2, Encoding::U16,
     SettingGroup::Calibration, 0, 65535, {}, false},
    {Setting::Out2FullTrim, "out2FullTrim", "Output 2 full-scale trim", offset::out2FullTrim, 2, Encoding::U16,
     SettingGroup::Calibration, 0, 65535, {}, false},
}};

constexpr const SettingInfo& InfoOf(Setting id) { return kSettings[static_cast<std::size_t>(id)]; }

// The setting with this word, or none.
const SettingInfo* FindSetting(std::string_view word);

// The field as a number, exactly as the block holds it (floats widened).
double ReadField(const SettingInfo& setting, std::span<const std::uint8_t, kParamBlockSize> block);
// A float field exactly as held: widened to double, a signalling NaN would
// come back quieted, one bit changed.
float FloatField(const SettingInfo& setting, std::span<const std::uint8_t, kParamBlockSize> block);
// Stores a number into the field in the field's encoding; the caller keeps
// it within the field's limits.
void WriteField(const SettingInfo& setting, double value, std::span<std::uint8_t, kParamBlockSize> block);
// Whether the block's value of the field is one the device gives meaning to.
bool FieldInLimits(const SettingInfo& setting, std::span<const std::uint8_t, kParamBlockSize> block);

// The word of a named value, or none for a code without one.
std::optional<std::string_view> WordOf(const SettingInfo& setting, int code);
std::optional<std::string_view> LabelOf(const SettingInfo& setting, int code);
// The code of a named value's word, or none.
std::optional<int> CodeOfWord(const SettingInfo& setting, std::string_view word);

// What the window and the report show for a setting's value in a block: the
// window's caption for a named value ("External Cu50"), "3-wire", "Pass
// Filter" or "Level 4", the input type's list text. Numbers are left to the
// caller, who knows the range's decimals.
std::optional<std::string> ValueLabel(const SettingInfo& setting, std::span<const std::uint8_t, kParamBlockSize> block);

// The unit a setting is measured in for this input type code ("" for none).
std::string_view UnitOf(const SettingInfo& setting, int inputTypeCode);

}  // namespace orv::config
