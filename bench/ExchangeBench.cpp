// How long the tool's own work takes per exchange, against the line time it
// has to fit in: at 1200 baud one byte takes 8.3 ms and the shortest answer
// 33 ms, so anything the tool does per answer must stay far below a
// millisecond to never delay the next byte or the poll's one-second period.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "protocol/Crc8.h"
#include "sim/Transmitter.h"

namespace {

using orv::app::MessageIcon;

// Window services that only keep state: no clock, timers are remembered.
class StateWindow : public orv::app::WindowServices {
public:
    void EnableControl(int id, bool enable) override {
        if (enable)
            disabled_.erase(id);
        else
            disabled_.insert(id);
    }
    bool IsControlEnabled(int id) const override { return disabled_.count(id) == 0; }
    std::string GetControlText(int id) const override {
        auto it = texts_.find(id);
        return it == texts_.end() ? std::string{} : it->second;
    }
    void SetControlText(int id, const std::string& text) override { texts_[id] = text; }
    bool IsChecked(int id) const override { return checked_.count(id) != 0; }
    void SetChecked(int id, bool c) override {
        if (c)
            checked_.insert(id);
        else
            checked_.erase(id);
    }
    int GetCurSel(int id) const override {
        auto it = lists_.find(id);
        return it == lists_.end() ? -1 : it->second.second;
    }
    void SetCurSel(int id, int index) override {
        auto& l = lists_[id];
        l.second = (index >= 0 && index < static_cast<int>(l.first.size())) ? index : -1;
    }
    int GetCount(int id) const override {
        auto it = lists_.find(id);
        return it == lists_.end() ? 0 : static_cast<int>(it->second.first.size());
    }
    void ResetContent(int id) override { lists_[id] = {}; }
    void AddString(int id, const std::string& text) override { lists_[id].first.push_back(text); }
    void SetTimer(int, unsigned) override {}
    void KillTimer(int) override {}
    void MessageBox(const std::string&, MessageIcon) override { ++messages; }
    int messages = 0;

private:
    std::set<int> disabled_;
    std::map<int, std::string> texts_;
    std::set<int> checked_;
    std::map<int, std::pair<std::vector<std::string>, int>> lists_;
};

// A serial component wired straight to a simulated transmitter: the answer is
// waiting as soon as the request is written.
class LoopbackComm : public orv::protocol::CMSComm {
public:
    orv::sim::Transmitter device;
    void SetCommPort(short) override {}
    void SetInBufferSize(short) override {}
    void SetInputLen(short) override {}
    void SetOutBufferSize(short) override {}
    void SetPortOpen(bool) override {}
    bool GetPortOpen() override { return true; }
    void SetRThreshold(short) override {}
    void SetSettings(const std::string&) override {}
    void SetOutput(const std::vector<std::uint8_t>& bytes) override {
        auto answer = device.Receive(bytes);
        rx_.insert(rx_.end(), answer.begin(), answer.end());
    }
    std::vector<std::uint8_t> GetInput() override {
        std::vector<std::uint8_t> out(rx_.begin(), rx_.end());
        rx_.clear();
        return out;
    }
    short GetCommEvent() override { return kEvReceive; }
    void SetInputMode(long) override {}
    void SetOnComm(std::function<void()> handler) override { onComm = std::move(handler); }
    std::function<void()> onComm;

private:
    std::deque<std::uint8_t> rx_;
};

void BM_Crc8WholeWrite(benchmark::State& state) {
    std::array<std::uint8_t, 41> frame{};
    for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i * 37);
    for (auto _ : state) benchmark::DoNotOptimize(orv::protocol::Crc8(frame));
}
BENCHMARK(BM_Crc8WholeWrite);

// Request, device answer, acceptance and decode of the whole block into the window.
void BM_ReadParametersRoundTrip(benchmark::State& state) {
    StateWindow window;
    LoopbackComm comm;
    orv::app::CMyDlgPrivate dlg(window, comm);
    for (int i = 0; i < 18; ++i) window.AddString(orv::app::id::InputType, "x");
    for (int i = 0; i < 6; ++i) window.AddString(orv::app::id::ModelList, "m");
    for (int i = 0; i < 10; ++i) window.AddString(orv::app::id::Damping, "d");
    for (auto _ : state) {
        dlg.OnCommand(orv::app::id::UploadParams);
        comm.onComm();
    }
    if (window.messages != 0) state.SkipWithError("unexpected message box");
}
BENCHMARK(BM_ReadParametersRoundTrip);

// One poll answer shown in the window, as it happens once a second.
void BM_PollAnswerDisplayed(benchmark::State& state) {
    StateWindow window;
    LoopbackComm comm;
    orv::app::CMyDlgPrivate dlg(window, comm);
    for (auto _ : state) {
        dlg.MeasureStep = 0;
        dlg.SendReadMeasure();
        comm.onComm();
    }
}
BENCHMARK(BM_PollAnswerDisplayed);

// Encode and write of the whole block, as the factory's "update all settings" does.
void BM_WholeBlockWrite(benchmark::State& state) {
    StateWindow window;
    LoopbackComm comm;
    orv::app::CMyDlgPrivate dlg(window, comm);
    for (auto _ : state) {
        dlg.OnCommand(orv::app::id::UpdateAllSettings);
        comm.onComm();
    }
}
BENCHMARK(BM_WholeBlockWrite);

}  // namespace
