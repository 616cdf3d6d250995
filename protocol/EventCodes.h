#pragma once
// The event codes of the message format and the names listeners register under. Codes below
// 1000 are requests answered with the same code; 1000 to 1003 are pushes the server sends
// unasked.

#include <cstdint>
#include <map>
#include <string>

enum EventCode : int32_t {
    EVENT_DISCOUNT = 0,
    EVENT_LOGIN = 1,
    EVENT_REG = 2,
    EVENT_LOGOUT = 3,
    EVENT_GETVERSION = 4,
    EVENT_GETNOTICE = 5,
    EVENT_JOINMATCH = 6,
    EVENT_CANCELMATCH = 7,
    EVENT_CHESS = 8,
    EVENT_QUITCHESS = 9,
    EVENT_GETUSERINFO = 10,
    EVENT_MATCHRES = 1000,
    EVENT_OPPCHESS = 1001,
    EVENT_OPPQUIT = 1002,
    EVENT_OVERTIME = 1003,
    // Sent by the server just before it closes a connection whose account has logged in on
    // another: the client is not to log in again by itself. It has no event name: the director
    // takes it, and a client that does not know it drops it as an answer nobody asked for.
    EVENT_ELSEWHERE = 1004,
};

// Outcome of a finished game in the chess answer and the oppchess push.
enum GameOutcome : int32_t {
    OUTCOME_BLACK_WON = 0,
    OUTCOME_WHITE_WON = 1,
    OUTCOME_DRAW = 2,
};

constexpr bool isPushCode(int32_t code) {
    return code >= EVENT_MATCHRES && code <= EVENT_OVERTIME;
}

// The fifteen codes and their names ("gb_event_login", ...).
const std::map<int32_t, std::string>& eventNameTable();

// The name of `code`, or null when it has none.
const char* eventName(int32_t code);
