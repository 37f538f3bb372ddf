// The receive path as the dialog runs it: a request goes out, the line
// delivers arbitrary bytes in arbitrary chunks (with time passing, other
// event kinds, time-outs firing, the cable pulled and the port opened again),
// then the user repeats an action and the device answers properly. Whatever
// came before, that answer must be taken, and nothing on the way may escape a
// handler as an error box.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "support/FakeComm.h"
#include "support/FakeWindow.h"
#include "support/Frames.h"
#include "support/VirtualClock.h"

namespace {

using namespace orv;
namespace id = app::id;
using test::Bytes;

// Buttons that send one request each; the poll is started and left to tick.
constexpr std::array kSenders{id::UploadParams, id::UpdateDamping, id::UpdateZero, id::RecFactory,
                              id::Restart,      id::AutoUpload,    id::ViewResistance, id::ViewMillivolt,
                              id::ViewAmbient,  id::ViewVoltage,   id::ViewCurrent,  id::UpdateAllSettings};

struct Line {
    test::VirtualClock clock;
    test::FakeWindow window{clock};
    test::FakeComm comm{clock};
    app::CMyDlgPrivate dlg{window, comm};

    Line() {
        window.LoadTemplateDefaults();
        window.onTimer = [this](int timer) { dlg.OnTimerEvent(timer); };
        comm.Attach(3, nullptr);  // nobody answers but the fuzzer
        window.SetCurSel(id::PortList, 3);
        comm.SetCommPort(3);
        comm.SetPortOpen(true);
    }
};

bool NoStopBox(const test::FakeWindow& window) {
    return std::none_of(window.messages.begin(), window.messages.end(),
                        [](const test::ShownMessage& m) { return m.icon == app::MessageIcon::Stop; });
}

void Deliver(Line& line, FuzzedDataProvider& in, const Bytes& answer) {
    // The line may split an answer anywhere; only the threshold decides when
    // the engine looks.
    std::size_t at = 0;
    while (at < answer.size()) {
        const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(1, answer.size() - at);
        line.comm.Inject(Bytes(answer.begin() + static_cast<long>(at), answer.begin() + static_cast<long>(at + n)));
        at += n;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Line line;

    // The garbage phase.
    line.dlg.OnCommand(in.PickValueInArray(kSenders));
    const int rounds = in.ConsumeIntegralInRange(0, 24);
    for (int r = 0; r < rounds && in.remaining_bytes() > 0; ++r) {
        switch (in.ConsumeIntegralInRange(0, 6)) {
            case 0: line.comm.RaiseEvent(in.ConsumeIntegral<short>()); break;
            case 6:
                // The cable is pulled and plugged in again: the port must be
                // choosable again, and "connection" opens it anew.
                line.comm.LoseLine();
                ORV_FUZZ_CHECK(line.window.IsControlEnabled(id::Connection) &&
                                   line.window.IsControlEnabled(id::PortList),
                               "the port cannot be chosen again after the line failed");
                ORV_FUZZ_CHECK(!line.window.TimerRunning(id::TimerPoll), "a poll runs on a closed port");
                line.dlg.OnCommand(id::Connection);
                break;
            case 1: line.clock.Advance(in.ConsumeIntegralInRange(0, 2500)); break;
            case 2: line.dlg.OnCommand(in.PickValueInArray(kSenders)); break;
            default: {
                const auto chunk = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(1, 90));
                line.comm.Inject(chunk);
                break;
            }
        }
    }
    ORV_FUZZ_CHECK(NoStopBox(line.window), "an error escaped a handler: %s", line.window.messages.back().text.c_str());

    // The user stops any poll and repeats one action; the device answers it.
    line.dlg.OnCommand(id::StopUpload);
    const std::size_t boxesBefore = line.window.messages.size();
    switch (in.ConsumeIntegralInRange(0, 4)) {
        case 0: {
            line.dlg.OnCommand(id::UploadParams);
            Bytes answer{0x00, 0x03, 0x24};
            auto block = in.ConsumeBytes<std::uint8_t>(36);
            block.resize(36);
            answer.insert(answer.end(), block.begin(), block.end());
            Deliver(line, in, test::Sealed(answer));
            ORV_FUZZ_CHECK(!line.window.TimerRunning(id::TimerReadParams), "parameter block not taken");
            ORV_FUZZ_CHECK(!line.window.IsControlEnabled(id::Connection), "port not fixed after the first block");
            break;
        }
        case 1: {
            line.dlg.OnCommand(id::UpdateDamping);
            Deliver(line, in, test::WriteAck());
            ORV_FUZZ_CHECK(!line.window.TimerRunning(id::TimerWrite), "write answer not taken");
            ORV_FUZZ_CHECK(line.window.messages.size() > boxesBefore &&
                               line.window.messages.back().text == "Update Success !",
                           "write answer shown wrong");
            break;
        }
        case 2: {
            line.dlg.OnCommand(id::RecFactory);
            const std::uint8_t code = in.ConsumeIntegral<std::uint8_t>();
            Deliver(line, in, test::CommandAck(code));
            ORV_FUZZ_CHECK(!line.window.TimerRunning(id::TimerCommand), "command answer not taken");
            break;
        }
        case 3: {
            const int step = in.ConsumeIntegralInRange(1, 5);
            constexpr std::array kViews{id::ViewResistance, id::ViewMillivolt, id::ViewAmbient, id::ViewVoltage,
                                        id::ViewCurrent};
            line.dlg.OnCommand(kViews[static_cast<std::size_t>(step - 1)]);
            std::array<std::uint16_t, 5> raw{};
            for (auto& r : raw) r = in.ConsumeIntegral<std::uint16_t>();
            Deliver(line, in, test::MeasureAnswer(raw, in.ConsumeFloatingPoint<float>(),
                                                  in.ConsumeFloatingPoint<float>()));
            ORV_FUZZ_CHECK(!line.window.TimerRunning(id::TimerViewBase + step), "view step %d answer not taken", step);
            break;
        }
        default: {
            line.dlg.OnCommand(id::AutoUpload);
            line.clock.Advance(1000);  // the first tick sends the poll
            ORV_FUZZ_CHECK(line.dlg.PollMissed, "no poll went out");
            const float measured = in.ConsumeFloatingPoint<float>();
            Deliver(line, in, test::MeasureAnswer({}, 25.0f, measured));
            ORV_FUZZ_CHECK(!line.dlg.PollMissed, "poll answer not taken");
            line.clock.Advance(1000);  // answered, so the poll goes on
            ORV_FUZZ_CHECK(line.window.TimerRunning(id::TimerPoll), "answered poll stopped");
            break;
        }
    }
    ORV_FUZZ_CHECK(NoStopBox(line.window), "an error escaped a handler: %s", line.window.messages.back().text.c_str());
    return 0;
}
