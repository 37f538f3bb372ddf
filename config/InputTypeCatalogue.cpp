#include "config/InputTypeCatalogue.h"

#include <algorithm>

namespace orv::config {

namespace {

constexpr unsigned kVoltageCurrentModels = 0b000011;
constexpr unsigned kSensorModels = 0b111100;  // TC, RTD, mV, R and universal
constexpr unsigned kUniversalModels = 0b110000;

constexpr unsigned kThermocouple = kCjcUpdate | kMillivoltCalibration | kAmbientCalibration;
constexpr unsigned kResistive = kWiringUpdate | kResistanceCalibration;

constexpr std::array<InputTypeRow, 18> kInputTypes{{
    {"TC - K", "TC- K", 0, "℃", "℃", kSensorModels, kThermocouple, "tc-k"},
    {"TC - E", "TC- E", 1, "℃", "℃", kSensorModels, kThermocouple, "tc-e"},
    {"TC - S", "TC- S", 2, "℃", "℃", kSensorModels, kThermocouple, "tc-s"},
    {"TC - B", "TC- B", 3, "℃", "℃", kSensorModels, kThermocouple, "tc-b"},
    {"TC - R", "TC- R", 4, "℃", "℃", kSensorModels, kThermocouple, "tc-r"},
    {"TC - J", "TC- J", 5, "℃", "℃", kSensorModels, kThermocouple, "tc-j"},
    {"TC - T", "TC- T", 6, "℃", "℃", kSensorModels, kThermocouple, "tc-t"},
    {"TC - N", "TC- N", 7, "℃", "℃", kSensorModels, kThermocouple, "tc-n"},
    {"-80mV ~ 80mV", "mV: -80 ~ 80mV", 15, "uV", "", kSensorModels, kMillivoltCalibration, "mv"},
    {"PT100", "RTD - PT100", 16, "℃", "", kSensorModels, kResistive, "pt100"},
    {"Cu50", "RTD - Cu50", 17, "℃", "", kSensorModels, kResistive, "cu50"},
    {"0 ~ 400Ω", "R: 0 ~ 400", 23, "Ω", "", kSensorModels, kResistive, "r400"},
    {"PT200", "RTD - PT200", 24, "℃", "", kSensorModels, kResistive, "pt200"},
    {"PT500", "RTD - PT500", 25, "℃", "", kSensorModels, kResistive, "pt500"},
    {"PT1000", "RTD - PT1000", 26, "℃", "", kSensorModels, kResistive, "pt1000"},
    {"0 ~ 4KΩ", "R: 0 ~ 4K", 31, "Ω", "", kSensorModels, kResistive, "r4k"},
    {"Voltage", "Voltage", 32, "V", "", kVoltageCurrentModels | kUniversalModels, kVoltageCalibration, "voltage"},
    {"Current", "Current", 33, "mA", "", kVoltageCurrentModels | kUniversalModels, kCurrentCalibration, "current"},
}};

constexpr std::array<ModelRow, kModelCount> kModels{{
    {"QV-VC1：电压、电流输入：单输出", 1, std::nullopt, true},
    {"QV-VC2：电压、电流输入：双输出", 2, std::nullopt, true},
    {"QV-TR1：TC、RTD、mV、R输入：单输出", 1, std::nullopt, false},
    {"QV-TR2：TC、RTD、mV、R输入：双输出", 2, std::nullopt, false},
    {"QV-UN1：万能输入：单输出", 1, 17, false},
    {"QV-UN2：万能输入：双输出", 2, 17, false},
}};

bool Offers(int model, const InputTypeRow& row) { return (row.models >> model) & 1u; }

}  // namespace

const std::array<InputTypeRow, 18>& InputTypes() { return kInputTypes; }
const std::array<ModelRow, kModelCount>& Models() { return kModels; }

const ModelRow* FindModel(int model) {
    return (model >= 0 && model < kModelCount) ? &kModels[static_cast<std::size_t>(model)] : nullptr;
}

int MappingModel(int model) {
    if (FindModel(model)) return model;
    for (int m = 0; m < kModelCount; ++m)
        if (kModels[static_cast<std::size_t>(m)].catchAllRow) return m;
    return model;
}

int HighestCode() {
    int highest = 0;
    for (const auto& row : kInputTypes) highest = row.code > highest ? row.code : highest;
    return highest;
}

int RowAtPosition(int model, int position) {
    if (!FindModel(model) || position < 0) return kNoRow;
    int seen = 0;
    for (std::size_t row = 0; row < kInputTypes.size(); ++row) {
        if (!Offers(model, kInputTypes[row])) continue;
        if (seen++ == position) return static_cast<int>(row);
    }
    return kNoRow;
}

int PositionOfRow(int model, int row) {
    if (!FindModel(model) || row < 0 || row >= static_cast<int>(kInputTypes.size())) return kNoRow;
    if (!Offers(model, kInputTypes[static_cast<std::size_t>(row)])) return kNoRow;
    int position = 0;
    for (int r = 0; r < row; ++r) position += Offers(model, kInputTypes[static_cast<std::size_t>(r)]) ? 1 : 0;
    return position;
}

int ListSize(int model) {
    if (!FindModel(model)) return 0;
    int n = 0;
    for (const auto& row : kInputTypes) n += Offers(model, row) ? 1 : 0;
    return n;
}

int RowOfCode(int code) {
    for (std::size_t row = 0; row < kInputTypes.size(); ++row)
        if (kInputTypes[row].code == code) return static_cast<int>(row);
    return kNoRow;
}

int RowOfWord(std::string_view word) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t row = 0; row < kInputTypes.size(); ++row) {
        const std::string_view w = kInputTypes[row].word;
        if (w.size() == word.size() && std::equal(w.begin(), w.end(), word.begin(), [&](char a, char b) {
                return a == lower(b);
            }))
            return static_cast<int>(row);
    }
    return kNoRow;
}

bool ModelOffers(int model, int code) {
    const int row = RowOfCode(code);
    return row != kNoRow && PositionOfRow(model, row) != kNoRow;
}

}  // namespace orv::config
