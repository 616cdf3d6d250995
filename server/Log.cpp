#include "Log.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>
#include <unistd.h>

namespace {

constexpr size_t kMaxQueuedBytes = 256 * 1024;
constexpr std::chrono::milliseconds kGatherLines{20};

std::string stamped(const std::string& text) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(stamp) + " koralith-server: " + text;
}

// Everything, unless the descriptor fails (a closed pipe: the lines are lost).
void writeAll(int fd, const std::string& text) {
    for (size_t at = 0; at < text.size();) {
        const ssize_t n = ::write(fd, text.data() + at, text.size() - at);
        if (n > 0) {
            at += size_t(n);
        } else if (errno == EAGAIN) { // someone made the descriptor non-blocking
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, -1);
        } else if (errno != EINTR) {
            return;
        }
    }
}

// Made on the first line and never destroyed: a writer still blocked at the process's end must
// not find it gone.
LogWriter& processLog() {
    static LogWriter* log = new LogWriter(STDERR_FILENO, kMaxQueuedBytes);
    return *log;
}

} // namespace

void logLine(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    processLog().write(stamped(escapedForLog(text)));
}

std::string escapedForLog(std::string_view text) {
    std::string out;
    char code[16];
    const int32_t length = int32_t(std::min<size_t>(text.size(), INT32_MAX));
    for (int32_t i = 0; i < length;) {
        const int32_t start = i;
        UChar32 c;
        U8_NEXT(text.data(), i, length, c);
        if (c < 0) {
            for (int32_t k = start; k < i; ++k) {
                std::snprintf(code, sizeof code, "\\x{%02x}", unsigned(uint8_t(text[k])));
                out += code;
            }
            continue;
        }
        const int8_t type = u_charType(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (type == U_CONTROL_CHAR || type == U_FORMAT_CHAR || type == U_LINE_SEPARATOR ||
                   type == U_PARAGRAPH_SEPARATOR) {
            std::snprintf(code, sizeof code, "\\u{%x}", unsigned(c));
            out += code;
        } else {
            out.append(text.substr(size_t(start), size_t(i - start)));
        }
    }
    return out;
}

void stopLog(std::chrono::milliseconds limit) {
    processLog().stop(limit);
}

LogWriter::LogWriter(int fd, size_t maxQueuedBytes)
    : fd(fd), maxQueuedBytes(maxQueuedBytes), writer([this] { run(); }) {}

LogWriter::~LogWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_one();
    if (writer.joinable()) {
        writer.join();
    }
}

void LogWriter::write(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex);
    const bool idle = queued.empty() && dropped == 0; // else the writer comes back for more
    // Once a line is dropped, the rest wait for the writer too: the count then stands exactly
    // where the lines went missing.
    if (dropped > 0 || queued.size() + line.size() + 1 > maxQueuedBytes) {
        ++dropped;
    } else {
        queued += line;
        queued += '\n';
    }
    if (idle && !pausing) {
        wake.notify_one();
    }
}

bool LogWriter::stop(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(mutex);
    stopping = true;
    wake.notify_one();
    if (!done.wait_for(lock, limit, [this] { return finished; })) {
        return false;
    }
    lock.unlock();
    if (writer.joinable()) {
        writer.join();
    }
    return true;
}

void LogWriter::run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return !queued.empty() || dropped > 0 || stopping; });
        if (queued.empty() && dropped == 0) {
            break;
        }
        std::string text;
        text.swap(queued);
        const size_t lost = dropped;
        dropped = 0;
        lock.unlock();
        if (lost > 0) {
            text += stamped("... " + std::to_string(lost) + " log lines dropped\n");
        }
        writeAll(fd, text);
        lock.lock();
        // Lines that come meanwhile are written together: a wake-up and a write for each line
        // cost the io thread's neighbour more than the lines themselves.
        pausing = true;
        wake.wait_for(lock, kGatherLines, [this] { return stopping; });
        pausing = false;
    }
    finished = true;
    done.notify_all();
}
