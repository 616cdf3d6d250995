// The log's queue in front of a descriptor nobody reads: lines beyond it are dropped, never
// waited for, and each run of dropped lines is counted in a line of its own.

#include "Log.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <regex>
#include <thread>
#include <unistd.h>

TEST(LogWriter, LinesPastAFullQueueAreDroppedAndTheirCountWrittenOnceTheReaderCatchesUp) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    fcntl(ends[1], F_SETPIPE_SZ, 4096); // the smallest pipe: a page
    LogWriter log(ends[1], 1000);
    const std::string line(99, 'x');
    // 20,000 bytes, nothing read: the pipe, the batch being written and the queue hold about 6,000
    // of them.
    for (int i = 0; i < 200; ++i) {
        log.write(line);
    }
    std::string out;
    std::thread reader([&] {
        char chunk[4096];
        for (ssize_t n; (n = read(ends[0], chunk, sizeof chunk)) > 0;) {
            out.append(chunk, size_t(n));
        }
    });
    EXPECT_TRUE(log.stop(std::chrono::seconds(10)));
    close(ends[1]);
    reader.join();
    close(ends[0]);

    size_t written = 0, dropped = 0;
    const std::regex note(" koralith-server: \\.\\.\\. ([0-9]+) log lines dropped");
    for (size_t at = 0, end; (end = out.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string got = out.substr(at, end - at);
        std::smatch m;
        if (got == line) {
            ++written;
        } else if (std::regex_search(got, m, note)) {
            dropped += std::stoul(m[1]);
        } else {
            ADD_FAILURE() << got;
        }
    }
    EXPECT_LT(written, 100u);
    EXPECT_EQ(written + dropped, 200u);
}
