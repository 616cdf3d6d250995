#include "CommandLine.h"

#include <cstdlib>

namespace {

// "HOST:PORT": a host name or IPv4 address (the network module connects over IPv4 only) and a
// port from 1 to 65535.
bool parseServer(const std::string& text, GameOptions& out) {
    const size_t colon = text.find(':');
    if (colon == 0 || colon == std::string::npos ||
        text.find(':', colon + 1) != std::string::npos) {
        return false;
    }
    const std::string port = text.substr(colon + 1);
    if (port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const long value = std::strtol(port.c_str(), nullptr, 10);
    if (value < 1 || value > 65535) {
        return false;
    }
    out.host = text.substr(0, colon);
    out.port = static_cast<uint16_t>(value);
    return true;
}

} // namespace

const char* gameUsage() {
    return "usage: koralith [options]\n"
           "  --server HOST:PORT   play online on this game server (default " KORALITH_SERVER_HOST
           ":" KORALITH_SERVER_PORT_TEXT ")\n"
           "  --help               this text\n";
}

bool parseGameOptions(int argc, char** argv, GameOptions& out, std::string& error) {
    out = GameOptions{KORALITH_SERVER_HOST, KORALITH_SERVER_PORT, false};
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            out.help = true;
        } else if (option != "--server") {
            error = "unknown option " + option;
            return false;
        } else if (i + 1 >= argc) {
            error = "--server needs HOST:PORT";
            return false;
        } else if (!parseServer(argv[++i], out)) {
            error = std::string("--server needs HOST:PORT (a port from 1 to 65535), not \"") +
                    argv[i] + "\"";
            return false;
        }
    }
    return true;
}
