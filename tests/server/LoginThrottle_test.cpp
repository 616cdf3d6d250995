#include "LoginThrottle.h"

#include <gtest/gtest.h>

namespace {

using Clock = LoginThrottle::Clock;
using namespace std::chrono_literals;

} // namespace

TEST(LoginThrottle, AFullWindowOfFailuresBlocksUntilTheOldestExpires) {
    LoginThrottle t;
    const Clock::time_point start{};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(t.allowed("ann", "10.0.0.1", start + i * 1s));
        t.failed("ann", "10.0.0.1", start + i * 1s);
    }
    EXPECT_FALSE(t.allowed("ann", "10.0.0.2", start + 10s)); // any address
    EXPECT_TRUE(t.allowed("bob", "10.0.0.1", start + 10s));
    EXPECT_FALSE(t.allowed("ann", "10.0.0.1", start + 59s));
    EXPECT_TRUE(t.allowed("ann", "10.0.0.1", start + 60s)); // the first failure has expired
    t.failed("ann", "10.0.0.1", start + 60s);
    EXPECT_FALSE(t.allowed("ann", "10.0.0.1", start + 60s));
}

TEST(LoginThrottle, AnAddressMayFailMoreOftenThanAName) {
    LoginThrottle t;
    const Clock::time_point start{};
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(t.allowed("user" + std::to_string(i), "10.0.0.9", start));
        t.failed("user" + std::to_string(i), "10.0.0.9", start);
    }
    EXPECT_FALSE(t.allowed("fresh", "10.0.0.9", start + 1s));
    EXPECT_TRUE(t.allowed("fresh", "10.0.0.8", start + 1s));
}

TEST(LoginThrottle, ASuccessClearsTheNamesFailures) {
    LoginThrottle t;
    const Clock::time_point start{};
    for (int i = 0; i < 4; ++i) {
        t.failed("ann", "10.0.0.1", start);
    }
    t.succeeded("ann");
    for (int i = 0; i < 4; ++i) {
        t.failed("ann", "10.0.0.1", start);
    }
    EXPECT_TRUE(t.allowed("ann", "10.0.0.1", start));
}
