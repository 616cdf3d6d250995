#pragma once
// One line on standard error per start, stop and error, stamped with the local time. Safe from
// any thread (each line is one stdio call). Lines are rare here, so unlike the game server's log
// there is no queue of its own.

void webLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
