// What the device report and the certificate say, before any page exists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calib/CheckRecordFile.h"
#include "report/CertificateDocument.h"
#include "report/DeviceReportDocument.h"
#include "support/SampleCheckRecords.h"

namespace orv::report {
namespace {

// Every text of the document, one per line, a table's row as "a | b | c".
std::string AllText(const Document& d) {
    std::string all;
    const auto line = [&](const std::string& s) { all += s + "\n"; };
    for (const Block& b : d.blocks) {
        if (const auto* t = std::get_if<Title>(&b)) line(t->text);
        if (const auto* h = std::get_if<Heading>(&b)) line(h->text);
        if (const auto* p = std::get_if<Paragraph>(&b)) line(p->text);
        if (const auto* f = std::get_if<Fields>(&b))
            for (const auto& [label, value] : f->rows) line(label + ": " + value);
        if (const auto* t = std::get_if<Table>(&b)) {
            for (const auto& row : t->rows) {
                std::string r;
                for (const auto& cell : row) r += (r.empty() ? "" : " | ") + cell;
                line(r);
            }
        }
        if (const auto* s = std::get_if<Signatures>(&b))
            for (const auto& row : s->rows)
                for (const auto& f : row) line(f.label);
    }
    return all;
}

TEST(DeviceReportDocument, AModelTypeOrChoiceTheToolDoesNotKnowIsSaidNotGuessed) {
    struct Case {
        const char* what;
        config::ParamFields fields;
        std::vector<std::string> present, absent;
    };
    config::ParamFields unknown;
    unknown.model = 9;
    unknown.inputType = 9;
    unknown.cjcMode = 2;
    unknown.wireCount = 0;
    unknown.dampingLevel = 12;
    config::ParamFields single;  // model 0 drives one output
    single.wireCount = 3;
    single.inputType = 32;
    single.rangeFull = 10.0f;
    const Case cases[] = {
        {"unknown values",
         unknown,
         {"Model: unknown model (code 9)", "Input type: unknown input type (code 9)",
          "CJC option | 2 (outside the setting's range)", "Wiring | 0 (outside the setting's range)",
          "Output damping | 12 (outside the setting's range)", "Output 2 zero trim"},
         {}},
        {"one output", single, {"Input type | Voltage", "Range full | 10.000 | V", "Output 1 zero trim"},
         {"Output 2"}},
    };
    for (const Case& c : cases) {
        config::ConfigRecord record;
        record.fields = c.fields;
        const std::string text = AllText(DeviceReportDocument(record, {}));
        for (const auto& s : c.present) EXPECT_NE(text.find(s), std::string::npos) << c.what << ": " << s << "\n" << text;
        for (const auto& s : c.absent) EXPECT_EQ(text.find(s), std::string::npos) << c.what << ": " << s;
    }
}

TEST(CertificateDocument, SaysWhatEachRunFoundAndWhatTheDeviceWasLeftAs) {
    struct Case {
        const char* what;
        calib::CheckRecord record;
        std::vector<std::string> present, absent;
    };
    calib::CheckRecord overdue = test::FoundAndLeftRecord();
    overdue.setup.reference.dueDate = "2026-12-08";
    const Case cases[] = {
        {"as found and as left",
         test::FoundAndLeftRecord(),
         {"Result: PASS (as left)", "Tag: TT-101", "Technician: 李伟", "Range: 0.0 to 1300.0 ℃",
          "Serial number: DB-23117", "Certificate due: 2027-06-30\n",
          "Offset correction | 0 ℃ | -13 ℃",  // each run's own block
          "Result: FAIL\n", "0 | 0.0 | 13.0 | 13.0 | 1.000 | — | FAIL",
          "50 | 650.0 | 663.0 | 13.0 | 1.000 | 0.161 (1.006 %) | FAIL", "Result: PASS\n",
          "75 * | 975.0 | 977.0 | 2.0 | 0.154 | — | pass", "* Not on steady readings", "Reviewer's signature:"},
         {"not measured", "stopped"}},
        {"cut off",
         test::IncompleteRecord(),
         {"Result: INCOMPLETE (as found)", "Result: INCOMPLETE — stopped: the device stopped answering",
          "25 | 325.0 | 325.2 | 0.2 | 0.015 | — | pass", "50 | — | — | — | — | — | not measured",
          "100 | — | — | — | — | — | not measured"},
         {"PASS", "As left"}},
        {"reference past due", overdue, {"Certificate due: 2026-12-08 — past due at the check"}, {}},
    };
    for (const Case& c : cases) {
        const std::string text = AllText(CertificateDocument(c.record));
        for (const auto& s : c.present) EXPECT_NE(text.find(s), std::string::npos) << c.what << ": " << s << "\n" << text;
        for (const auto& s : c.absent) EXPECT_EQ(text.find(s), std::string::npos) << c.what << ": " << s;
        // Built from the record alone: the record read back from its file prints the same.
        const calib::CheckRecordParse back = calib::ParseCheckRecord(calib::SerializeCheckRecord(c.record));
        ASSERT_TRUE(back.record) << back.reason;
        EXPECT_EQ(AllText(CertificateDocument(*back.record)), text) << c.what;
    }
}

}  // namespace
}  // namespace orv::report
