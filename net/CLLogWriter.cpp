#include "CLLogWriter.h"

#include <cstdio>

CLLogWriter::CLLogWriter(const char* prefix, Clock clock)
    : prefix(prefix ? prefix : ""),
      clock(clock ? std::move(clock) : [] { return std::time(nullptr); }) {
    dateChanged();
    openFile();
}

CLLogWriter::~CLLogWriter() {
    file.close();
}

std::tm CLLogWriter::localNow() const {
    const std::time_t now = clock();
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}

bool CLLogWriter::dateChanged() {
    const std::tm now = localNow();
    if (now.tm_year == year && now.tm_mon == month && now.tm_mday == day) {
        return false;
    }
    year = now.tm_year;
    month = now.tm_mon;
    day = now.tm_mday;
    char name[32];
    std::snprintf(name, sizeof name, "%d_%02d_%02d", year + 1900, month + 1, day);
    fileName = name;
    return true;
}

void CLLogWriter::openFile() {
    // A failed open leaves the stream failed, so later output does nothing until a new day.
    file.open(prefix + fileName + ".log", std::ios::out | std::ios::app);
    if (file.is_open()) {
        file.clear();
    }
}

void CLLogWriter::write(const char* message) {
    if (dateChanged()) {
        file.close();
        openFile();
    }
    const std::tm now = localNow();
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%d-%02d-%02d %02d:%02d:%02d ", now.tm_year + 1900,
                  now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
    file << stamp << ' ' << (message ? message : "") << ' ' << std::endl;
}
