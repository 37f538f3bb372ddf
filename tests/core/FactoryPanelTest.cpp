#include <gtest/gtest.h>

#include <array>
#include <set>

#include "support/DialogHarness.h"

namespace orv::test {
namespace {

namespace id = app::id;

constexpr std::array kPanel{1078, 1080, 1081, 1082, 1079, 1043, 1044, 1039, 1040, 1077, 1051, 1022, 1041};

TEST(FactoryPanel, EnablesThePanelWhileTheTypeRulesKeepDeciding) {
    struct Case {
        int model;  // -1: as the simulated device's read left it (universal, dual output)
        int position;
        std::set<int> enabled;
    };
    const Case cases[]{
        {-1, 0, {1053, 1036, 1037, 1050, 1038, 1067, 1070}},  // TC K
        {-1, 11, {1054, 1033, 1035, 1067, 1070}},
        {4, 16, {1072, 1073}},  // single output: no output 2 trims
    };
    for (const auto& c : cases) {
        DialogHarness h;
        h.Start();
        for (int control : kPanel) ASSERT_FALSE(h.window.IsControlEnabled(control)) << control;
        if (c.model >= 0) {
            h.window.SetCurSel(id::ModelList, c.model);
            h.dlg.FillInputTypeList(c.model, c.position);
        }
        h.window.SetCurSel(id::InputType, c.position);

        h.dlg.EnableFactoryPanel();
        for (int control : kPanel) EXPECT_TRUE(h.window.IsControlEnabled(control)) << control;
        EXPECT_EQ(h.EnabledTypeButtons(), c.enabled) << c.position;

        // A poll locks and restores only its own buttons.
        h.Click(id::AutoUpload);
        h.Click(id::StopUpload);
        for (int control : kPanel) EXPECT_TRUE(h.window.IsControlEnabled(control)) << control;
    }
}

}  // namespace
}  // namespace orv::test
