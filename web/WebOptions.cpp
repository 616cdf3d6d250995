#include "WebOptions.h"

#include <cerrno>
#include <cstdlib>

namespace {

// "HOST:PORT", with "[v6]:PORT" for IPv6 addresses.
bool parseListen(const std::string& text, WebOptions& out) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) {
        return false;
    }
    std::string host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    char* end = nullptr;
    errno = 0;
    const long port = std::strtol(text.c_str() + colon + 1, &end, 10);
    if (host.empty() || errno != 0 || *end != '\0' || port < 0 || port > 65535 ||
        text[colon + 1] == '-' || text[colon + 1] == '+') {
        return false;
    }
    out.listenHost = host;
    out.listenPort = static_cast<unsigned short>(port);
    return true;
}

} // namespace

const char* webUsage() {
    return "usage: koralith-web [options]\n"
           "  --db PATH            the game server's SQLite database, only ever read\n"
           "                       (default koralith.db; it need not exist yet)\n"
           "  --listen ADDR:PORT   address to serve the pages on (default 127.0.0.1:8080;\n"
           "                       [::]:PORT for IPv6; port 0 picks a free port, printed at "
           "start)\n"
           "  --help               this text\n";
}

bool parseWebOptions(int argc, char** argv, WebOptions& out, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            out.help = true;
            continue;
        }
        if (option != "--db" && option != "--listen") {
            error = "unknown option " + option;
            return false;
        }
        if (i + 1 >= argc) {
            error = option + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        if (option == "--db") {
            if (value.empty()) {
                error = "--db needs a file name";
                return false;
            }
            out.databasePath = value;
        } else if (!parseListen(value, out)) {
            error = "--listen needs ADDR:PORT with a port from 0 to 65535, not \"" + value + "\"";
            return false;
        }
    }
    return true;
}
