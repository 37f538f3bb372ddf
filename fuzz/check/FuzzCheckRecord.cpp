// The calibration check's record file: no input may crash the reader, and a
// record it accepts is one it writes back and reads again to the same text,
// so a certificate printed from a reopened file is the one first printed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "calib/CheckRecordFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orv::calib;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const CheckRecordParse first = ParseCheckRecord(text);
    if (!first.record) {
        ORV_FUZZ_CHECK(!first.reason.empty(), "refused without a reason");
        return 0;
    }
    const std::string written = SerializeCheckRecord(*first.record);
    const CheckRecordParse again = ParseCheckRecord(written);
    ORV_FUZZ_CHECK(again.record, "its own text refused: %s", again.reason.c_str());
    ORV_FUZZ_CHECK(SerializeCheckRecord(*again.record) == written, "the text changed on the way back");
    return 0;
}
