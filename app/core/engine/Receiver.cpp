// The receive side of the request engine: take the answer in, test it, and
// route it by function code. A rejected answer changes nothing, so the
// request's timer goes on and reports the miss.
#include <algorithm>
#include <array>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "protocol/Frames.h"
#include "protocol/FunctionCode.h"
#include "protocol/MeasureBlock.h"
#include "protocol/CommandCatalogue.h"

namespace orv::app {

namespace {
using protocol::FunctionCode;
using protocol::ToByte;
constexpr std::size_t kParamPayloadAt = 3;
constexpr std::size_t kCommandCodeAt = 3;
constexpr MessageIcon kNote = MessageIcon::Exclamation;
}  // namespace

std::uint8_t CMyDlgPrivate::CheckResponse() const {
    return protocol::AcceptAnswer(ReceiveBuffer, ExpectedLength, PendingFunction);
}

void CMyDlgPrivate::OnCommEvent() {
    const short event = comm_.GetCommEvent();
    if (event == protocol::CMSComm::kEvPortClosed) {
        OnLineLost();
        return;
    }
    if (event != protocol::CMSComm::kEvReceive) return;

    const std::vector<std::uint8_t> input = comm_.GetInput();
    // Anything past the buffer is dropped: no answer is longer than 40 bytes,
    // so such a read is line noise around at most one answer at its start.
    const std::size_t kept = std::min(input.size(), ReceiveBuffer.size());
    std::copy_n(input.begin(), kept, ReceiveBuffer.begin());

    // A read shorter than the answer would be completed by whatever an
    // earlier read left in the buffer, and an old answer of the same kind
    // would then pass the checksum as if it had just arrived.
    if (kept < ExpectedLength) return;

    switch (CheckResponse()) {
        case ToByte(FunctionCode::ReadParams): {
            window_.KillTimer(id::TimerReadParams);
            // Decoding may open a box, and its loop may take the next read
            // into ReceiveBuffer: decode a copy, not the live buffer.
            std::array<std::uint8_t, config::kParamBlockSize> block{};
            std::copy_n(ReceiveBuffer.begin() + kParamPayloadAt, block.size(), block.begin());
            DecodeParams(block);
            // The first block read proves the port reaches a device: from
            // then on the port is fixed for the run.
            if (window_.IsControlEnabled(id::Connection)) {
                window_.EnableControl(id::Connection, false);
                window_.EnableControl(id::PortList, false);
            }
            Notify([&](DialogObserver& o) { o.OnParamsRead(block); });
            break;
        }
        case ToByte(FunctionCode::ReadMeasure):
            if (MeasureStep == 0) {
                PollMissed = false;
                // Decoded again here rather than from the window's texts, which
                // are rounded to the range's decimals.
                const auto reading = protocol::DecodeMeasureBlock(
                    std::span<const std::uint8_t, 18>(ReceiveBuffer.data() + kParamPayloadAt, 18));
                ShowMeasurement();
                Notify([&](DialogObserver& o) { o.OnMeasurement(reading); });
            } else if (MeasureStep >= 1 && MeasureStep <= 5) {
                window_.KillTimer(id::TimerViewBase + MeasureStep);
                ApplyCalibrationView(MeasureStep);
            }
            break;
        case ToByte(FunctionCode::WriteParams):
            window_.KillTimer(id::TimerWrite);
            window_.MessageBox("Update Success !", kNote);
            break;
        case ToByte(FunctionCode::Command): {
            window_.KillTimer(id::TimerCommand);
            // Read before the box opens: its nested loop may take in the
            // next answer over this one.
            const std::string_view text = protocol::CommandAnswerText(ReceiveBuffer[kCommandCodeAt]);
            if (!text.empty()) window_.MessageBox(std::string(text), kNote);
            break;
        }
        default:
            break;
    }
}

}  // namespace orv::app
