#include "ScriptedServer.h"

#include <poll.h>

ScriptedServer::ScriptedServer(Script script)
    : script(std::move(script)), thread([this] { run(); }) {}

ScriptedServer::~ScriptedServer() {
    stopping = true;
    thread.join();
}

Bytes ScriptedServer::packet(int32_t code, uint32_t seq, const CLDataBuffer& fields) {
    return buildResponsePacket(code, seq, &fields);
}

void ScriptedServer::send(const Bytes& bytes) {
    std::lock_guard<std::mutex> lock(mutex);
    if (connection.load() >= 0) {
        outbox.insert(outbox.end(), bytes.begin(), bytes.end());
    }
}

// Whole requests out of the inbox, each answered by the script; a body that is not a request is
// skipped. Under the mutex.
void ScriptedServer::takeRequests() {
    while (inbox.size() >= 4 && inbox.size() >= 4 + size_t(readWord(inbox.data()))) {
        const size_t length = readWord(inbox.data());
        ParsedRequest request;
        const bool parsed = parseRequestBody(inbox.data() + 4, length, request);
        inbox.erase(inbox.begin(), inbox.begin() + 4 + long(length));
        if (parsed) {
            const Bytes answer = script(request);
            outbox.insert(outbox.end(), answer.begin(), answer.end());
        }
    }
}

// One connection at a time, the newest: the client's network thread reconnects when it loses one.
void ScriptedServer::run() {
    while (!stopping) {
        // Without a connection, the wait for one is the loop's pause.
        if (const int fresh = peer.accept(connection.load() < 0 ? 5 : 0); fresh >= 0) {
            std::lock_guard<std::mutex> lock(mutex);
            if (const int old = connection.exchange(fresh); old >= 0) {
                peer.finish(old);
            }
            outbox.clear();
            inbox.clear();
        }
        const int fd = connection.load();
        if (fd < 0) {
            continue;
        }
        bool sending;
        {
            std::lock_guard<std::mutex> lock(mutex);
            sending = !outbox.empty();
        }
        pollfd entry{fd, short(POLLIN | (sending ? POLLOUT : 0)), 0};
        if (poll(&entry, 1, 5) <= 0) {
            continue;
        }
        std::lock_guard<std::mutex> lock(mutex);
        if (entry.revents & POLLIN) {
            uint8_t chunk[65536];
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
            if (n <= 0) {
                peer.finish(connection.exchange(-1));
                outbox.clear();
                continue;
            }
            inbox.insert(inbox.end(), chunk, chunk + n);
            takeRequests();
        }
        if ((entry.revents & POLLOUT) && !outbox.empty()) {
            const ssize_t n = ::send(fd, outbox.data(), outbox.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n > 0) {
                outbox.erase(outbox.begin(), outbox.begin() + n);
            }
        }
    }
}
