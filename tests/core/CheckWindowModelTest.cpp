// What the check window shows and keeps, on the dialog's core against the
// simulated transmitter (TC K, 0..1300 degC) on the virtual clock.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "app/core/features/CheckWindowModel.h"
#include "sim/BlockFields.h"
#include "support/DialogHarness.h"

namespace orv::test {
namespace {

using app::CheckWindowModel;
using app::FormField;

struct Scratch {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("orvane-check-window-" + std::to_string(std::random_device{}()));
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

struct Bench {
    DialogHarness h;
    CheckWindowModel model;

    explicit Bench(const std::filesystem::path& kept)
        : model(h.dlg, kept, [] { return std::string("2026-12-09T10:00:00+01:00"); }) {
        using namespace sim::field;
        auto& b = h.device.Block();
        PutF32(b, kResistanceCal, static_cast<float>(h.device.truth.referenceOhms * 50.0));
        PutU16(b, kMillivoltCal, static_cast<std::uint16_t>(h.device.truth.millivoltCounts));
        PutU16(b, kAmbientCal, static_cast<std::uint16_t>(h.device.truth.ambientCountsAt0));
        h.Start();
    }
    void Type(FormField field, const std::string& text) {
        app::CheckForm form = model.Form();
        form[field] = text;
        model.Edit(form);
    }
};

TEST(CheckWindowModel, TheFormSaysWhatKeepsItFromRunningOnceEach) {
    const struct {
        FormField field;
        const char* typed;
        const char* problem;
    } cases[] = {
        {FormField::Points, "0, 50, x", "\"x\" in the list of test points is not a number"},
        {FormField::Points, "0, 120", "The test point 120 % is outside 0 to 100 %"},
        {FormField::Tolerance, "a quarter", "The tolerance \"a quarter\" is not a number"},
        {FormField::Tolerance, "0", "The tolerance must be above 0"},
        {FormField::Readings, "2.5", "The readings per point \"2.5\" is not a whole number"},
        {FormField::SettleTime, "3", "The settle time must be from 5 s"},
        {FormField::ReferenceDue, "2027-02-30", "is not a date written as YYYY-MM-DD"},
    };
    const app::CheckForm usual = app::FormOf(calib::CheckSetup{});
    EXPECT_TRUE(app::ReadForm(usual).problems.empty());
    for (const auto& c : cases) {
        app::CheckForm form = usual;
        form[c.field] = c.typed;
        const auto problems = app::ReadForm(form).problems;
        ASSERT_EQ(problems.size(), 1u) << c.typed;
        EXPECT_NE(problems[0].find(c.problem), std::string::npos) << problems[0];
    }
}

TEST(CheckWindowModel, TheSetUpStartedWithIsThereTheNextTime) {
    Scratch s;
    const auto kept = s.dir / "orvane" / "check-setup.json";  // the folder is made when needed
    app::CheckForm typed;
    {
        Bench b(kept);
        b.Type(FormField::Points, "0,50,100");
        b.Type(FormField::Technician, "李伟");
        b.model.Start(calib::RunKind::AsFound);
        typed = b.model.Form();
    }
    typed[FormField::Points] = "0, 50, 100";  // as the form writes a list
    Bench again(kept);
    EXPECT_EQ(again.model.Form(), typed);
    EXPECT_TRUE(again.model.Problems().empty());
}

TEST(CheckWindowModel, AKeptSetUpThatCannotBeReadIsPassedOverWithANotice) {
    const struct {
        const char* text;  // nullptr: a folder stands there
        const char* reason;
    } cases[] = {
        {"{\"format\": \"orvane-check-setup\", \"vers", "it is truncated"},
        {"{\"format\": \"orvane-check-setup\", \"version\": 2}", "it was written in format version 2 by a newer program"},
        {nullptr, "it is a folder, not a file"},
    };
    for (const auto& c : cases) {
        Scratch s;
        const auto kept = s.dir / "check-setup.json";
        std::filesystem::create_directories(c.text ? s.dir : kept);
        if (c.text) std::ofstream(kept) << c.text;
        Bench b(kept);
        EXPECT_EQ(b.model.Form(), app::FormOf(calib::CheckSetup{})) << c.reason;
        const auto problems = b.model.Problems();
        ASSERT_EQ(problems.size(), 1u) << c.reason;
        EXPECT_NE(problems[0].find("cannot be read: " + std::string(c.reason)), std::string::npos) << problems[0];
        // The file gives way to the next set-up that runs; the folder cannot.
        b.model.Start(calib::RunKind::AsFound);
        EXPECT_EQ(Bench(kept).model.Problems().empty(), c.text != nullptr) << c.reason;
    }
}

TEST(CheckWindowModel, TheShownReferenceIsTheValueToApplyAndClosingEndsTheRunKeepingItsPoints) {
    Scratch s;
    Bench b(s.dir / "check-setup.json");
    // 33.33 % of 1300 is 433.29, shown rounded to the range's decimals.
    b.Type(FormField::Points, "33.33, 50, 100");
    b.model.Start(calib::RunKind::AsFound);
    b.h.Advance(1000);
    for (int point = 0; point < 2; ++point) {
        const app::CheckPoint p = b.model.Point();
        b.h.device.ApplyInput(b.model.Check().Session().Nominal());
        b.model.Accept(p.referenceDefault, "");
        for (int t = 0; t < 20 && b.model.Point().key == p.key; ++t) b.h.Advance(1000);
    }
    EXPECT_EQ(b.model.Point().referenceDefault, "1300.0");
    b.model.Close();

    const auto& run = b.model.Check().Session().Record().runs.back();
    ASSERT_EQ(run.points.size(), 2u);
    EXPECT_EQ(run.points[0].reference, run.points[0].nominal);
    EXPECT_FLOAT_EQ(run.points[0].nominal, 433.29f);
    EXPECT_EQ(run.stopped, "aborted by the user");
    EXPECT_FALSE(b.h.window.TimerRunning(app::id::TimerPoll));
    const app::CheckControls can = b.model.Controls();
    EXPECT_FALSE(can.form);  // the record's set-up is fixed once a run is in it
    EXPECT_TRUE(can.start && can.newCheck && can.save && !can.accept && !can.abort);
    EXPECT_EQ(b.model.Rows().size(), 2u);
    EXPECT_EQ(b.model.Result(), "Result: incomplete (as found: incomplete, 2 of 3 points)");
}

}  // namespace
}  // namespace orv::test
