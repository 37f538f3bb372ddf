// The serial component's settings text. Beyond not crashing: what is taken
// writes back as a text that reads the same, and blanks around the fields and
// the case of the letters never change the answer.
#include <cctype>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "link/serial/LineSettings.h"

namespace {

using namespace orv::link;

std::string Canonical(const LineSettings& s) {
    static const char parity[] = {'n', 'e', 'o', 'm', 's'};
    static const char* stop[] = {"1", "1.5", "2"};
    return std::to_string(s.baud) + "," + parity[static_cast<int>(s.parity)] + "," + std::to_string(s.dataBits) +
           "," + stop[static_cast<int>(s.stopBits)];
}

std::string Spaced(const std::string& text) {
    std::string out = " \t";
    for (char c : text) out += c == ',' ? std::string(" , ") : std::string(1, c);
    return out + "  ";
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto parsed = ParseLineSettings(text);
    if (parsed) {
        ORV_FUZZ_CHECK(parsed->baud > 0 && parsed->dataBits >= 5 && parsed->dataBits <= 8, "\"%s\" out of range",
                       text.c_str());
        const std::string again = Canonical(*parsed);
        ORV_FUZZ_CHECK(ParseLineSettings(again) == parsed, "\"%s\" written back as \"%s\" reads otherwise",
                       text.c_str(), again.c_str());
    }
    ORV_FUZZ_CHECK(ParseLineSettings(Spaced(text)) == parsed, "blanks around the fields of \"%s\" matter",
                   text.c_str());
    ORV_FUZZ_CHECK(ParseLineSettings(Upper(text)) == parsed, "letter case in \"%s\" matters", text.c_str());
    return 0;
}
