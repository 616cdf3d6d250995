#include "EventCodes.h"

const std::map<int32_t, std::string>& eventNameTable() {
    static const std::map<int32_t, std::string> table = {
        {EVENT_DISCOUNT, "gb_event_discount"},
        {EVENT_LOGIN, "gb_event_login"},
        {EVENT_REG, "gb_event_reg"},
        {EVENT_LOGOUT, "gb_event_logout"},
        {EVENT_GETVERSION, "gb_event_getversion"},
        {EVENT_GETNOTICE, "gb_event_getnotice"},
        {EVENT_JOINMATCH, "gb_event_joinmatch"},
        {EVENT_CANCELMATCH, "gb_event_cancelmatch"},
        {EVENT_CHESS, "gb_event_chess"},
        {EVENT_QUITCHESS, "gb_event_quitchess"},
        {EVENT_GETUSERINFO, "gb_event_getuserinfo"},
        {EVENT_MATCHRES, "gb_event_matchres"},
        {EVENT_OPPCHESS, "gb_event_oppchess"},
        {EVENT_OPPQUIT, "gb_event_oppquit"},
        {EVENT_OVERTIME, "gb_event_overtime"},
    };
    return table;
}

const char* eventName(int32_t code) {
    const auto& table = eventNameTable();
    const auto it = table.find(code);
    return it == table.end() ? nullptr : it->second.c_str();
}
