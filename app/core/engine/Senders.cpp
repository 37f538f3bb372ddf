// The four request senders. Each one replaces whatever request was
// outstanding; the caller starts the request's timer once the send returns,
// so a component error here also skips that timer.
#include <stdexcept>
#include <string>

#include "app/core/CMyDlgPrivate.h"
#include "protocol/Frames.h"

namespace orv::app {

namespace {

using protocol::FunctionCode;

// The steps run in this order on purpose: if the component throws at any of
// them, the dialog already records what was asked, and the read of Input
// right before Output drops bytes a late answer to an earlier request left
// waiting, so they never prefix this request's answer.
void Send(CMyDlgPrivate& dlg, FunctionCode f, const protocol::Frame& frame) {
    dlg.ExpectedLength = protocol::AnswerLength(f);
    auto& comm = dlg.Comm();
    comm.SetRThreshold(static_cast<short>(dlg.ExpectedLength & 0xFFFFu));
    (void)comm.GetInput();
    comm.SetOutput(frame);
}

}  // namespace

void CMyDlgPrivate::SendReadParams() {
    PendingFunction = protocol::ToByte(FunctionCode::ReadParams);
    Send(*this, FunctionCode::ReadParams, protocol::ReadParamsFrame());
}

void CMyDlgPrivate::SendReadMeasure() {
    PendingFunction = protocol::ToByte(FunctionCode::ReadMeasure);
    Send(*this, FunctionCode::ReadMeasure, protocol::ReadMeasureFrame());
}

void CMyDlgPrivate::SendWriteParams(std::uint8_t start, std::uint8_t count) {
    PendingFunction = protocol::ToByte(FunctionCode::WriteParams);
    // Every caller writes a fixed slice inside the block; a slice that runs
    // past it would send bytes that are not the device's parameters.
    if (static_cast<std::size_t>(start) + count > ParamImage.bytes.size())
        throw std::out_of_range("parameter write of " + std::to_string(count) + " bytes at address " +
                                std::to_string(start) + " runs past the 36-byte block");
    const std::span<const std::uint8_t> slice(ParamImage.bytes.data() + start, count);
    Send(*this, FunctionCode::WriteParams, protocol::WriteParamsFrame(start, slice));
}

void CMyDlgPrivate::SendCommand(std::uint8_t code, std::uint16_t first, std::uint16_t second) {
    PendingFunction = protocol::ToByte(FunctionCode::Command);
    Send(*this, FunctionCode::Command, protocol::CommandFrame(code, first, second));
}

}  // namespace orv::app
