// The device end of a COM port for the Windows serial tests: a Linux program
// that answers on a pseudo-terminal like a transmitter on a 1200-baud line,
// reached from Wine through a COM port mapped to a fixed link.
//
//   orvane-pty-peer LINK [--hangup-after N]
//
// LINK becomes a symbolic link to the slave. With --hangup-after the peer
// sends N answer bytes and then closes its end mid-answer, as a pulled cable
// does. It ends itself after two minutes so a broken test cannot leave it.
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "sim/Transmitter.h"

namespace {

volatile std::sig_atomic_t stopping = 0;

void OnSignal(int) { stopping = 1; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s LINK [--hangup-after N]\n", argv[0]);
        return 2;
    }
    const std::string link = argv[1];
    long hangupAfter = -1;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--hangup-after") == 0) hangupAfter = std::strtol(argv[i + 1], nullptr, 10);
    }
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);

    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    // A fresh slave echoes and turns CR into LF; the line must carry bytes.
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    ::unlink(link.c_str());
    if (::symlink(name, link.c_str()) != 0) {
        std::perror("symlink");
        return 1;
    }

    orv::sim::Transmitter device;
    const auto byteTime = std::chrono::microseconds(8333);  // 10 bits at 1200 baud
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    long sent = 0;
    while (!stopping && std::chrono::steady_clock::now() < deadline) {
        pollfd p{master, POLLIN, 0};
        const int ready = ::poll(&p, 1, 50);
        if (ready == 0) {
            device.LineIdle();
            continue;
        }
        if (ready < 0) continue;
        std::uint8_t in[256];
        const ssize_t got = ::read(master, in, sizeof in);
        if (got <= 0) continue;  // the slave side closed; it may be opened again
        const std::vector<std::uint8_t> answer = device.Receive({in, static_cast<std::size_t>(got)});
        if (answer.empty()) continue;
        std::this_thread::sleep_for(std::chrono::milliseconds(device.answerDelayMs));
        for (std::uint8_t byte : answer) {
            if (hangupAfter >= 0 && sent >= hangupAfter) {
                ::unlink(link.c_str());
                return 0;  // closing both ends hangs the line up under the reader
            }
            if (::write(master, &byte, 1) == 1) ++sent;
            std::this_thread::sleep_for(byteTime);
        }
    }
    ::unlink(link.c_str());
    return 0;
}
