#include "Server.h"

#include "Log.h"
#include "Session.h"

#include <vector>

Server::Server(asio::io_context& io, RequestHandler& handler, ConnectionLimits limits)
    : handler(handler), limits(limits), acceptor(io), retry(io) {}

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
        admit(std::move(socket));
        doAccept();
    });
}

void Server::admit(asio::ip::tcp::socket socket) {
    std::error_code ec;
    const auto endpoint = socket.remote_endpoint(ec);
    const std::string address = ec ? std::string("unknown") : endpoint.address().to_string();
    int& open = perAddress[address];
    if (open >= limits.perAddress) {
        logLine("connection from %s refused: %d open from there", address.c_str(), open);
        socket.close(ec);
        return;
    }
    ++open;
    auto session = std::make_shared<Session>(
        std::move(socket), address, handler, limits.idleBeforeLogin, [this, address](Session& s) {
            sessions.erase(&s);
            auto found = perAddress.find(address);
            if (found != perAddress.end() && --found->second == 0) {
                perAddress.erase(found);
            }
        });
    sessions.emplace(session.get(), session);
    session->start();
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
