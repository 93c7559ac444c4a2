// The ending signals reach the pipe as bytes and the process goes on: the
// handler itself ends nothing.
#include "platform/end_signals.h"

#include <gtest/gtest.h>

#include <csignal>

namespace rix {
namespace {

TEST(EndSignals, ArriveOnThePipeInOrderAndNothingElseDoes) {
    const int fd = watch_end_signals();
    ASSERT_GE(fd, 0);
    EXPECT_EQ(watch_end_signals(), fd);
    EXPECT_EQ(take_end_signal(fd), 0);   // none pending: no wait
    ASSERT_EQ(::raise(SIGTERM), 0);      // still running afterwards
    ASSERT_EQ(::raise(SIGHUP), 0);
    ASSERT_EQ(::raise(SIGINT), 0);       // Ctrl+C in the terminal
    ASSERT_EQ(::raise(SIGQUIT), 0);      // Ctrl+\ in the terminal
    EXPECT_EQ(take_end_signal(fd), SIGTERM);
    EXPECT_EQ(take_end_signal(fd), SIGHUP);
    EXPECT_EQ(take_end_signal(fd), SIGINT);
    EXPECT_EQ(take_end_signal(fd), SIGQUIT);
    EXPECT_EQ(take_end_signal(fd), 0);
}

}  // namespace
}  // namespace rix
