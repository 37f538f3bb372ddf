// Output trimming: drive the outputs at 4 mA or 20 mA with trial trim values,
// hand them back to the measurement, or load the standard trims.
#include <cstdint>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "config/TextConversions.h"
#include "protocol/CommandCatalogue.h"

namespace orv::app {

using protocol::FindCommand;
using protocol::kCmdFollowMeasurement;
using protocol::kCmdSimulateFull;
using protocol::kCmdSimulateZero;

namespace {

struct SimulatedPoint {
    std::uint8_t command;
    int out1Sim, out1Trim;
    int out2Sim, out2Trim;
};

constexpr SimulatedPoint kZeroPoint{protocol::kCmdSimulateZero, id::Out1ZeroSim, id::Out1ZeroTrim, id::Out2ZeroSim,
                                    id::Out2ZeroTrim};
constexpr SimulatedPoint kFullPoint{protocol::kCmdSimulateFull, id::Out1FullSim, id::Out1FullTrim, id::Out2FullSim,
                                    id::Out2FullTrim};

void SendWithTimeout(CMyDlgPrivate& dlg, std::uint8_t code, std::uint16_t first, std::uint16_t second) {
    dlg.SendCommand(code, first, second);
    dlg.Window().SetTimer(id::TimerCommand, protocol::FindCommand(code)->timeoutMs);
}

void Simulate(CMyDlgPrivate& dlg, const SimulatedPoint& point) {
    dlg.CollectSettings();
    const std::uint16_t out1 = config::TextToLow16(dlg.Values.Text(point.out1Sim));
    const std::uint16_t out2 = config::TextToLow16(dlg.Values.Text(point.out2Sim));
    // The trim fields take the texts as typed, so the update buttons store
    // exactly what the operator last saw the outputs driven with.
    dlg.Values.Text(point.out1Trim) = dlg.Values.Text(point.out1Sim);
    dlg.Values.Text(point.out2Trim) = dlg.Values.Text(point.out2Sim);
    dlg.ShowSettings();
    // Output 2 goes out whatever the model: a single-output device ignores it.
    SendWithTimeout(dlg, point.command, out1, out2);
}

// The standard trims, from which the operator starts adjusting.
struct TrimDefault {
    int trimField;
    int simField;
    long long value;
};
constexpr TrimDefault kTrimDefaults[]{
    {id::Out1ZeroTrim, id::Out1ZeroSim, 915},
    {id::Out1FullTrim, id::Out1FullSim, 4700},
    {id::Out2ZeroTrim, id::Out2ZeroSim, 915},
    {id::Out2FullTrim, id::Out2FullSim, 4700},
};

}  // namespace

void CMyDlgPrivate::SimulateZeroOutput() { Simulate(*this, kZeroPoint); }

void CMyDlgPrivate::SimulateFullOutput() { Simulate(*this, kFullPoint); }

void CMyDlgPrivate::FollowMeasurement() { SendWithTimeout(*this, protocol::kCmdFollowMeasurement, 0, 0); }

void CMyDlgPrivate::LoadTrimDefaults() {
    for (const auto& trim : kTrimDefaults) {
        Values.Text(trim.trimField) = config::IntToText(trim.value);
        Values.Text(trim.simField) = Values.Text(trim.trimField);
    }
    ShowSettings();
}

}  // namespace orv::app
