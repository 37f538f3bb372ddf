#include "link/serial/QtSerialComm.h"

#include <sys/resource.h>
#include <termios.h>

#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include <gtest/gtest.h>

#include "protocol/CommError.h"
#include "protocol/Frames.h"
#include "sim/PtyDevice.h"
#include "PtyPair.h"

namespace orv::link {
namespace {

using protocol::CommError;
using test::PtyPair;
using test::RunFor;
using test::RunUntil;
using Bytes = std::vector<std::uint8_t>;

Bytes Count(std::size_t n, std::uint8_t first = 1) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<std::uint8_t>(first + i);
    }
    return out;
}

// The CommError text a call throws, or "(none)".
template <typename F>
std::string ErrorOf(F&& call) {
    try {
        call();
    } catch (const CommError& e) {
        return e.what();
    }
    return "(none)";
}

// Opens port 3 with the calls, in the order, the dialog makes.
void OpenLikeTheDialog(QtSerialComm& comm) {
    comm.SetCommPort(3);
    comm.SetInBufferSize(1024);
    comm.SetOutBufferSize(1024);
    comm.SetPortOpen(true);
    comm.SetInputMode(1);
    comm.SetSettings("1200, n, 8, 1");
    comm.SetRThreshold(5);
    comm.SetInputLen(0);
}

// A component wired to a pty on port 3.
class CommTest : public ::testing::Test {
protected:
    CommTest()
        : comm_([this](int port) { return paths_.count(port) ? paths_[port] : std::string(); }) {
        paths_[3] = pty_.SlavePath();
        comm_.SetOnComm([this] { OnComm(); });
    }

    void Open() { OpenLikeTheDialog(comm_); }

    // The dialog's receive handler: read the event, then every waiting byte.
    virtual void OnComm() {
        ++events_;
        kinds_.push_back(comm_.GetCommEvent());
        if (comm_.GetCommEvent() == protocol::CMSComm::kEvReceive) {
            const Bytes in = comm_.GetInput();
            received_.insert(received_.end(), in.begin(), in.end());
            reads_.push_back(in.size());
        }
    }

    // Sends `bytes` from the device one chunk per tick.
    // Returns how many have been sent so far.
    std::shared_ptr<const std::size_t> Pace(const Bytes& bytes, std::size_t chunk, int intervalMs) {
        auto pos = std::make_shared<std::size_t>(0);
        auto timer = new QTimer(&owner_);
        QObject::connect(timer, &QTimer::timeout, timer, [this, bytes, chunk, pos, timer] {
            const std::size_t n = std::min(chunk, bytes.size() - *pos);
            pty_.Write(Bytes(bytes.begin() + *pos, bytes.begin() + *pos + n));
            *pos += n;
            if (*pos == bytes.size()) {
                timer->stop();
            }
        });
        timer->start(intervalMs);
        return pos;
    }

    QObject owner_;
    PtyPair pty_;
    std::map<int, std::string> paths_;
    QtSerialComm comm_;
    int events_ = 0;
    std::vector<short> kinds_;
    Bytes received_;
    std::vector<std::size_t> reads_;
};

TEST_F(CommTest, OpenFailuresCarryTheReasonAndLeaveThePortClosed) {
    const auto dir = std::filesystem::temp_directory_path();
    struct Case {
        const char* what;
        short port;
        std::string path;
        std::string expect;
    } const cases[] = {
        {"no such device", 5, "/dev/orv-no-such-tty", "No such file or directory"},
        {"a directory", 6, dir.string(), "Is a directory"},
        {"port number naming nothing", 7, "", protocol::kErrInvalidPortNumber},
        {"no entry selected", -1, "", protocol::kErrInvalidPortNumber},
    };
    for (const Case& c : cases) {
        paths_[c.port] = c.path;
        comm_.SetCommPort(c.port);
        EXPECT_EQ(ErrorOf([&] { comm_.SetPortOpen(true); }), c.expect) << c.what;
        EXPECT_FALSE(comm_.GetPortOpen()) << c.what;
    }
    // A failed open does not spoil the next one.
    comm_.SetCommPort(3);
    EXPECT_EQ(ErrorOf([&] { comm_.SetPortOpen(true); }), "(none)");
    EXPECT_TRUE(comm_.GetPortOpen());
}

TEST_F(CommTest, CallsOnAClosedPort) {
    const std::string notOpen = protocol::kErrPortNotOpen;
    struct Case {
        const char* what;
        std::function<void()> call;
        std::string expect;
    } const cases[] = {
        {"Input", [&] { comm_.GetInput(); }, notOpen},
        {"Output", [&] { comm_.SetOutput({0, 3, 3, 0}); }, notOpen},
        {"InputMode", [&] { comm_.SetInputMode(1); }, notOpen},
        {"RThreshold", [&] { comm_.SetRThreshold(40); }, "(none)"},
        {"Settings kept for the open", [&] { comm_.SetSettings("9600,e,7,2"); }, "(none)"},
        {"bad Settings", [&] { comm_.SetSettings("1200,q,8,1"); }, protocol::kErrInvalidSettings},
        {"close when closed", [&] { comm_.SetPortOpen(false); }, "(none)"},
        {"negative RThreshold", [&] { comm_.SetRThreshold(-1); }, protocol::kErrInvalidSettings},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorOf(c.call), c.expect) << c.what;
    }
    EXPECT_FALSE(comm_.GetPortOpen());
}

TEST_F(CommTest, OpenTwiceIsRefusedAndCloseThenReopenWorks) {
    Open();
    EXPECT_EQ(ErrorOf([&] { comm_.SetPortOpen(true); }), protocol::kErrPortAlreadyOpen);
    EXPECT_TRUE(comm_.GetPortOpen());

    comm_.SetPortOpen(false);
    EXPECT_FALSE(comm_.GetPortOpen());
    Open();
    pty_.Write(Count(5));
    ASSERT_TRUE(RunUntil([&] { return events_ == 1; }));
    EXPECT_EQ(received_, Count(5));
}

TEST_F(CommTest, SettingsReachTheLine) {
    // A pty keeps 8 data bits and no parity whatever it is told, so those
    // fields are checked by the parser's table; here: speed, stop bits, no
    // handshake, and a refusal reported rather than ignored.
    struct Case {
        const char* text;
        std::string error;
        speed_t speed;
        bool twoStops;
    } const cases[] = {
        {"1200, n, 8, 1", "(none)", B1200, false},
        {"9600,N,8,2", "(none)", B9600, true},
        // Refused settings leave the line as it was, not half changed.
        {"1200,e,8,1", "Invalid argument", B9600, true},
        {"1200,n,8", protocol::kErrInvalidSettings, B9600, true},
    };
    // Settings given while closed are applied by the open ...
    comm_.SetSettings("2400,n,8,2");
    comm_.SetCommPort(3);
    comm_.SetPortOpen(true);
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty_.SlaveFd(), &tio), 0);
    EXPECT_EQ(::cfgetispeed(&tio), speed_t(B2400));
    EXPECT_NE(tio.c_cflag & CSTOPB, tcflag_t(0));
    // ... and at once while open.
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorOf([&] { comm_.SetSettings(c.text); }), c.error) << c.text;
        ASSERT_EQ(::tcgetattr(pty_.SlaveFd(), &tio), 0);
        EXPECT_EQ(::cfgetispeed(&tio), c.speed) << c.text;
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.twoStops) << c.text;
        EXPECT_EQ(tio.c_cflag & CRTSCTS, tcflag_t(0)) << c.text;
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), tcflag_t(0)) << c.text;
    }
    EXPECT_TRUE(comm_.GetPortOpen());

    // Stored settings the line refuses make the open fail, port closed.
    comm_.SetPortOpen(false);
    comm_.SetSettings("1200,e,8,1");
    EXPECT_EQ(ErrorOf([&] { comm_.SetPortOpen(true); }), "Invalid argument");
    EXPECT_FALSE(comm_.GetPortOpen());
}

TEST_F(CommTest, OutputReachesTheDeviceWithoutTheEventLoop) {
    Open();
    const Bytes frame = {0x00, 0x11, 0x05, 0x04, 0x00, 0x04, 0x00, 0x00, 0xAC};
    comm_.SetOutput(frame);
    EXPECT_EQ(pty_.ReadAll(), frame);
}

TEST_F(CommTest, OneEventPerThresholdCrossing) {
    struct Case {
        const char* what;
        short threshold;
        std::size_t total, chunk;
        int interval;
        std::vector<std::size_t> reads;
    } const cases[] = {
        {"burst answer", 40, 40, 40, 1, {40}},
        {"answer in four chunks", 40, 40, 10, 3, {40}},
        {"answer paced byte by byte", 22, 22, 1, 2, {22}},
        {"two thresholds' worth", 5, 10, 5, 40, {5, 5}},
    };
    Open();
    for (const Case& c : cases) {
        events_ = 0;
        received_.clear();
        reads_.clear();
        comm_.SetRThreshold(c.threshold);
        comm_.GetInput();
        Pace(Count(c.total), c.chunk, c.interval);
        EXPECT_TRUE(RunUntil([&] { return received_.size() == c.total; })) << c.what;
        RunFor(30);  // room for a stray extra event
        EXPECT_EQ(reads_, c.reads) << c.what;
        EXPECT_EQ(received_, Count(c.total)) << c.what;
    }
}

TEST_F(CommTest, NoEventBelowThresholdOrWithThresholdZero) {
    Open();
    comm_.SetRThreshold(40);
    pty_.Write(Count(39));
    RunFor(50);
    EXPECT_EQ(events_, 0);

    comm_.SetRThreshold(0);
    pty_.Write(Count(10));
    RunFor(50);
    EXPECT_EQ(events_, 0);
    EXPECT_EQ(comm_.GetInput().size(), 49u);  // nothing was lost meanwhile
}

// A handler that does not take the bytes gets no second event for them, even
// while more trickle in.
class IgnoringHandler : public CommTest {
protected:
    void OnComm() override { ++events_; }
};

TEST_F(IgnoringHandler, NoRepeatEventWithoutInput) {
    Open();
    comm_.SetRThreshold(4);
    Pace(Count(12), 1, 2);
    ASSERT_TRUE(RunUntil([&] { return events_ == 1; }));
    RunFor(60);
    EXPECT_EQ(events_, 1);
    EXPECT_EQ(comm_.GetInput(), Count(12));
}

// The dialog's handler may open a modal box; its nested loop must see later
// answers, raise each once, and lose nothing.
class ModalHandler : public CommTest {
protected:
    void OnComm() override {
        ++depth_;
        maxDepth_ = std::max(maxDepth_, depth_);
        CommTest::OnComm();
        if (events_ == 1) {
            QEventLoop box;
            QTimer::singleShot(150, &box, &QEventLoop::quit);
            box.exec();
        }
        --depth_;
    }
    int depth_ = 0;
    int maxDepth_ = 0;
};

TEST_F(ModalHandler, EventsDuringAModalBoxAreSafe) {
    Open();
    comm_.SetRThreshold(4);
    const auto sent = Pace(Count(16), 1, 3);
    ASSERT_TRUE(RunUntil([&] { return *sent == 16 && depth_ == 0; }));
    RunFor(30);
    // Fewer than the threshold may be left over at the end; they wait, whole.
    const Bytes rest = comm_.GetInput();
    EXPECT_LT(rest.size(), 4u);
    received_.insert(received_.end(), rest.begin(), rest.end());
    EXPECT_EQ(received_, Count(16));
    // How the bytes group depends on scheduling; that every read met the
    // threshold and later answers came during the box does not.
    EXPECT_GE(reads_.size(), 2u);
    for (std::size_t n : reads_) {
        EXPECT_GE(n, 4u);
    }
    EXPECT_EQ(maxDepth_, 2);  // nested once, never deeper
}

TEST_F(CommTest, InputDropsStaleBytesTheQtBufferHasNotSeen) {
    pty_.Write(Count(6, 0xA0));  // left on the line before the open
    ASSERT_TRUE(pty_.WaitArrived(6));
    Open();
    EXPECT_TRUE(comm_.GetInput().empty());

    comm_.SetRThreshold(4);
    pty_.Write(Count(3, 0xB0));  // a late answer: no event loop runs in between
    ASSERT_TRUE(pty_.WaitArrived(3));
    EXPECT_EQ(comm_.GetInput(), Count(3, 0xB0));
    EXPECT_TRUE(comm_.GetInput().empty());

    // The drain leaves nothing for an event to announce.
    pty_.Write(Count(8, 0xC0));
    RunFor(20);
    comm_.GetInput();
    RunFor(30);
    EXPECT_LE(events_, 1);
    const int before = events_;
    RunFor(30);
    EXPECT_EQ(events_, before);

    pty_.Write(Count(4, 0xD0));
    ASSERT_TRUE(RunUntil([&] { return events_ == before + 1; }));
    EXPECT_EQ(Bytes(received_.end() - 4, received_.end()), Count(4, 0xD0));
}

// Counts the socket notifier activations the whole application sees.
class NotifierCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::SockAct) {
            ++count;
        }
        return false;
    }
    int count = 0;
};

TEST_F(CommTest, HangUpGivesOneErrorAndNoBusyLoop) {
    Open();
    NotifierCounter counter;
    QCoreApplication::instance()->installEventFilter(&counter);
    pty_.HangUp();
    const bool closed = RunUntil([&] { return !comm_.GetPortOpen(); }, 1000);
    RunFor(200);
    QCoreApplication::instance()->removeEventFilter(&counter);

    EXPECT_TRUE(closed);
    EXPECT_LT(counter.count, 50);
    // Told once, so that the dialog can offer the port again.
    EXPECT_EQ(kinds_, std::vector<short>{protocol::CMSComm::kEvPortClosed});
    // The reason the system gives, not a text left over from an earlier call.
    EXPECT_EQ(ErrorOf([&] { comm_.SetRThreshold(22); }), "Input/output error");
    EXPECT_EQ(ErrorOf([&] { comm_.GetInput(); }), protocol::kErrPortNotOpen);
}

TEST_F(CommTest, HangUpFoundByAWriteIsReportedByThatWrite) {
    Open();
    pty_.HangUp();
    // No event loop: the write itself meets the vanished line.
    EXPECT_EQ(ErrorOf([&] { comm_.SetOutput({0, 3, 3, 0}); }), "Input/output error");
    EXPECT_FALSE(comm_.GetPortOpen());
    EXPECT_EQ(ErrorOf([&] { comm_.SetOutput({0, 3, 3, 0}); }), protocol::kErrPortNotOpen);
    RunFor(50);
    EXPECT_EQ(kinds_, std::vector<short>{protocol::CMSComm::kEvPortClosed});
}

// The address space this process has mapped, from the kernel's own count.
rlim_t AddressSpaceInUse() {
    std::ifstream status("/proc/self/status");
    std::string key;
    rlim_t kib = 0;
    while (status >> key) {
        if (key == "VmSize:") {
            status >> kib;
            break;
        }
    }
    return kib * 1024;
}

// Opens a line, leaves the component little address space to spare and
// lets the device answer: 0 when the whole answer was read.
int ReadAnswerUnderLimit() {
    PtyPair pty;
    QtSerialComm comm([&](int port) { return port == 3 ? pty.SlavePath() : std::string(); });
    Bytes got;
    comm.SetOnComm([&] {
        if (comm.GetCommEvent() == protocol::CMSComm::kEvReceive) {
            const Bytes in = comm.GetInput();
            got.insert(got.end(), in.begin(), in.end());
        }
    });
    OpenLikeTheDialog(comm);
    const rlimit limit{AddressSpaceInUse() + (rlim_t{256} << 20), RLIM_INFINITY};
    if (::setrlimit(RLIMIT_AS, &limit) != 0) {
        return 2;
    }
    pty.Write(Count(40));
    const bool read = RunUntil([&] { return got.size() >= 40; }, 3000);
    return read && got == Count(40) ? 0 : 1;
}

// A read must cost about what it takes in: small industrial PCs and strict
// overcommit refuse a reservation of gigabytes. The limit goes on a child so
// that it cannot starve the rest of the run.
TEST(CommUnderMemoryLimit, ReadsAnAnswerWithLittleAddressSpaceToSpare) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::_Exit(ReadAnswerUnderLimit()), ::testing::ExitedWithCode(0), "");
}

// The request engine's calling order against the simulated transmitter,
// which answers paced like a 1200-baud line: each answer is one event,
// whole, and passes the acceptance test.
TEST(CommWithDevice, EachRequestGetsItsWholeAnswerInOneEvent) {
    sim::PtyDevice device;
    QtSerialComm comm([&](int port) { return port == 3 ? device.SlavePath() : std::string(); });
    std::vector<Bytes> answers;
    comm.SetOnComm([&] {
        if (comm.GetCommEvent() == protocol::CMSComm::kEvReceive) {
            answers.push_back(comm.GetInput());
        }
    });
    OpenLikeTheDialog(comm);

    struct Case {
        protocol::Frame frame;
        std::uint32_t length;
        std::uint8_t function;
    } const cases[] = {
        {protocol::ReadParamsFrame(), 40, 3},
        {protocol::ReadMeasureFrame(), 22, 4},
        {protocol::CommandFrame(3, 0, 0), 5, 17},
    };
    for (const Case& c : cases) {
        answers.clear();
        comm.SetRThreshold(static_cast<short>(c.length));
        comm.GetInput();
        comm.SetOutput(c.frame);
        ASSERT_TRUE(RunUntil([&] { return !answers.empty(); }, 3000)) << int(c.function);
        RunFor(50);
        ASSERT_EQ(answers.size(), 1u) << int(c.function);
        EXPECT_EQ(answers[0].size(), c.length);
        EXPECT_EQ(protocol::AcceptAnswer(answers[0], c.length, c.function), c.function);
        if (c.function == 3) {  // the block arrives as the device holds it
            std::array<std::uint8_t, 36> block{};
            device.WithDevice([&](sim::Transmitter& t) { block = t.Block(); });
            EXPECT_TRUE(std::equal(block.begin(), block.end(), answers[0].begin() + 3));
        }
    }
}

}  // namespace
}  // namespace orv::link
