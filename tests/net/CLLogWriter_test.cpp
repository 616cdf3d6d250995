#include "CLLogWriter.h"

#include "NetTestSupport.h"

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

using LogWriter = NetTest; // only its scratch folder

TEST_F(LogWriter, WritersOfOneDayAppendToItsFileAndMidnightStartsTheNext) {
    std::time_t now = localTime(2026, 12, 31, 23, 59, 59);
    CLLogWriter(prefix().c_str(), [&] { return now; }).write("网络连接成功");
    CLLogWriter log(prefix().c_str(), [&] { return now; });
    log.write("");
    now = localTime(2027, 1, 1, 0, 0, 0);
    log.write("new year");
    EXPECT_EQ(fileText(prefix() + "2026_12_31.log"),
              "2026-12-31 23:59:59  网络连接成功 \n2026-12-31 23:59:59   \n");
    EXPECT_EQ(fileText(prefix() + "2027_01_01.log"), "2027-01-01 00:00:00  new year \n");
}

TEST_F(LogWriter, UnopenableFileDropsLinesUntilALaterDaysFileOpens) {
    const std::string folder = dir + "/later/";
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
