#pragma once
// The input types the transmitter family measures and the six models. This is
// the one table every input type operation reads: list texts, device codes,
// unit labels, which models offer a type and which buttons it needs.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orv::config {

// The groups of type-dependent buttons; a catalogue row names the groups its
// type needs.
enum ButtonGroup : unsigned {
    kCjcUpdate = 1u << 0,
    kWiringUpdate = 1u << 1,
    kMillivoltCalibration = 1u << 2,  // thermocouple and mV
    kAmbientCalibration = 1u << 3,    // internal temperature sensor
    kResistanceCalibration = 1u << 4,
    kVoltageCalibration = 1u << 5,
    kCurrentCalibration = 1u << 6,
    kOutput2Trim = 1u << 7,
};

struct InputTypeRow {
    std::string_view startupText;  // as the window resource fills the list
    std::string_view modelText;    // as the tool fills it for a model
    std::uint8_t code;             // InputTypeCode on the device
    std::string_view unit;         // range, offset and measured value labels
    std::string_view ambientUnit;  // the ambient temperature label
    unsigned models;               // bit m set: model m offers this type
    unsigned buttons;              // ButtonGroup bits this type enables
    std::string_view word;         // as scripts and files spell it: no spaces, no Ω
};

struct ModelRow {
    std::string_view listText;
    int outputs;
    // Universal models take every code they do not know, and every list
    // position past their last entry, as this row (Current).
    std::optional<int> catchAllRow;
    // Voltage/current models complain when a write finds no input type
    // selected; the sensor models send the missing selection as it is.
    bool warnsWhenUnselected;
};

inline constexpr int kModelCount = 6;
inline constexpr int kNoRow = -1;

// The ambient reading is the device's own board temperature, in degrees
// Celsius whatever the input measures; the window labels it only where it is
// the cold junction (thermocouples).
inline constexpr std::string_view kAmbientUnit = "℃";

const std::array<InputTypeRow, 18>& InputTypes();
const std::array<ModelRow, kModelCount>& Models();

// The model's row, or nothing for a model outside 0..5.
const ModelRow* FindModel(int model);
// The model whose code and position mapping applies: a model byte the tool
// does not know is read the way the universal models read it.
int MappingModel(int model);
// The highest device code any type uses; codes above it name nothing.
int HighestCode();

// The catalogue row at a list position of a known model's list, kNoRow when
// the position is outside that list. Models outside 0..5 have an empty list.
int RowAtPosition(int model, int position);
// The list position of a row in a known model's list, kNoRow when the model
// does not offer it.
int PositionOfRow(int model, int row);
// Number of entries in the model's list.
int ListSize(int model);
// The row with this device code, kNoRow for a code no type uses.
int RowOfCode(int code);
// The row whose word this is (any case), kNoRow for none.
int RowOfWord(std::string_view word);
// Whether a known model's list offers the input type with this device code.
bool ModelOffers(int model, int code);

}  // namespace orv::config
