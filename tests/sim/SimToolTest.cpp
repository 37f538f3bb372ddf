// The simulator program from the outside: however it is stopped, its port
// link goes with it, and a log nobody reads never stops it answering.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Frames.h"
#include "Line.h"

namespace orv::sim {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using simtest::Bytes;

enum class LogEnd { Unread, Full, Closed };

class SimProcess {
public:
    SimProcess(const fs::path& link, LogEnd logEnd, std::vector<std::string> options = {}) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) return;
        // The smallest pipe a full log needs least noise to fill.
        if (logEnd == LogEnd::Full) ::fcntl(out[1], F_SETPIPE_SZ, 4096);
        if (logEnd == LogEnd::Closed) ::close(out[0]);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDERR_FILENO);
            std::vector<std::string> args{"orvane-sim", "--link", link.string(), "--delay", "0"};
            args.insert(args.end(), options.begin(), options.end());
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(ORVANE_SIM_BINARY, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        if (logEnd != LogEnd::Closed) readEnd_ = out[0];
    }
    ~SimProcess() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (readEnd_ >= 0) ::close(readEnd_);
    }
    bool started() const { return pid_ > 0; }
    void CloseLog() {
        ::close(readEnd_);
        readEnd_ = -1;
    }
    void Signal(int s) const { ::kill(pid_, s); }
    // The wait status once the program ended within `limit`, else nullopt.
    std::optional<int> Exit(std::chrono::milliseconds limit) {
        for (const auto end = Clock::now() + limit; !status_ && Clock::now() < end;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
            else std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return status_;
    }

private:
    pid_t pid_ = -1;
    int readEnd_ = -1;  // held open and never read
    std::optional<int> status_;
};

bool WaitForLink(const fs::path& link, SimProcess& sim) {
    for (const auto end = Clock::now() + std::chrono::seconds(5); Clock::now() < end;) {
        std::error_code ec;
        if (fs::is_symlink(fs::symlink_status(link, ec))) return true;
        if (sim.Exit(std::chrono::milliseconds(20))) return false;
    }
    return false;
}

class SimTool : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/orvane-simtool-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        dir_ = dir;
        link_ = dir_ / "COM4";
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_, link_;
};

TEST_F(SimTool, EveryStopSignalRemovesTheLink) {
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) {
        SimProcess sim(link_, LogEnd::Unread);
        ASSERT_TRUE(sim.started());
        ASSERT_TRUE(WaitForLink(link_, sim)) << strsignal(s);
        sim.Signal(s);
        const auto status = sim.Exit(std::chrono::seconds(5));
        ASSERT_TRUE(status.has_value()) << strsignal(s);
        EXPECT_TRUE(WIFEXITED(*status)) << strsignal(s);
        EXPECT_FALSE(fs::exists(fs::symlink_status(link_))) << strsignal(s);
    }
}

TEST_F(SimTool, ALogReaderThatWentAwayEndsItAndRemovesTheLink) {
    // Gone before the first line, or later while the log is quiet.
    for (const bool whileQuiet : {false, true}) {
        SimProcess sim(link_, whileQuiet ? LogEnd::Unread : LogEnd::Closed);
        ASSERT_TRUE(sim.started());
        if (whileQuiet) {
            ASSERT_TRUE(WaitForLink(link_, sim));
            sim.CloseLog();
        }
        const auto status = sim.Exit(std::chrono::seconds(5));
        ASSERT_TRUE(status.has_value()) << whileQuiet;
        EXPECT_TRUE(WIFEXITED(*status)) << whileQuiet;
        EXPECT_NE(WEXITSTATUS(*status), 0) << whileQuiet;
        EXPECT_FALSE(fs::exists(fs::symlink_status(link_))) << whileQuiet;
    }
}

TEST_F(SimTool, AFullLogNeitherStopsTheAnswersNorTheExit) {
    SimProcess sim(link_, LogEnd::Full);
    ASSERT_TRUE(sim.started());
    ASSERT_TRUE(WaitForLink(link_, sim));
    simtest::Line line(link_.string());
    ASSERT_TRUE(line.ok());
    // Noise is logged three characters a byte: far more than the pipe holds.
    for (int i = 0; i < 16; ++i) line.Send(Bytes(1024, 0xFF));
    line.Send(simtest::kReadMeasure);
    EXPECT_EQ(line.Read(22, 3000).size(), 22u);

    sim.Signal(SIGTERM);
    const auto status = sim.Exit(std::chrono::seconds(5));
    ASSERT_TRUE(status.has_value());
    EXPECT_FALSE(fs::exists(fs::symlink_status(link_)));
}

TEST_F(SimTool, AppliesTheInputAndTheReadingErrorItIsGiven) {
    SimProcess sim(link_, LogEnd::Unread, {"--input", "650", "--offset-error", "13", "--gain-error", "0.5"});
    ASSERT_TRUE(sim.started());
    ASSERT_TRUE(WaitForLink(link_, sim));
    simtest::Line line(link_.string());
    ASSERT_TRUE(line.ok());
    line.Send(simtest::kReadMeasure);
    const Bytes answer = line.Read(22, 3000);
    ASSERT_EQ(answer.size(), 22u);
    // The factory device reads 650 degC as about 650.2; then + 13 + 0.5 %.
    EXPECT_NEAR(simtest::ParseMeasure(answer).measured, 650.2 * 1.005 + 13.0, 0.5);

    SimProcess bad(link_, LogEnd::Unread, {"--gain-error", "1e999"});
    const auto status = bad.Exit(std::chrono::seconds(5));
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(WEXITSTATUS(*status), 2);
}

}  // namespace
}  // namespace orv::sim
