// A parameter block read from the device, shown in the window, and written
// back with at most one field typed over. What the user did not touch must
// reach the device as it came: the integer fields bit for bit, the choices
// in their canonical form, and the decimal fields as read.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "config/ParamFields.h"
#include "config/TextConversions.h"
#include "support/FakeComm.h"
#include "support/FakeWindow.h"
#include "support/VirtualClock.h"

namespace {

using namespace orv;
namespace id = app::id;
using config::ParamFields;
using Block = std::array<std::uint8_t, config::kParamBlockSize>;

enum class Kind { Float, Resistance, Signed16, Unsigned16, Signed8 };
struct TextField {
    int control;
    std::size_t at;
    Kind kind;
};
constexpr std::array kTextFields{
    TextField{id::RangeZero, config::offset::rangeZero, Kind::Float},
    TextField{id::RangeFull, config::offset::rangeFull, Kind::Float},
    TextField{id::ResistanceCal, config::offset::resistanceCal, Kind::Resistance},
    TextField{id::MillivoltCal, config::offset::millivoltCal, Kind::Signed16},
    TextField{id::AmbientCal, config::offset::ambientCal, Kind::Unsigned16},
    TextField{id::Out1ZeroTrim, config::offset::out1ZeroTrim, Kind::Unsigned16},
    TextField{id::Out1FullTrim, config::offset::out1FullTrim, Kind::Unsigned16},
    TextField{id::Offset, config::offset::offsetCorrection, Kind::Signed8},
    TextField{id::VoltageCal, config::offset::voltageCal, Kind::Signed16},
    TextField{id::CurrentCal, config::offset::currentCal, Kind::Signed16},
    TextField{id::Out2ZeroTrim, config::offset::out2ZeroTrim, Kind::Unsigned16},
    TextField{id::Out2FullTrim, config::offset::out2FullTrim, Kind::Unsigned16},
};

std::size_t Width(Kind kind) {
    switch (kind) {
        case Kind::Float:
        case Kind::Resistance: return 4;
        case Kind::Signed8: return 1;
        default: return 2;
    }
}

bool SameBytes(const Block& a, const Block& b, std::size_t at, std::size_t n) {
    return std::memcmp(a.data() + at, b.data() + at, n) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Block read{};
    const auto bytes = in.ConsumeBytes<std::uint8_t>(read.size());
    std::copy(bytes.begin(), bytes.end(), read.begin());

    test::VirtualClock clock;
    test::FakeWindow window(clock);
    test::FakeComm comm(clock);
    app::CMyDlgPrivate dlg(window, comm);
    window.LoadTemplateDefaults();

    // The texts a block shows depend on the range shown before it, so the
    // block may follow another one.
    if (in.ConsumeBool()) {
        Block before{};
        const auto b = in.ConsumeBytes<std::uint8_t>(before.size());
        std::copy(b.begin(), b.end(), before.begin());
        dlg.DecodeParams(before);
    }
    dlg.DecodeParams(read);

    std::array<std::string, kTextFields.size()> shown;
    for (std::size_t k = 0; k < kTextFields.size(); ++k) shown[k] = window.GetControlText(kTextFields[k].control);

    // At most one field is typed over.
    const std::size_t edited = in.ConsumeIntegralInRange<std::size_t>(0, kTextFields.size());
    std::string typed;
    if (edited < kTextFields.size()) {
        typed = in.ConsumeRandomLengthString(40);
        window.TypeText(kTextFields[edited].control, typed);
    }
    dlg.EncodeParams();
    const Block& written = dlg.ParamImage.bytes;
    const ParamFields r = ParamFields::Read(read);
    const ParamFields w = ParamFields::Read(written);

    // The choices: what the window can show, it writes back; the rest in the
    // one form the window shows it.
    ORV_FUZZ_CHECK(w.model == (r.model < 6 ? r.model : 255), "model %u written as %u", r.model, w.model);
    ORV_FUZZ_CHECK(w.cjcMode == (r.cjcMode != 0 ? 1 : 0), "cjcMode %u written as %u", r.cjcMode, w.cjcMode);
    ORV_FUZZ_CHECK(w.wireCount == (r.wireCount >= 2 && r.wireCount <= 4 ? r.wireCount : 4),
                   "wireCount %u written as %u", r.wireCount, w.wireCount);
    ORV_FUZZ_CHECK(w.dampingLevel == (r.dampingLevel <= 9 ? r.dampingLevel : 0), "damping %u written as %u",
                   r.dampingLevel, w.dampingLevel);
    ORV_FUZZ_CHECK(w.breakAlarm == (r.breakAlarm != 0 ? 1 : 0), "breakAlarm %u written as %u", r.breakAlarm,
                   w.breakAlarm);
    ORV_FUZZ_CHECK(w.outputDirection == (r.outputDirection != 0 ? 1 : 0), "outputDirection %u written as %u",
                   r.outputDirection, w.outputDirection);

    for (std::size_t k = 0; k < kTextFields.size(); ++k) {
        const TextField& f = kTextFields[k];
        const std::size_t n = Width(f.kind);
        const bool untouched = k != edited || typed == shown[k];
        if (!untouched) {
            // A typed text is taken by the conversions, low bits kept.
            Block expect{};
            switch (f.kind) {
                case Kind::Float: {
                    const float v = config::TextToFloat(typed);
                    std::memcpy(expect.data() + f.at, &v, 4);
                    break;
                }
                case Kind::Resistance: {
                    const float v = config::TextToFloat(typed) * 50.0f;
                    std::memcpy(expect.data() + f.at, &v, 4);
                    break;
                }
                case Kind::Signed8: expect[f.at] = config::TextToLow8(typed); break;
                default: {
                    const std::uint16_t v = config::TextToLow16(typed);
                    expect[f.at] = static_cast<std::uint8_t>(v & 0xFF);
                    expect[f.at + 1] = static_cast<std::uint8_t>(v >> 8);
                }
            }
            ORV_FUZZ_CHECK(SameBytes(expect, written, f.at, n), "control %d typed \"%s\" written wrong", f.control,
                           typed.c_str());
            continue;
        }
        // The window shows decimals rounded (NaN and infinities as words), so
        // only the value as read can come back unchanged.
        ORV_FUZZ_CHECK(SameBytes(read, written, f.at, n), "control %d shown \"%s\" did not round-trip bit for bit",
                       f.control, shown[k].c_str());
    }
    return 0;
}
