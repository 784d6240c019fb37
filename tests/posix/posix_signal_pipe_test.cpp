#include "posix/posix_signal_pipe.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

#include <vector>

namespace {

bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 1000) == 1 && (p.revents & POLLIN) != 0;
}

TEST(SignalPipe, EachTerminationSignalArrivesAsItsNumber) {
    SignalPipe pipe({SIGTERM, SIGINT, SIGHUP});
    ASSERT_TRUE(pipe.valid());
    EXPECT_EQ(pipe.takeSignal(), 0);
    const std::vector<int> sent{SIGTERM, SIGINT, SIGHUP, SIGTERM};
    for (const int signo : sent) {
        ASSERT_EQ(::raise(signo), 0);
        ASSERT_TRUE(readable(pipe.readFd())) << signo;
        EXPECT_EQ(pipe.takeSignal(), signo);
    }
    EXPECT_EQ(pipe.takeSignal(), 0);
}

TEST(SignalPipe, RestoresTheDefaultActionWhenDestroyed) {
    {
        SignalPipe pipe({SIGHUP});
        ASSERT_TRUE(pipe.valid());
    }
    struct sigaction current {};
    ASSERT_EQ(::sigaction(SIGHUP, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}

}  // namespace
