// Any check record the reader accepts makes a certificate whose pages hold
// every character of its text: nothing of a record edited by hand (odd
// codes, long or strange text) is lost, cut or breaks the layout.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "calib/CheckRecordFile.h"
#include "report/CertificateDocument.h"
#include "report/PageLayout.h"
#include "report/TextWrap.h"

namespace {

using namespace orv::report;

// Every character a tenth of its font's size wide, as in the layout's tests.
class FakeMeasure : public TextMeasure {
public:
    double Width(Font font, std::string_view text) const override {
        double chars = 0;
        for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
        return chars * StyleOf(font).points / 10.0;
    }
    LineMetrics Line(Font font) const override { return {StyleOf(font).points * 0.8, StyleOf(font).points * 1.2}; }
};

void Count(std::map<char, long>& counts, std::string_view text, long sign) {
    for (char c : PrintableText(text))
        if (c != ' ' && c != '\n') counts[c] += sign;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const orv::calib::CheckRecordParse parsed =
        orv::calib::ParseCheckRecord(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed.record) return 0;
    const Document document = CertificateDocument(*parsed.record);
    const FakeMeasure measure;
    const auto pages = LayOut(document, kA4, measure);

    // The bytes of the blocks' text, less those placed: none may be left over.
    std::map<char, long> counts;
    for (const Block& b : document.blocks) {
        if (const auto* t = std::get_if<Title>(&b)) Count(counts, t->text, 1);
        if (const auto* h = std::get_if<Heading>(&b)) Count(counts, h->text, 1);
        if (const auto* p = std::get_if<Paragraph>(&b)) Count(counts, p->text, 1);
        if (const auto* f = std::get_if<Fields>(&b))
            for (const auto& [label, value] : f->rows) Count(counts, label + value, 1);
        if (const auto* t = std::get_if<Table>(&b)) {
            for (const Column& c : t->columns) Count(counts, c.title, 1);
            for (const auto& row : t->rows)
                for (const auto& cell : row) Count(counts, cell, 1);
        }
    }
    for (const Page& page : pages) {
        for (const PlacedText& t : page.texts) {
            Count(counts, t.text, -1);
            ORV_FUZZ_CHECK(t.baseline <= kA4.height && t.x >= 0, "text placed off the page: %s", t.text.c_str());
        }
    }
    for (const auto& [c, n] : counts) ORV_FUZZ_CHECK(n <= 0, "%ld of byte 0x%02x lost", n, static_cast<unsigned char>(c));
    return 0;
}
