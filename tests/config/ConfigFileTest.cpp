#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <string>

#include "config/ConfigFile.h"
#include "config/FloatText.h"
#include "support/SampleBlock.h"

#if !defined(_WIN32)
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

float Bits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

std::string Names(const std::vector<config::LeftSetting>& left) {
    std::string out;
    for (const auto& l : left) out += (out.empty() ? "" : " ") + l.name;
    return out;
}

// Whatever a device holds, a saved file opens again and means exactly that.
TEST(ConfigFile, WhateverADeviceHoldsComesBackBitForBit) {
    const struct {
        const char* what;
        std::function<void(config::ParamFields&)> hold;
        const char* outOfRange;  // the settings named, in file order
    } cases[] = {
        {"sample", [](auto&) {}, ""},
        {"short decimals and the float extremes",
         [](auto& f) {
             f.rangeZero = 0.1f;
             f.rangeFull = -std::numeric_limits<float>::max();
             f.resistanceCal = std::numeric_limits<float>::max();
             f.cjcMode = 0, f.breakAlarm = 0, f.outputDirection = 0;
         },
         ""},
        // Through double these two would come back one step off.
        {"double rounding", [](auto& f) { f.rangeZero = Bits(0x15ae43fd), f.rangeFull = Bits(0x95ae43fd); }, ""},
        {"negative zero and the smallest subnormal", [](auto& f) { f.rangeZero = -0.0f, f.rangeFull = Bits(1); }, ""},
        {"erased calibration constant", [](auto& f) { f.resistanceCal = Bits(0xffffffff); }, ""},
        {"infinite range ends", [](auto& f) { f.rangeZero = -INFINITY, f.rangeFull = INFINITY; }, "rangeZero rangeFull"},
        {"a NaN with a payload", [](auto& f) { f.rangeFull = Bits(0x7f800001); }, "rangeFull"},
        {"choices that are no word",
         [](auto& f) { f.cjcMode = 2, f.breakAlarm = 7, f.outputDirection = 255; },
         "cjcMode breakAlarm outputDirection"},
        {"wiring 0 and damping 12", [](auto& f) { f.wireCount = 0, f.dampingLevel = 12; }, "wireCount dampingLevel"},
        {"wiring 255", [](auto& f) { f.wireCount = 255; }, "wireCount"},
        {"a type the model does not offer", [](auto& f) { f.model = 2, f.inputType = 32; }, "inputType"},
        {"an unknown model and type", [](auto& f) { f.model = 9, f.inputType = 9; }, "inputType"},
        {"erased memory",
         [](auto& f) {
             Block erased;
             erased.fill(0xFF);
             f = config::ParamFields::Read(erased);
         },
         "inputType cjcMode wireCount rangeZero rangeFull dampingLevel breakAlarm outputDirection"},
    };
    for (const auto& c : cases) {
        ConfigRecord rec = SampleRecord();
        c.hold(rec.fields);
        rec.block = ToBlock(rec.fields);
        rec.block[35] ^= 0x5A;  // the record of the read, kept as it was
        const auto parsed = config::ParseConfig(config::SerializeConfig(rec));
        ASSERT_TRUE(parsed.record) << c.what << ": " << parsed.reason;
        EXPECT_EQ(ToBlock(parsed.record->fields), ToBlock(rec.fields)) << c.what;
        EXPECT_EQ(parsed.record->block, rec.block) << c.what;
        EXPECT_EQ(parsed.record->savedAt, rec.savedAt) << c.what;
        EXPECT_EQ(Names(config::SettingsOutOfRange(*parsed.record)), c.outOfRange) << c.what;
    }
    // Readable: the short form, the names, the units and the text forms are in the text.
    ConfigRecord odd = SampleRecord();
    odd.fields.rangeZero = 0.1f;
    odd.fields.rangeFull = Bits(0xffffffff);
    odd.fields.cjcMode = 0;
    odd.fields.breakAlarm = 7;
    const std::string text = config::SerializeConfig(odd);
    for (const char* part : {"\"value\": 0.1,", "\"value\": \"nan:ffffffff\"", "\"unit\": \"℃\"",
                             "\"QV-UN2：万能输入：双输出\"", "\"TC- K\"", "\"cjcMode\": \"external-cu50\"", "\"breakAlarm\": 7"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
}

// A file as an earlier build saved it means what it meant then: each word
// the same code, each key the same field.
TEST(ConfigFile, AFileOfAnEarlierBuildOpensAsTheSameSettings) {
    const std::string text = R"({
  "format": "orvane-configuration", "version": 1, "tool": "orvane-cli 3.2.0", "saved": "2026-12-09T01:02:03+01:00",
  "model": {"code": 4, "name": "QV-UN1：万能输入：单输出"}, "inputType": {"code": 5, "name": "TC- J"},
  "settings": {"cjcMode": "external-cu50", "wireCount": 2, "rangeZero": {"value": -50.5, "unit": "℃"},
               "rangeFull": {"value": 250.0, "unit": "℃"}, "dampingLevel": 4, "breakAlarm": "low",
               "outputDirection": "20-4mA", "offsetCorrection": {"value": -3, "unit": "℃"}},
  "calibration": {"resistanceCal": 20102.201, "millivoltCal": -12217, "ambientCal": 20460, "voltageCal": 19088,
                  "currentCal": 9160, "out1ZeroTrim": 915, "out1FullTrim": 4700, "out2ZeroTrim": 916, "out2FullTrim": 4701},
  "block": "04 05 00 02 00 00 4A C2 00 00 7A 43 04 00 00 67 0C 9D 46 47 D0 EC 4F 93 03 5C 12 FD 90 4A C8 23 94 03 5D 12"
})";
    const auto parsed = config::ParseConfig(text);
    ASSERT_TRUE(parsed.record) << parsed.reason;
    const config::ParamFields& f = parsed.record->fields;
    EXPECT_EQ(ToBlock(f), parsed.record->block) << "the named values and the block agree";
    EXPECT_EQ(f.cjcMode, 0);
    EXPECT_EQ(f.breakAlarm, 0);
    EXPECT_EQ(f.outputDirection, 0);
    EXPECT_EQ(f.rangeZero, -50.5f);
    EXPECT_EQ(f.offsetCorrection, -3);
    EXPECT_EQ(f.out2FullTrim, 4701);
}

TEST(ConfigFile, FloatTextsReadBackExactly) {
    // A sample of every exponent and many mantissas; the whole 2^32 is the
    // float round-trip benchmark's job.
    for (std::uint64_t bits = 0; bits <= 0xffffffffu; bits += 4093) {
        const float f = Bits(static_cast<std::uint32_t>(bits));
        const auto back = std::isfinite(f) ? config::FloatFromDecimal(config::ShortestFloatText(f))
                                           : config::FloatFromNonFiniteText(config::NonFiniteFloatText(f));
        ASSERT_TRUE(back) << std::hex << bits;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(*back), bits) << std::hex << bits;
    }
    for (const char* refused : {"1e39", "-3.5e38", "1e-50", "nan", "nan:3f800000", "nan:7fc0000", "inf ", "0x1p3", ""})
        EXPECT_FALSE(config::FloatFromDecimal(refused) || config::FloatFromNonFiniteText(refused)) << refused;
}

TEST(ConfigFile, RefusesWhatIsNotAGoodConfiguration) {
    const struct {
        const char* name;
        std::function<void(std::string&)> spoil;
        std::string reason;
    } cases[] = {
        {"not JSON", [](std::string& t) { t = "model=5\n"; }, "it is not JSON"},
        {"empty", [](std::string& t) { t = " \n"; }, "it is empty"},
        {"truncated", [](std::string& t) { t.resize(t.size() / 2); }, "it is truncated"},
        {"other format", [](std::string& t) { Replace(t, "orvane-configuration", "orvane-report"); },
         "it is not an Orvane configuration"},
        {"not an object", [](std::string& t) { t = "[1, 2]"; }, "it is not an Orvane configuration"},
        {"newer version", [](std::string& t) { Replace(t, "\"version\": 1", "\"version\": 2"); },
         "format version 2 by a newer program"},
        {"newer version beyond 64 bits",
         [](std::string& t) { Replace(t, "\"version\": 1", "\"version\": 99999999999999999999"); },
         "format version 99999999999999999999 by a newer program"},
        {"missing field", [](std::string& t) { Replace(t, "\"wireCount\": 3,", ""); },
         "the field \"settings.wireCount\" is missing"},
        {"missing section", [](std::string& t) { Replace(t, "\"calibration\"", "\"calibrations\""); },
         "the field \"calibration\" is missing"},
        {"key given twice", [](std::string& t) { Replace(t, "\"wireCount\": 3,", "\"wireCount\": 3, \"wireCount\": 4,"); },
         "the key \"settings.wireCount\" is given twice"},
        {"number beyond double in an unread field", [](std::string& t) { Replace(t, "{", "{\"note\": 1e400,"); },
         "it holds the number 1e400"},
        {"text for a number", [](std::string& t) { Replace(t, "\"dampingLevel\": 2", "\"dampingLevel\": \"2\""); },
         "\"settings.dampingLevel\" must be a whole number"},
        {"fraction for a whole number", [](std::string& t) { Replace(t, "\"wireCount\": 3", "\"wireCount\": 3.5"); },
         "\"settings.wireCount\" must be a whole number"},
        {"unknown word", [](std::string& t) { Replace(t, "\"high\"", "\"up\""); },
         "\"settings.breakAlarm\" is \"up\", not \"low\" or \"high\""},
        {"more than a byte", [](std::string& t) { Replace(t, "\"wireCount\": 3", "\"wireCount\": 300"); },
         "\"settings.wireCount\" is 300, outside 0 to 255"},
        {"choice beyond a byte", [](std::string& t) { Replace(t, "\"high\"", "-1"); },
         "\"settings.breakAlarm\" is -1, outside 0 to 255"},
        {"offset beyond its byte", [](std::string& t) { Replace(t, "\"value\": -5", "\"value\": 200"); },
         "\"settings.offsetCorrection.value\" is 200, outside -128 to 127"},
        {"trim out of range", [](std::string& t) { Replace(t, "\"ambientCal\": 40000", "\"ambientCal\": -1"); },
         "\"calibration.ambientCal\" is -1, outside 0 to 65535"},
        {"huge unsigned", [](std::string& t) { Replace(t, "\"ambientCal\": 40000", "\"ambientCal\": 18446744073709551615"); },
         "outside 0 to 65535"},
        {"float beyond single precision", [](std::string& t) { Replace(t, "\"value\": 1300.0", "\"value\": 1e39"); },
         "\"settings.rangeFull.value\" is 1e39, outside"},
        {"float text that is no float", [](std::string& t) { Replace(t, "\"value\": 1300.0", "\"value\": \"nan:3f800000\""); },
         "\"settings.rangeFull.value\" must be a number, or \"inf\""},
        {"name that disagrees with the code", [](std::string& t) { Replace(t, "\"TC- K\"", "\"TC- J\""); },
         "\"inputType.name\" does not name input type 0"},
        {"name for a code without one", [](std::string& t) { Replace(t, "\"code\": 0,", "\"code\": 9,"); },
         "\"inputType.name\" does not name input type 9, which has no name"},
        {"unit that disagrees with the type", [](std::string& t) { Replace(t, "\"unit\": \"℃\"", "\"unit\": \"V\""); },
         "\"settings.rangeZero.unit\" is not \"℃\""},
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
        int fileModel, model, code;
        bool accepted;
    } cases[] = {
        {5, 5, 0, true},  {5, 5, 33, true}, {5, 2, 31, true},  {5, 2, 32, false}, {5, 0, 32, true},
        {5, 1, 0, false}, {5, -1, 0, false},  // nothing read yet: no model to check against
        {2, 2, 32, true},                     // outside its own model's list: left, so nothing to refuse
    };
    for (const auto& c : cases) {
        ConfigRecord rec = SampleRecord();
        rec.fields.model = static_cast<std::uint8_t>(c.fileModel);
        rec.fields.inputType = static_cast<std::uint8_t>(c.code);
        EXPECT_EQ(config::CheckModelAccepts(c.model, rec).empty(), c.accepted) << c.model << "/" << c.code;
    }
}

TEST(ConfigFile, ApplyTakesWhatIsInRangeAndNamesWhatItLeaves) {
    config::ParamFields device = SampleFields();
    device.model = 4;
    device.millivoltCal = 7;
    device.rangeFull = 900.0f;
    const struct {
        const char* what;
        std::function<void(config::ParamFields&)> file;
        const char* left;
    } cases[] = {
        {"all in range", [](auto&) {}, ""},
        {"out of range", [](auto& f) { f.wireCount = 0, f.dampingLevel = 12, f.cjcMode = 2; }, "cjcMode wireCount dampingLevel"},
        {"a range end that is no number", [](auto& f) { f.rangeFull = NAN; }, "rangeFull"},
        // A type left behind takes the numbers in its unit with it; the
        // offset is the device's already.
        {"type left, other unit", [](auto& f) { f.model = 2, f.inputType = 32; }, "inputType rangeZero rangeFull"},
        {"type left, same unit", [](auto& f) { f.model = 1, f.inputType = 5; }, "inputType"},
    };
    for (const auto& c : cases) {
        ConfigRecord rec = SampleRecord();
        c.file(rec.fields);
        rec.fields.rangeZero = 10.0f;
        const auto applied = config::ApplyConfig(rec, device, false);
        EXPECT_EQ(Names(applied.left), c.left) << c.what;
        EXPECT_EQ(applied.fields.model, 4) << c.what;
        EXPECT_EQ(applied.fields.millivoltCal, 7) << c.what;
        for (const auto& l : applied.left) EXPECT_NE(l.reason.find(l.name), std::string::npos) << l.reason;
    }
    // The device already holding a value outside its range is no reason to complain.
    ConfigRecord same = SampleRecord();
    same.fields.wireCount = 0;
    config::ParamFields holding = SampleFields();
    holding.wireCount = 0;
    EXPECT_TRUE(config::ApplyConfig(same, holding, false).left.empty());

    const auto all = config::ApplyConfig(SampleRecord(), device, true);
    EXPECT_EQ(all.fields.millivoltCal, -300);
    EXPECT_EQ(all.fields.out2FullTrim, 4701);
    EXPECT_EQ(all.fields.rangeFull, 1300.0f);
    EXPECT_EQ(all.fields.offsetCorrection, -5);
}

// Set the process's time zone for a moment, on POSIX and Windows runtimes alike.
class TimeZone {
public:
    explicit TimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        Set(tz);
    }
    ~TimeZone() { Set(old_.empty() ? nullptr : old_.c_str()); }

private:
    static void Set(const char* tz) {
#if defined(_WIN32)
        _putenv_s("TZ", tz ? tz : "");
        _tzset();
#else
        if (tz) setenv("TZ", tz, 1);
        else unsetenv("TZ");
        tzset();
#endif
    }
    std::string old_;
};

TEST(ConfigFile, SavedTimeCarriesTheOffsetFromUtc) {
    // 1971-01-01T00:00:00Z; the zones in the form both runtimes read.
    constexpr std::time_t kMoment = 365 * 86400;
    const struct {
        const char* tz;
        const char* expected;
    } cases[] = {
        {"UTC0", "1971-01-01T00:00:00+00:00"},
        {"IST-5:30", "1971-01-01T05:30:00+05:30"},
        {"NST+3:30", "1970-12-31T20:30:00-03:30"},
        {"NPT-5:45", "1971-01-01T05:45:00+05:45"},
        {"CET-1", "1971-01-01T01:00:00+01:00"},
    };
    for (const auto& c : cases) {
        TimeZone zone(c.tz);
        EXPECT_EQ(config::IsoTimestamp(kMoment), c.expected) << c.tz;
    }
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
    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
    }
    std::filesystem::path dir;
};

TEST_F(ConfigFileOnDisk, LoadNamesTheFileInEveryRefusal) {
    const auto good = dir / "good.json";
    ASSERT_EQ(config::WriteFileAtomically(good, config::SerializeConfig(SampleRecord())), "");
    const auto loaded = config::LoadConfigFile(good);
    ASSERT_TRUE(loaded.record) << loaded.error;
    EXPECT_EQ(loaded.record->fields.rangeFull, 1300.0f);

    const auto big = dir / "big.json";
    std::ofstream(big) << std::string(config::kMaxConfigFileBytes + 1, ' ');
    std::vector<std::pair<std::filesystem::path, std::string>> cases{
        {big, "larger than 1 MiB"}, {dir / "missing.json", "cannot be read"}, {dir, "it is a folder"}};
#if !defined(_WIN32)
    // A named pipe with no writer: opening it must not wait for one.
    const auto fifo = dir / "pipe.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    cases.emplace_back(fifo, "not a regular file");
    cases.emplace_back("/dev/null", "not a regular file");
#endif
    for (const auto& [file, reason] : cases) {
        const auto refused = config::LoadConfigFile(file);
        EXPECT_FALSE(refused.record);
        EXPECT_NE(refused.error.find(file.string()), std::string::npos) << refused.error;
        EXPECT_NE(refused.error.find(reason), std::string::npos) << refused.error;
    }
}

TEST_F(ConfigFileOnDisk, SavingReplacesTheTargetWholeAndLeavesNothingElse) {
    const auto target = dir / "plant.json";
    ASSERT_EQ(config::WriteFileAtomically(target, "old"), "");
    ASSERT_EQ(config::WriteFileAtomically(target, "new"), "");
    EXPECT_EQ(ReadAll(target), "new");
    EXPECT_EQ(Entries(), 1u);
    EXPECT_NE(config::WriteFileAtomically(dir / "no-such-folder" / "x.json", "new"), "");
    const std::string onFolder = config::WriteFileAtomically(dir, "new");
    EXPECT_NE(onFolder.find("it is a folder"), std::string::npos) << onFolder;
}

#if !defined(_WIN32)
TEST_F(ConfigFileOnDisk, AFullDiskOrAKillMidWayLeavesTheOldFileWholeAndNoTemporary) {
    const auto target = dir / "plant.json";
    ASSERT_EQ(config::WriteFileAtomically(target, "old"), "");
    const std::string big(64 * 1024, 'x');
    for (const bool killed : {false, true}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The file size limit stands in for a full disk: writes past it
            // fail, or, with the signal at its default, end the process there.
            std::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
            const rlimit limit{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const std::string error = config::WriteFileAtomically(target, big);
            const bool said = error.find("plant.json") != std::string::npos && error.find("File too large") != std::string::npos;
            ::_exit(said ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (killed) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failure was not reported with its reason";
        }
        EXPECT_EQ(ReadAll(target), "old") << killed;
        EXPECT_EQ(Entries(), 1u) << killed;
    }
}

TEST_F(ConfigFileOnDisk, SavingThroughALinkKeepsTheLinkAndTheTargetsPermissions) {
    const auto target = dir / "real.json";
    const auto link = dir / "link.json";
    ASSERT_EQ(config::WriteFileAtomically(target, "old"), "");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    std::filesystem::create_symlink("real.json", link);
    ASSERT_EQ(config::WriteFileAtomically(link, "new"), "");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadAll(target), "new");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // A new file gets what the umask allows, not a temporary file's 0600.
    const mode_t mask = ::umask(022);
    ASSERT_EQ(config::WriteFileAtomically(dir / "fresh.json", "x"), "");
    ::umask(mask);
    ASSERT_EQ(::stat((dir / "fresh.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_EQ(Entries(), 3u);
}
#endif

}  // namespace
}  // namespace orv::test
