#pragma once
// One line per event on standard error, stamped with the local time. Safe from any thread (the
// worker pools report database errors through it too), and it never blocks its caller: lines
// wait in a bounded queue that a thread of the log's own writes out, so a standard error that
// nobody reads (a full pipe) cannot hold up the event loop. Lines that find the queue full are
// dropped and counted; the count follows in a line of its own once the writer has caught up.
// Everything logged goes through escapedForLog, so a client's text cannot break a line or
// reorder what surrounds it.

#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

void logLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// `text` with what would not read as written spelled out: control and format characters (bidi
// controls among them) and the line and paragraph separators as \u{hex code point}, each byte
// of ill-formed UTF-8 as \x{hex byte}, and the backslash as \\ so that none of these is
// mistaken for an escape.
std::string escapedForLog(std::string_view text);

// Waits at most `limit` for the queued lines to be written, then gives up on a standard error
// that does not take them (the writer is left blocked in its write until the process ends).
// For the end of main: lines logged later may be lost.
void stopLog(std::chrono::milliseconds limit);

// The queue and its writer thread, on a descriptor of the caller's choice.
class LogWriter {
public:
    LogWriter(int fd, size_t maxQueuedBytes);
    // Waits for the writer however long its descriptor takes: only for a writer stopped in time.
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Queues `line` and a newline, or counts it as dropped; never waits on the descriptor.
    void write(const std::string& line);
    // True when everything queued was written within `limit`; the writer thread has then ended.
    bool stop(std::chrono::milliseconds limit);

private:
    void run();

    const int fd;
    const size_t maxQueuedBytes;
    std::mutex mutex;
    std::condition_variable wake; // for the writer: lines queued, or the stop
    std::condition_variable done; // for stop(): the writer has ended
    std::string queued;
    size_t dropped = 0; // since the writer last took the queue
    bool stopping = false;
    bool pausing = false; // gathering lines after a write: no need to wake it
    bool finished = false;
    std::thread writer; // last: starts once the rest is ready
};
