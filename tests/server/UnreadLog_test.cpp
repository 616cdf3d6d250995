// A server whose standard error is a pipe nobody reads (a service manager that hangs, a shell
// pipeline that stalls) still answers its players and still stops on SIGTERM.

#include "ServerProcess.h"
#include "TestClient.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

TEST(ServerLog, AFullUnreadLogPipeHoldsUpNeitherAnswersNorTheStop) {
    ServerProcess server(true); // its standard error a pipe the test never reads
    ASSERT_TRUE(server.start()) << server.log();
    // Each connection logs two lines of about 70 bytes: 1000 of them write twice what a pipe
    // holds (64 KiB).
    for (int i = 0; i < 1000; ++i) {
        TestClient passing(server.port());
    }
    TestClient c(server.port());
    EXPECT_EQ(c.registerUser("after", "pw"), 1);
    const int status = server.stop(); // SIGKILL after 10 s
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
