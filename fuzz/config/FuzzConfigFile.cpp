// Saved configurations, from both ends. Any text the reader accepts, saved
// again and opened again, is the same record bit for bit. Any 36-byte block,
// saved the way "orvane-cli read -o" saves it and the way the window saves
// what it shows after reading it, opens again and means that very block.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <bit>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "app/core/CMyDlg.h"
#include "app/core/features/ConfigTransfer.h"
#include "app/core/ControlIds.h"
#include "config/ConfigFile.h"
#include "support/FakeComm.h"
#include "support/FakeWindow.h"
#include "support/Frames.h"
#include "support/VirtualClock.h"

namespace {

using namespace orv;
using Block = std::array<std::uint8_t, config::kParamBlockSize>;

Block BlockOf(const config::ParamFields& f) {
    Block b{};
    f.Write(b);
    return b;
}

std::string Hex(const Block& b) {
    std::string out;
    for (auto x : b) out += "0123456789abcdef"[x >> 4], out += "0123456789abcdef"[x & 15];
    return out;
}

std::string LeftNames(const config::ConfigRecord& r) {
    std::string out;
    for (const auto& l : config::SettingsOutOfRange(r)) out += l.name + " ";
    return out;
}

// Saved and opened again: every value as it was, nothing refused.
void CheckReopens(const config::ConfigRecord& record, const char* how) {
    const std::string text = config::SerializeConfig(record);
    const auto again = config::ParseConfig(text);
    ORV_FUZZ_CHECK(again.record, "%s: a saved file was refused: %s\n%s", how, again.reason.c_str(), text.c_str());
    ORV_FUZZ_CHECK(BlockOf(again.record->fields) == BlockOf(record.fields), "%s: the values changed: %s -> %s", how,
                   Hex(BlockOf(record.fields)).c_str(), Hex(BlockOf(again.record->fields)).c_str());
    ORV_FUZZ_CHECK(again.record->block == record.block && again.record->tool == record.tool &&
                       again.record->savedAt == record.savedAt,
                   "%s: the record of the read changed", how);
    ORV_FUZZ_CHECK(LeftNames(*again.record) == LeftNames(record), "%s: the settings outside their range changed", how);
    ORV_FUZZ_CHECK(config::SerializeConfig(*again.record) == text, "%s: saving again gives another text", how);
}

struct Window {
    test::VirtualClock clock;
    test::FakeWindow window{clock};
    test::FakeComm comm{clock};
    app::CMyDlg dlg{window, comm};
    app::LastBlockRead lastRead;

    Window() {
        window.LoadTemplateDefaults();
        window.onTimer = [this](int timer) { dlg.OnTimerEvent(timer); };
        comm.Attach(3, nullptr);  // the block comes from the fuzzer
        window.SetCurSel(app::id::PortList, 3);
        comm.SetCommPort(3);
        comm.SetPortOpen(true);
        dlg.AddObserver(&lastRead);
    }
    void Read(const Block& block) {
        dlg.OnCommand(app::id::UploadParams);
        test::Bytes answer{0x00, 0x03, 0x24};
        answer.insert(answer.end(), block.begin(), block.end());
        comm.Inject(test::Sealed(answer));
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    FuzzedDataProvider in(data + 1, size - 1);
    switch (data[0] % 3) {
        case 0: {
            const std::string text = in.ConsumeRemainingBytesAsString();
            const auto parsed = config::ParseConfig(text);
            if (parsed.record) CheckReopens(*parsed.record, "an accepted file");
            else ORV_FUZZ_CHECK(!parsed.reason.empty(), "refused without a reason");
            break;
        }
        case 1: {
            Block block{};
            const auto bytes = in.ConsumeBytes<std::uint8_t>(block.size());
            std::copy(bytes.begin(), bytes.end(), block.begin());
            config::ConfigRecord record;
            record.tool = "Orvane Revuvuvi 3.2.0";
            record.savedAt = "2026-12-09T01:02:03+01:00";
            record.fields = config::ParamFields::Read(block);
            record.block = block;
            CheckReopens(record, "read -o");
            break;
        }
        default: {
            Block block{};
            const auto bytes = in.ConsumeBytes<std::uint8_t>(block.size());
            std::copy(bytes.begin(), bytes.end(), block.begin());
            Window w;
            w.Read(block);
            ORV_FUZZ_CHECK(w.lastRead.Block() == block, "the window did not take the block");
            const auto captured = app::CaptureConfig(w.dlg, w.lastRead);
            ORV_FUZZ_CHECK(captured.record, "the window refused to save a block it read: %s", captured.error.c_str());
            ORV_FUZZ_CHECK(BlockOf(captured.record->fields) == block, "the window saves another block: %s -> %s",
                           Hex(block).c_str(), Hex(BlockOf(captured.record->fields)).c_str());
            CheckReopens(*captured.record, "the window");
            break;
        }
    }
    return 0;
}
