#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "config/ConfigFile.h"
#include "support/SampleBlock.h"

namespace orv::test {
namespace {

using config::ConfigRecord;

ConfigRecord SampleRecord() {
    ConfigRecord rec;
    rec.tool = "Orvane Revuvuvi 3.02";
    rec.savedAt = "2026-12-09T01:02:03+01:00";
    rec.fields = SampleFields();
    rec.block = ToBlock(rec.fields);
    return rec;
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ConfigFile, RoundTripKeepsEveryFieldAndTheRawBlock) {
    ConfigRecord odd = SampleRecord();
    // Floats that are not short in binary must still come back bit for bit.
    odd.fields.rangeZero = 0.1f;
    odd.fields.rangeFull = -3.4e38f;
    odd.fields.resistanceCal = 1.0f / 3.0f;
    odd.fields.cjcMode = 0;
    odd.fields.breakAlarm = 0;
    odd.fields.outputDirection = 0;
    odd.block[35] = 0xAB;
    for (const ConfigRecord& rec : {SampleRecord(), odd}) {
        const std::string text = config::SerializeConfig(rec);
        const auto parsed = config::ParseConfig(text);
        ASSERT_TRUE(parsed.record) << parsed.reason;
        EXPECT_EQ(ToBlock(parsed.record->fields), ToBlock(rec.fields));
        EXPECT_EQ(parsed.record->block, rec.block);
        EXPECT_EQ(parsed.record->savedAt, rec.savedAt);
    }
    // Readable: the short form, the names and the units are in the text.
    const std::string text = config::SerializeConfig(odd);
    for (const char* part : {"\"value\": 0.1,", "\"unit\": \"℃\"", "\"QV-UN2：万能输入：双输出\"", "\"TC- K\"",
                             "\"cjcMode\": \"external-cu50\""})
        EXPECT_NE(text.find(part), std::string::npos) << part;
}

TEST(ConfigFile, RefusesWhatIsNotAGoodConfiguration) {
    ConfigRecord voltageOnSensorModel = SampleRecord();
    voltageOnSensorModel.fields.model = 2;
    voltageOnSensorModel.fields.inputType = 32;
    const struct {
        const char* name;
        std::function<void(std::string&)> spoil;
        std::string reason;
    } cases[] = {
        {"not JSON", [](std::string& t) { t = "model=5\n"; }, "it is not JSON"},
        {"truncated", [](std::string& t) { t.resize(t.size() / 2); }, "it is truncated"},
        {"other format", [](std::string& t) { Replace(t, "orvane-configuration", "orvane-report"); },
         "it is not an Orvane configuration"},
        {"not an object", [](std::string& t) { t = "[1, 2]"; }, "it is not an Orvane configuration"},
        {"newer version", [](std::string& t) { Replace(t, "\"version\": 1", "\"version\": 2"); },
         "format version 2 by a newer program"},
        {"missing field", [](std::string& t) { Replace(t, "\"wireCount\": 3,", ""); },
         "the field \"settings.wireCount\" is missing"},
        {"missing section", [](std::string& t) { Replace(t, "\"calibration\"", "\"calibrations\""); },
         "the field \"calibration\" is missing"},
        {"text for a number", [](std::string& t) { Replace(t, "\"dampingLevel\": 2", "\"dampingLevel\": \"2\""); },
         "\"settings.dampingLevel\" must be a whole number"},
        {"fraction for a whole number", [](std::string& t) { Replace(t, "\"wireCount\": 3", "\"wireCount\": 3.5"); },
         "\"settings.wireCount\" must be a whole number"},
        {"unknown word", [](std::string& t) { Replace(t, "\"high\"", "\"up\""); },
         "\"settings.breakAlarm\" is \"up\", not \"low\" or \"high\""},
        {"wiring out of range", [](std::string& t) { Replace(t, "\"wireCount\": 3", "\"wireCount\": 7"); },
         "\"settings.wireCount\" is 7, outside 2 to 4"},
        {"damping out of range", [](std::string& t) { Replace(t, "\"dampingLevel\": 2", "\"dampingLevel\": 12"); },
         "outside 0 to 9"},
        {"offset out of range", [](std::string& t) { Replace(t, "\"value\": -5", "\"value\": 200"); },
         "\"settings.offsetCorrection.value\" is 200, outside -128 to 127"},
        {"trim out of range", [](std::string& t) { Replace(t, "\"ambientCal\": 40000", "\"ambientCal\": -1"); },
         "\"calibration.ambientCal\" is -1, outside 0 to 65535"},
        {"huge unsigned", [](std::string& t) { Replace(t, "\"ambientCal\": 40000", "\"ambientCal\": 18446744073709551615"); },
         "outside 0 to 65535"},
        {"float beyond single precision", [](std::string& t) { Replace(t, "\"value\": 1300.0", "\"value\": 1e39"); },
         "\"settings.rangeFull.value\" is 1e+39, outside"},
        {"unknown input type", [](std::string& t) { Replace(t, "\"code\": 0,", "\"code\": 9,"); },
         "\"inputType.code\" 9 is no input type"},
        {"name that disagrees with the code", [](std::string& t) { Replace(t, "\"TC- K\"", "\"TC- J\""); },
         "\"inputType.name\" does not name input type 0"},
        {"unit that disagrees with the type", [](std::string& t) { Replace(t, "\"unit\": \"℃\"", "\"unit\": \"V\""); },
         "\"settings.rangeZero.unit\" is not \"℃\""},
        {"type the model does not offer",
         [&](std::string& t) { t = config::SerializeConfig(voltageOnSensorModel); },
         "input type 32 (Voltage) is not offered by model 2"},
        {"short block", [](std::string& t) { Replace(t, "\"block\": \"05 00", "\"block\": \"05"); },
         "\"block\" must be the 36 bytes"},
        {"larger than 1 MiB", [](std::string& t) { t += std::string(config::kMaxConfigFileBytes, ' '); },
         "larger than 1 MiB"},
    };
    for (const auto& c : cases) {
        std::string text = config::SerializeConfig(SampleRecord());
        c.spoil(text);
        const auto parsed = config::ParseConfig(text);
        EXPECT_FALSE(parsed.record) << c.name;
        EXPECT_NE(parsed.reason.find(c.reason), std::string::npos) << c.name << ": " << parsed.reason;
    }
}

TEST(ConfigFile, ConnectedModelMustOfferTheInputType) {
    const struct {
        int model;
        int code;
        bool accepted;
    } cases[] = {
        {5, 0, true},    {5, 33, true},   {2, 31, true},  {2, 32, false},
        {0, 32, true},   {1, 0, false},   {-1, 0, false},  // nothing read yet: no model to check against
    };
    for (const auto& c : cases) {
        ConfigRecord rec = SampleRecord();
        rec.fields.inputType = static_cast<std::uint8_t>(c.code);
        EXPECT_EQ(config::CheckModelAccepts(c.model, rec).empty(), c.accepted) << c.model << "/" << c.code;
    }
}

TEST(ConfigFile, ApplyLeavesTheModelAndTakesCalibrationOnlyWhenAsked) {
    ConfigRecord rec = SampleRecord();
    config::ParamFields device;
    device.model = 4;
    device.millivoltCal = 7;
    config::ApplyConfig(rec, device, false);
    EXPECT_EQ(device.model, 4);
    EXPECT_EQ(device.millivoltCal, 7);
    EXPECT_EQ(device.rangeFull, 1300.0f);
    EXPECT_EQ(device.offsetCorrection, -5);
    config::ApplyConfig(rec, device, true);
    EXPECT_EQ(device.millivoltCal, -300);
    EXPECT_EQ(device.out2FullTrim, 4701);
}

class ConfigFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("orvane-config-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

TEST_F(ConfigFileOnDisk, AFailedSaveLeavesTheOldFileWholeAndNoTemporary) {
    const auto target = dir / "plant.json";
    ASSERT_EQ(config::WriteFileAtomically(target, "old"), "");
    // A disk that fills up half way through the new text.
    const auto fullDisk = [](const std::filesystem::path& temp, std::string_view text) -> std::string {
        std::ofstream(temp, std::ios::binary) << text.substr(0, text.size() / 2);
        return "No space left on device";
    };
    const std::string error = config::WriteFileAtomically(target, "the new configuration", fullDisk);
    EXPECT_NE(error.find("plant.json"), std::string::npos) << error;
    EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    EXPECT_EQ(ReadAll(target), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);

    EXPECT_EQ(config::WriteFileAtomically(target, "new"), "");
    EXPECT_EQ(ReadAll(target), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
    EXPECT_NE(config::WriteFileAtomically(dir / "no-such-folder" / "x.json", "new"), "");
}

TEST_F(ConfigFileOnDisk, LoadNamesTheFileInEveryRefusal) {
    const auto good = dir / "good.json";
    ASSERT_EQ(config::WriteFileAtomically(good, config::SerializeConfig(SampleRecord())), "");
    const auto loaded = config::LoadConfigFile(good);
    ASSERT_TRUE(loaded.record) << loaded.error;
    EXPECT_EQ(loaded.record->fields.rangeFull, 1300.0f);

    const auto big = dir / "big.json";
    std::ofstream(big) << std::string(config::kMaxConfigFileBytes + 1, ' ');
    for (const auto& [file, reason] : {std::pair{big, "larger than 1 MiB"}, {dir / "missing.json", "cannot be read"}}) {
        const auto refused = config::LoadConfigFile(file);
        EXPECT_FALSE(refused.record);
        EXPECT_NE(refused.error.find(file.string()), std::string::npos) << refused.error;
        EXPECT_NE(refused.error.find(reason), std::string::npos) << refused.error;
    }
}

}  // namespace
}  // namespace orv::test
