#include "WebOptions.h"

#include "ServerOptions.h"

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
        } else if (!parseListenAddress(value, out.listenHost, out.listenPort)) {
            error = "--listen needs ADDR:PORT with a port from 0 to 65535, not \"" + value + "\"";
            return false;
        }
    }
    return true;
}
