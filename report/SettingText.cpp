#include "report/SettingText.h"

#include "config/SettingText.h"

namespace orv::report {

using config::Encoding;
using config::InfoOf;
using config::InRangeText;
using config::ReadField;
using config::Setting;

std::string SettingValueText(const config::SettingInfo& s, std::span<const std::uint8_t, config::kParamBlockSize> block) {
    if (auto label = config::ValueLabel(s, block)) return *std::move(label);
    const double v = ReadField(s, block);
    const std::string code = std::to_string(static_cast<long long>(v));
    switch (s.id) {
        case Setting::Model: return "unknown model (code " + code + ")";
        case Setting::InputType: return "unknown input type (code " + code + ")";
        case Setting::WireCount:
        case Setting::DampingLevel: return code + " (outside the setting's range)";
        default: break;
    }
    if (!s.values.empty()) return code + " (outside the setting's range)";
    if (s.encoding != Encoding::F32) return code;
    if (s.id == Setting::ResistanceCal) return InRangeText(v / config::kResistanceCalScale, block);
    return InRangeText(v, block);
}

}  // namespace orv::report
