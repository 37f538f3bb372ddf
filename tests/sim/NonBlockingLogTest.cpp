#include "sim/NonBlockingLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace orv::sim {
namespace {

std::string Drain(int fd) {
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) text.append(buf, static_cast<std::size_t>(n));
    return text;
}

TEST(NonBlockingLog, AFullPipeDropsAndCountsInsteadOfWaiting) {
    int p[2];
    ASSERT_EQ(::pipe2(p, O_CLOEXEC | O_NONBLOCK), 0);
    ::fcntl(p[1], F_SETFL, 0);  // the writer must cope with a blocking descriptor
    ::fcntl(p[1], F_SETPIPE_SZ, 4096);
    {
        NonBlockingLog log(p[1], 8);
        const std::string line(1000, 'x');
        // The pipe and the queue hold a dozen lines at most: the rest is
        // dropped, and none of it may make Post wait (the time limit judges).
        for (int i = 0; i < 200; ++i) log.Post(line);
        EXPECT_GE(log.Dropped(), 200u - 4u - 8u - 1u);
        std::string text;
        // Once the queue has run dry, a new line gets through again.
        for (int quiet = 0; quiet < 20;) {
            ::usleep(10000);
            const std::string more = Drain(p[0]);
            quiet = more.empty() ? quiet + 1 : 0;
            text += more;
        }
        log.Post("after");
        for (int i = 0; i < 300 && (text.size() < 6 || text.substr(text.size() - 6) != "after\n"); ++i) {
            ::usleep(10000);
            text += Drain(p[0]);
        }
        // The reader hears how much it missed, and the log goes on after it.
        EXPECT_NE(text.find(" log lines dropped"), std::string::npos);
        EXPECT_EQ(text.substr(text.size() - 6), "after\n");
    }
    ::close(p[0]);
    ::close(p[1]);
}

}  // namespace
}  // namespace orv::sim
