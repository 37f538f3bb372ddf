// The request client on a scripted line and a virtual clock: the frames it
// sends, the time-outs it waits, what it takes for an answer, and how it
// confirms a restart.
#include <gtest/gtest.h>

#include <optional>

#include "line/ScriptedLine.h"
#include "link/line/RequestClient.h"
#include "protocol/CommandCatalogue.h"
#include "sim/Transmitter.h"

namespace orv::link {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using test::ScriptedLine;

std::chrono::milliseconds Ms(ScriptedLine::Clock::duration d) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(d);
}

TEST(RequestClient, EachRequestSendsItsFrameAndWaitsItsOwnTimeOut) {
    struct Case {
        const char* name;
        std::function<void(RequestClient&)> request;
        Bytes frame;
        std::chrono::milliseconds timeOut;
    };
    const std::uint8_t one[] = {7};
    const Case cases[] = {
        {"read", [](RequestClient& c) { c.ReadParams(); }, {0x00, 0x03, 0x02, 0x00, 0x24, 0x85}, 2000ms},
        {"write", [&](RequestClient& c) { c.WriteParams(13, one); }, {0x00, 0x10, 0x02, 0x0D, 0x07, 0x7D}, 5000ms},
        {"factory restore", [](RequestClient& c) { c.Command(protocol::kCmdFactoryRestore); },
         {0x00, 0x11, 0x05, 0x03, 0x00, 0x00, 0x00, 0x00, 0x63}, 5000ms},
        {"measure", [](RequestClient& c) { c.ReadMeasure(); }, {0x00, 0x04, 0x00, 0x3B}, 1000ms},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedLine line([](const Bytes&, auto) { return std::vector<ScriptedLine::Reply>{}; });
        RequestClient client(line, 1.0, [&] { return line.Now(); });
        try {
            c.request(client);
            ADD_FAILURE() << "a silent device answered";
        } catch (const RequestFailure& e) {
            EXPECT_EQ(e.GetKind(), RequestFailure::Kind::TimeOut);
        }
        EXPECT_EQ(Ms(line.Elapsed()), c.timeOut);
        EXPECT_EQ(line.Written(), std::vector<Bytes>{c.frame});
    }
}

TEST(RequestClient, NeitherAStaleNorARejectedAnswerIsTaken) {
    sim::Transmitter device;
    device.Block()[12] = 7;
    ScriptedLine line([&](const Bytes& frame, auto) {
        const Bytes good = device.Receive(frame);
        Bytes bad = good;
        if (!bad.empty()) bad.back() ^= 0x5A;
        return std::vector<ScriptedLine::Reply>{{100ms, bad}, {600ms, good}};
    });
    // An answer to an earlier read, left waiting on the line, holding other damping.
    sim::Transmitter earlier;
    line.Arrive(earlier.Receive(Bytes{0x00, 0x03, 0x02, 0x00, 0x24, 0x85}));
    RequestClient client(line, 1.0, [&] { return line.Now(); });
    EXPECT_EQ(client.ReadParams()[12], 7);
    EXPECT_EQ(Ms(line.Elapsed()), 600ms);
}

// A transmitter that is deaf for `boot` after a restart command.
struct RestartCase {
    const char* name;
    sim::Faults faults;
    std::chrono::milliseconds boot;
    std::optional<RequestFailure::Kind> failure;
    bool acknowledged;
    std::chrono::milliseconds elapsed;
    std::size_t reads;
    const char* message;
};

TEST(RequestClient, ARestartIsConfirmedByTheDeviceAnsweringAReadAgain) {
    const RestartCase cases[] = {
        // The read right after the acknowledgement is lost; the next one is answered.
        {"acknowledges, then starts", {}, 300ms, {}, true, 1450ms, 2, ""},
        {"resets without acknowledging", {.silentRestart = true}, 300ms, {}, false, 1400ms, 1, ""},
        {"starts slowly", {.silentRestart = true}, 3500ms, {}, false, 4400ms, 4, ""},
        {"silent", {.silent = true}, 300ms, RequestFailure::Kind::TimeOut, false, 5000ms, 4,
         "no answer to a parameter read within 5 s of the restart"},
        {"acknowledges, never comes back", {}, 10000ms, RequestFailure::Kind::TimeOut, true, 5000ms, 5,
         "(it acknowledged the restart)"},
        {"garbled", {.corruptChecksum = true}, 300ms, RequestFailure::Kind::BadAnswer, false, 5000ms, 4,
         "within 5 s of the restart: 5 with a bad checksum"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Transmitter device;
        device.faults = c.faults;
        std::optional<ScriptedLine::Clock::duration> restartedAt;
        ScriptedLine line([&](const Bytes& frame, ScriptedLine::Clock::duration at) {
            std::vector<ScriptedLine::Reply> replies;
            if (restartedAt && at < *restartedAt + c.boot) return replies;
            if (frame[1] == 0x11) restartedAt = at;
            Bytes answer = device.Receive(frame);
            if (!answer.empty()) replies.push_back({answer.size() == 5 ? 50ms : 400ms, answer});
            return replies;
        });
        RequestClient client(line, 1.0, [&] { return line.Now(); });
        try {
            const RestartOutcome outcome = client.Restart();
            EXPECT_FALSE(c.failure);
            EXPECT_EQ(outcome.acknowledged, c.acknowledged);
            EXPECT_EQ(outcome.block, device.Block());
        } catch (const RequestFailure& e) {
            ASSERT_TRUE(c.failure) << e.what();
            EXPECT_EQ(e.GetKind(), *c.failure);
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
        EXPECT_EQ(Ms(line.Elapsed()), c.elapsed);
        ASSERT_FALSE(line.Written().empty());
        EXPECT_EQ(line.Written().front(), (Bytes{0x00, 0x11, 0x05, 0x04, 0x00, 0x04, 0x00, 0x00, 0xAC}));
        EXPECT_EQ(line.Written().size() - 1, c.reads);
    }
}

}  // namespace
}  // namespace orv::link
