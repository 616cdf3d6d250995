#include "ServerOptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

bool parseInteger(const char* text, long low, long high, long& out) {
    if (*text == '\0') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

} // namespace

bool parseListenAddress(const std::string& text, std::string& host, unsigned short& port) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        return false;
    }
    std::string name = text.substr(0, colon);
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
        name = name.substr(1, name.size() - 2);
    }
    long number = 0;
    const char* digits = text.c_str() + colon + 1;
    if (name.empty() || *digits == '-' || *digits == '+' ||
        !parseInteger(digits, 0, 65535, number)) {
        return false;
    }
    host = name;
    port = static_cast<unsigned short>(number);
    return true;
}

namespace {

// The options that take a whole number from 1 to `high`.
struct NumberOption {
    const char* name;
    long high;
    int ServerOptions::*field;
};
constexpr NumberOption kNumbers[] = {
    {"--move-seconds", 86400, &ServerOptions::moveSeconds},
    {"--idle-seconds", 86400, &ServerOptions::idleSeconds},
    {"--connections-per-address", 1000000, &ServerOptions::connectionsPerAddress},
};

} // namespace

const char* serverUsage() {
    return "usage: koralith-server [options]\n"
           "  --listen ADDR:PORT   address to accept players on (default 127.0.0.1:8886;\n"
           "                       port 0 picks a free port, printed at start)\n"
           "  --db PATH            SQLite database of accounts and games (default koralith.db)\n"
           "  --notice TEXT        one line shown in the players' main menu\n"
           "  --move-seconds N     time for each move, 1 to 86400 (default 60)\n"
           "  --idle-seconds N     a connection that completes no request for N seconds\n"
           "                       before it logs in is closed, 1 to 86400 (default 60)\n"
           "  --connections-per-address N\n"
           "                       open connections from one address, 1 to 1000000 (default 64)\n"
           "  --hash-cost COST     password hashing: interactive (default) or min\n"
           "                       (min is for tests and load runs only)\n"
           "  --export-games DIR   do not serve: write every finished game in the database as\n"
           "                       an SGF file into DIR (made if missing) and exit. Files are\n"
           "                       named by end time (UTC) and the game's row id in the\n"
           "                       database; a file already there is kept, so a repeat adds\n"
           "                       only the new games. The database is only read: safe while\n"
           "                       a server runs on it\n"
           "  --help               this text\n";
}

bool parseServerOptions(int argc, char** argv, ServerOptions& out, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            out.help = true;
            continue;
        }
        const auto number = std::find_if(std::begin(kNumbers), std::end(kNumbers),
                                         [&](const NumberOption& n) { return option == n.name; });
        if (option != "--listen" && option != "--db" && option != "--notice" &&
            option != "--hash-cost" && option != "--export-games" && number == std::end(kNumbers)) {
            error = "unknown option " + option;
            return false;
        }
        if (i + 1 >= argc) {
            error = option + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        long parsed = 0;
        if (number != std::end(kNumbers)) {
            if (!parseInteger(value.c_str(), 1, number->high, parsed)) {
                error = option + " needs a whole number from 1 to " + std::to_string(number->high);
                return false;
            }
            out.*(number->field) = static_cast<int>(parsed);
        } else if (option == "--listen") {
            if (!parseListenAddress(value, out.listenHost, out.listenPort)) {
                error = "--listen needs ADDR:PORT, not \"" + value + "\"";
                return false;
            }
        } else if (option == "--db") {
            if (value.empty()) {
                error = "--db needs a path";
                return false;
            }
            out.databasePath = value;
        } else if (option == "--export-games") {
            if (value.empty()) {
                error = "--export-games needs a folder";
                return false;
            }
            out.exportFolder = value;
        } else if (option == "--notice") {
            out.notice = value;
        } else if (value == "interactive" || value == "min") {
            out.hashCost = value == "min" ? HashCost::Minimum : HashCost::Interactive;
        } else {
            error = "--hash-cost needs interactive or min";
            return false;
        }
    }
    return true;
}
