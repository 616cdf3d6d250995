// What a client sends is logged so that it reads as written, on the line of its event; and the
// log's queue in front of a descriptor nobody reads: lines beyond it are dropped, never waited
// for, and each run of dropped lines is counted in a line of its own.

#include "Log.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <regex>
#include <thread>
#include <unistd.h>

TEST(Log, TextThatBreaksOrTurnsALineIsSpelledOut) {
    const std::pair<std::string, std::string> cases[] = {
        {"Łucja 李 ~!", "Łucja 李 ~!"},
        {"ali\u202Ece\nx\r", "ali\\u{202e}ce\\u{a}x\\u{d}"},
        {"a\u2028b\u2029\u200B\u2066", "a\\u{2028}b\\u{2029}\\u{200b}\\u{2066}"},
        {"\t\x7F\xC2\x85\u00AD", "\\u{9}\\u{7f}\\u{85}\\u{ad}"},
        {"cut\xE6\x9D", "cut\\x{e6}\\x{9d}"},
        {"\xFF!\xC0\xAF", "\\x{ff}!\\x{c0}\\x{af}"},
        {"a\\u{d}", "a\\\\u{d}"},
    };
    for (const auto& [text, logged] : cases) {
        EXPECT_EQ(escapedForLog(text), logged) << text;
    }
}

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
