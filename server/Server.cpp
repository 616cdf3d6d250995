#include "Server.h"

#include "Log.h"
#include "Session.h"

#include <vector>

Server::Server(asio::io_context& io, RequestHandler& handler)
    : handler(handler), acceptor(io), retry(io) {}

bool Server::listen(const asio::ip::tcp::endpoint& at, std::error_code& ec) {
    acceptor.open(at.protocol(), ec);
    if (!ec) {
        acceptor.set_option(asio::ip::tcp::acceptor::reuse_address(true), ec);
    }
    if (!ec) {
        acceptor.bind(at, ec);
    }
    if (!ec) {
        acceptor.listen(asio::socket_base::max_listen_connections, ec);
    }
    if (ec) {
        return false;
    }
    doAccept();
    return true;
}

asio::ip::tcp::endpoint Server::localEndpoint() const {
    std::error_code ec;
    return acceptor.local_endpoint(ec);
}

void Server::doAccept() {
    acceptor.async_accept([this](std::error_code ec, asio::ip::tcp::socket socket) {
        if (stopped) {
            return;
        }
        if (ec) {
            // Out of descriptors, most likely: wait a little instead of spinning.
            logLine("error: accepting a connection: %s", ec.message().c_str());
            retry.expires_after(std::chrono::milliseconds(100));
            retry.async_wait([this](std::error_code waitError) {
                if (!waitError && !stopped) {
                    doAccept();
                }
            });
            return;
        }
        auto session = std::make_shared<Session>(std::move(socket), handler,
                                                 [this](Session& s) { sessions.erase(&s); });
        sessions.emplace(session.get(), session);
        session->start();
        doAccept();
    });
}

void Server::stop() {
    stopped = true;
    std::error_code ignored;
    acceptor.close(ignored);
    retry.cancel();
    std::vector<std::shared_ptr<Session>> all;
    all.reserve(sessions.size());
    for (auto& entry : sessions) {
        all.push_back(entry.second);
    }
    for (auto& session : all) {
        session->close("server stopping");
    }
}
