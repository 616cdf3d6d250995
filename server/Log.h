#pragma once
// One line per event on standard error, stamped with the local time. Safe from any thread: the
// worker pool reports database errors through it too.

#include <cstdarg>

void logLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
