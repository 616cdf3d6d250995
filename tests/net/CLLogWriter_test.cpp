// The day-file log writer: every writer of a day appends to that day's file, and a file that
// cannot be opened costs the lines of its day, never the later days'.
#include "CLLogWriter.h"
#include "Support.h"

#include <ctime>
#include <gtest/gtest.h>

namespace {

// The local time written "YYYY-MM-DD hh:mm:ss".
std::time_t localTime(const char* text) {
    std::tm parts{};
    strptime(text, "%Y-%m-%d %H:%M:%S", &parts);
    parts.tm_isdst = -1;
    return std::mktime(&parts);
}

TEST(CLLogWriter, WritersOfADayAppendToItsFileAndAnUnopenableOneCostsOnlyItsDay) {
    TempDir dir;
    const std::string prefix = dir.file("netlog");
    std::time_t now = localTime("2026-12-31 23:59:59");
    CLLogWriter(prefix.c_str(), [&] { return now; }).write("网络连接成功");
    CLLogWriter log(prefix.c_str(), [&] { return now; });
    log.write("");
    now = localTime("2027-01-01 00:00:00");
    log.write("new year");
    EXPECT_EQ(fileText(prefix + "2026_12_31.log"),
              "2026-12-31 23:59:59  网络连接成功 \n2026-12-31 23:59:59   \n");
    EXPECT_EQ(fileText(prefix + "2027_01_01.log"), "2027-01-01 00:00:00  new year \n");

    // A file that cannot be opened drops its day's lines until a later day's file opens.
    const std::string folder = dir.file("later/");
    now = localTime("2026-06-01 12:00:00");
    CLLogWriter later(folder.c_str(), [&] { return now; });
    later.write("lost");
    std::filesystem::create_directory(folder);
    later.write("still lost");
    now = localTime("2026-06-02 12:00:00");
    later.write("kept");
    EXPECT_FALSE(std::filesystem::exists(folder + "2026_06_01.log"));
    EXPECT_EQ(fileText(folder + "2026_06_02.log"), "2026-06-02 12:00:00  kept \n");
}

} // namespace
