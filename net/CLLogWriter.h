#pragma once
// The network module's diary: one text file per local calendar day, named prefix + "2026_12_05"
// + ".log", appended to across runs, one flushed line per event. Owned by CLNetworkModule and
// written from whichever thread drives it. Not safe for overlapping writes: the module never
// makes two at once (see CLNetworkModule.h).

#include <ctime>
#include <fstream>
#include <functional>
#include <string>

class CLLogWriter {
public:
    // Seconds since the epoch; the local calendar date and time are derived from it.
    using Clock = std::function<std::time_t()>;

    // An unopenable day file (no rights, missing directory) only makes lines disappear until a
    // later day's file opens. An empty clock means the real one.
    explicit CLLogWriter(const char* prefix, Clock clock = {});
    ~CLLogWriter();

    CLLogWriter(const CLLogWriter&) = delete;
    CLLogWriter& operator=(const CLLogWriter&) = delete;

    // Writes "<date> <time>  <message> " and a line end; never fails to the caller.
    void write(const char* message);

private:
    std::tm localNow() const;
    bool dateChanged();
    void openFile();

    int year = 0; // years since 1900, as std::tm counts them
    int month = 0;
    int day = 0;
    std::string fileName;
    std::ofstream file;
    std::string prefix;
    Clock clock;
};
