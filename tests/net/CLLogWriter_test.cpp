#include "CLLogWriter.h"

#include "NetTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::time_t localTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return std::mktime(&parts);
}

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(LogWriter, LineIsDateTimeTwoBlanksMessageBlank) {
    ScratchDir dir;
    const std::time_t at = localTime(2026, 12, 5, 14, 0, 0);
    {
        CLLogWriter log(dir.prefix().c_str(), [&] { return at; });
        log.write("网络连接成功");
        log.write("");
    }
    EXPECT_EQ(fileText(dir.path + "/netlog2026_12_05.log"),
              "2026-12-05 14:00:00  网络连接成功 \n2026-12-05 14:00:00   \n");
}

TEST(LogWriter, WritersOfTheSameDayAppendToOneFile) {
    ScratchDir dir;
    const std::time_t at = localTime(2026, 3, 9, 8, 7, 6);
    CLLogWriter(dir.prefix().c_str(), [&] { return at; }).write("first");
    CLLogWriter(dir.prefix().c_str(), [&] { return at; }).write("second");
    EXPECT_EQ(fileText(dir.path + "/netlog2026_03_09.log"),
              "2026-03-09 08:07:06  first \n2026-03-09 08:07:06  second \n");
}

TEST(LogWriter, FirstWriteAfterMidnightGoesToTheNewDaysFile) {
    ScratchDir dir;
    std::time_t now = localTime(2026, 12, 31, 23, 59, 59);
    CLLogWriter log(dir.prefix().c_str(), [&] { return now; });
    log.write("old year");
    now = localTime(2027, 1, 1, 0, 0, 0);
    log.write("new year");
    EXPECT_EQ(fileText(dir.path + "/netlog2026_12_31.log"), "2026-12-31 23:59:59  old year \n");
    EXPECT_EQ(fileText(dir.path + "/netlog2027_01_01.log"), "2027-01-01 00:00:00  new year \n");
}

TEST(LogWriter, UnopenableFileDropsLinesUntilALaterDaysFileOpens) {
    ScratchDir dir;
    const std::string folder = dir.path + "/later/";
    std::time_t now = localTime(2026, 6, 1, 12, 0, 0);
    CLLogWriter log(folder.c_str(), [&] { return now; });
    log.write("lost");
    std::filesystem::create_directory(folder);
    log.write("still lost");
    now = localTime(2026, 6, 2, 12, 0, 0);
    log.write("kept");
    EXPECT_FALSE(std::filesystem::exists(folder + "2026_06_01.log"));
    EXPECT_EQ(fileText(folder + "2026_06_02.log"), "2026-06-02 12:00:00  kept \n");
}

} // namespace
