#include "WebServer.h"

#include "Assets.h"
#include "BoundedPool.h"
#include "Html.h"
#include "Json.h"
#include "LimitedServer.h"
#include "StorePool.h"
#include "WebLog.h"

#include <httplib.h>

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// A page number: 1 to 999999, digits only.
std::optional<int> pageNumber(const std::string& text) {
    if (text.empty() || text.size() > 6 || text[0] == '0' ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return std::stoi(text);
}

// A game's id in a path: 1 to 18 digits, not 0.
std::optional<int64_t> gameId(const std::string& text) {
    if (text.empty() || text.size() > 18 || text[0] == '0' ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return std::stoll(text);
}

// For the statuses the library sets by itself.
const char* statusWords(int status) {
    switch (status) {
    case 400:
        return "That request is malformed.";
    case 413:
        return "That request is too large.";
    case 414:
        return "That address is too long.";
    default:
        return "That request cannot be served.";
    }
}

void reply(httplib::Response& res, int status, const std::string& message, bool api) {
    res.status = status;
    if (api) {
        res.set_content(errorJson(message), "application/json");
    } else {
        res.set_content(errorPage(status, message), "text/html; charset=utf-8");
    }
}

// The library answers "br" with Brotli at its slowest quality (some 60 ms for one page here):
// offer it gzip alone. The request is the server's own object, const only in the handler's view.
void gzipOnly(const httplib::Request& req) {
    auto& headers = const_cast<httplib::Request&>(req).headers;
    const bool gzip = req.get_header_value("Accept-Encoding").find("gzip") != std::string::npos;
    headers.erase("Accept-Encoding");
    if (gzip) {
        headers.emplace("Accept-Encoding", "gzip");
    }
}

} // namespace

struct WebServer::Impl {
    explicit Impl(const std::string& path) : stores(path) {}

    void serve(const httplib::Request& req, httplib::Response& res);
    void serveData(const std::string& route, const httplib::Request& req, httplib::Response& res,
                   bool api);

    LimitedServer http;
    StorePool stores;
};

WebServer::WebServer(const std::string& databasePath) : impl(std::make_unique<Impl>(databasePath)) {
    httplib::Server& http = impl->http;
    http.new_task_queue = [] { return new BoundedPool(kThreads, kQueuedConnections); };
    http.set_tcp_nodelay(true);
    http.set_keep_alive_max_count(1000);
    // A connection holds its worker while it idles: let it go soon.
    http.set_keep_alive_timeout(2);
    http.set_read_timeout(5);
    http.set_write_timeout(5);
    http.set_payload_max_length(4096);
    http.set_default_headers({{"Content-Security-Policy", "default-src 'self'"},
                              {"X-Content-Type-Options", "nosniff"},
                              {"Referrer-Policy", "no-referrer"}});
    http.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
        const bool api = startsWith(req.path, "/api/");
        gzipOnly(req);
        if (req.method != "GET" && req.method != "HEAD") {
            res.set_header("Allow", "GET, HEAD");
            reply(res, 405, "Only GET and HEAD are served here.", api);
        } else if (req.target.size() > kMaxTargetBytes) {
            reply(res, 414, "That address is too long.", api);
        } else {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        return httplib::Server::HandlerResponse::Handled;
    });
    http.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        impl->serve(req, res);
    });
    // What the library answers by itself (a malformed request, an address past its own bound).
    http.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
        if (res.body.empty()) {
            reply(res, res.status, statusWords(res.status), startsWith(req.path, "/api/"));
        }
    });
    http.set_exception_handler(
        [](const httplib::Request& req, httplib::Response& res, std::exception_ptr) {
            webLog("error: a request failed unexpectedly");
            reply(res, 500, "Something went wrong.", startsWith(req.path, "/api/"));
        });
}

WebServer::~WebServer() = default;

int WebServer::bind(const std::string& host, unsigned short port) {
    if (port == 0) {
        return impl->http.bind_to_any_port(host);
    }
    return impl->http.bind_to_port(host, port) ? port : -1;
}

bool WebServer::run() {
    return impl->http.listen_after_bind();
}

void WebServer::stop() {
    impl->http.stop();
}

bool WebServer::running() const {
    return impl->http.is_running();
}

void WebServer::Impl::serve(const httplib::Request& req, httplib::Response& res) {
    const std::string& path = req.path;
    const bool api = startsWith(path, "/api/");
    const std::string route = api ? path.substr(4) : path;
    // Each route takes at most one parameter, once: anything else is a malformed address.
    const char* allowed = route == "/" || route == "/leaderboard" ? "page"
                          : route == "/player"                    ? "name"
                                                                  : "";
    for (const auto& [key, value] : req.params) {
        if (key != allowed || req.params.count(key) > 1) {
            return reply(res, 400, "That address has parameters it does not take.", api);
        }
    }
    if (const Asset* asset = findAsset(path)) {
        res.set_header("Cache-Control", "public, max-age=3600");
        return res.set_content(asset->body, asset->type);
    }
    res.set_header("Cache-Control", "no-cache");
    try {
        serveData(route, req, res, api);
    } catch (const StoreError& e) {
        stores.note(std::string("error: ") + e.what());
        reply(res, 503, "The game database cannot be read right now.", api);
    }
}

void WebServer::Impl::serveData(const std::string& route, const httplib::Request& req,
                                httplib::Response& res, bool api) {
    const bool leaderboard = api ? route == "/leaderboard" : route == "/";
    const bool named = route == "/player" && req.has_param("name");
    const bool player = named || (startsWith(route, "/player/") && route.size() > 8);
    const bool sgf = !api && startsWith(route, "/game/") && route.size() > 10 &&
                     route.compare(route.size() - 4, 4, ".sgf") == 0;
    const std::optional<int64_t> game =
        startsWith(route, "/game/") ? gameId(route.substr(6, route.size() - 6 - (sgf ? 4 : 0)))
                                    : std::nullopt;
    std::optional<int> page = 1;
    if (req.has_param("page")) {
        page = pageNumber(req.get_param_value("page"));
    }
    if (!leaderboard && !player && !game) {
        return reply(res, 404, "There is no such page here.", api);
    }
    if (!page) {
        return reply(res, 400, "A page is a number from 1 up.", api);
    }
    bool missing = false;
    StorePool::Lease lease = stores.lease(missing);
    WebStore* store = lease.get();
    // No database yet: an empty first page of the leaderboard, and nothing else.
    if (store == nullptr && !(missing && leaderboard && *page == 1)) {
        return missing ? reply(res, 404, "No games have been played on this server yet.", api)
                       : reply(res, 503, "The game database cannot be read right now.", api);
    }
    try {
        if (leaderboard) {
            std::optional<Leaderboard> board;
            if (store != nullptr && !(board = store->leaderboard(*page))) {
                return reply(res, 404, "There is no such page of the leaderboard.", api);
            }
            const Leaderboard* shown = board ? &*board : nullptr;
            return api ? res.set_content(leaderboardJson(shown), "application/json")
                       : res.set_content(leaderboardPage(shown), "text/html; charset=utf-8");
        }
        if (player) {
            const std::optional<PlayerProfile> profile =
                store->player(named ? req.get_param_value("name") : route.substr(8));
            if (!profile) {
                return reply(res, 404, "There is no player by that name.", api);
            }
            return api ? res.set_content(playerJson(*profile), "application/json")
                       : res.set_content(playerPage(*profile), "text/html; charset=utf-8");
        }
        const std::optional<GameDetail> detail = store->game(*game);
        if (!detail) {
            return reply(res, 404, "There is no such game.", api);
        }
        if (sgf) {
            res.set_header("Content-Disposition",
                           "attachment; filename=\"" + sgfFileName(detail->game) + "\"");
            return res.set_content(sgfText(detail->game), "application/x-go-sgf; charset=utf-8");
        }
        return api ? res.set_content(gameJson(*detail), "application/json")
                   : res.set_content(gamePage(*detail), "text/html; charset=utf-8");
    } catch (const StoreError&) {
        lease.discard();
        throw;
    }
}
