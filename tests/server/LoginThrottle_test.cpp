// The throttle on password guessing and registrations, on a clock of the test's own.

#include "LoginThrottle.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(LoginThrottle, FailuresHoldBackOnlyTheAddressThatMadeThem) {
    LoginThrottle t;
    const LoginThrottle::Clock::time_point start{};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(t.takeLogin("ann", "10.0.0.1", start + i * 1s));
    }
    EXPECT_FALSE(t.takeLogin("ann", "10.0.0.1", start + 59s));
    EXPECT_TRUE(t.takeLogin("ann", "10.0.0.2", start + 10s)); // the player, elsewhere
    for (int i = 0; i < 15; ++i) {
        EXPECT_TRUE(t.takeLogin("name" + std::to_string(i), "10.0.0.1", start + 10s));
    }
    EXPECT_FALSE(t.takeLogin("bob", "10.0.0.1", start + 10s)); // 20 from one address
    EXPECT_TRUE(t.takeLogin("bob", "10.0.0.2", start + 10s));
    EXPECT_TRUE(t.takeLogin("ann", "10.0.0.1", start + 70s)); // all a minute old
}

// Tries still being checked count as failures: five taken at once refuse the sixth, as five
// failed ones would. A right one stops counting, toward the address and the name, and forgets
// the name's failures from that address.
TEST(LoginThrottle, TriesCountWhenTakenAndARightOneStopsCounting) {
    LoginThrottle t;
    const LoginThrottle::Clock::time_point now{};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(t.takeLogin("ann", "10.0.0.1", now));
    }
    EXPECT_FALSE(t.takeLogin("ann", "10.0.0.1", now));
    t.succeeded("ann", "10.0.0.1", now);
    for (int i = 0; i < 16; ++i) { // 4 + 16 taken: the address is at its limit
        EXPECT_TRUE(t.takeLogin("name" + std::to_string(i), "10.0.0.1", now)) << i;
    }
    EXPECT_FALSE(t.takeLogin("ann", "10.0.0.1", now));
    t.succeeded("name0", "10.0.0.1", now);
    EXPECT_TRUE(t.takeLogin("ann", "10.0.0.1", now));

    // Ten failures on "bob" cost nothing; the player's three logins add none, so the next
    // failure is the eleventh, with the first delay.
    for (int i = 0; i < 10; ++i) {
        t.takeLogin("bob", "10.1.0." + std::to_string(i), now);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(t.takeLogin("bob", "10.2.0.1", now + i * 1s));
        t.succeeded("bob", "10.2.0.1", now + i * 1s);
    }
    EXPECT_TRUE(t.takeLogin("bob", "10.3.0.1", now));
    EXPECT_FALSE(t.takeLogin("bob", "10.3.0.1", now + LoginThrottle::kFirstDelay - 1ms));
    EXPECT_TRUE(t.takeLogin("bob", "10.3.0.1", now + LoginThrottle::kFirstDelay));
}

TEST(LoginThrottle, AnAddressAsksForTwentyAccountsAMinute) {
    LoginThrottle t;
    const LoginThrottle::Clock::time_point now{};
    for (size_t i = 0; i < LoginThrottle::kRegistrationsPerAddress; ++i) {
        EXPECT_TRUE(t.takeRegistration("10.0.0.1", now + i * 1s)) << i;
    }
    EXPECT_FALSE(t.takeRegistration("10.0.0.1", now + 59s));
    EXPECT_TRUE(t.takeRegistration("10.0.0.2", now + 59s));
    EXPECT_TRUE(t.takeRegistration("10.0.0.1", now + 60s)); // the first is a minute old
}

// Ten failures on a name cost nothing more; after that an address that failed on it waits
// after its failure, twice as long for each further failure of the name, up to a minute. Each
// case takes three tries: the failing address's, its next one, and a clean address's.
TEST(LoginThrottle, ANameUnderAttackSlowsTheFailingAddressesMoreAndMoreButNoOther) {
    LoginThrottle t;
    LoginThrottle::Clock::time_point now{};
    const struct {
        int nameFailures;
        std::chrono::seconds wait;
    } cases[] = {{10, 0s}, {13, 4s}, {16, 32s}, {19, 60s}, {30, 60s}};
    int failures = 0;
    for (const auto& k : cases) {
        while (failures < k.nameFailures - 1) { // from addresses of their own
            t.takeLogin("ann", "10.1.0." + std::to_string(failures++), now);
        }
        const std::string mine = "10.2.0." + std::to_string(failures++);
        t.takeLogin("ann", mine, now);
        if (k.wait > 0s) {
            EXPECT_FALSE(t.takeLogin("ann", mine, now + k.wait - 1ms)) << k.nameFailures;
        }
        EXPECT_TRUE(t.takeLogin("ann", mine, now + k.wait)) << k.nameFailures;
        EXPECT_TRUE(t.takeLogin("ann", "10.3.0." + std::to_string(failures), now))
            << k.nameFailures;
        failures += 2;
        now += k.wait;
    }
    now += 15min; // a quiet name starts over
    t.takeLogin("ann", "10.2.0.99", now);
    EXPECT_TRUE(t.takeLogin("ann", "10.2.0.99", now));
}
