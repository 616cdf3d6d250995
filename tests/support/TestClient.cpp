#include "TestClient.h"

#include <algorithm>

std::optional<Message> TestClient::take(const std::function<bool(const Message&)>& wanted,
                                        std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        while (inbox.size() >= 4 && inbox.size() >= 4 + size_t(readWord(inbox.data()))) {
            const size_t length = readWord(inbox.data());
            ParsedResponse parsed = parseResponseBody(inbox.data() + 4, length);
            inbox.erase(inbox.begin(), inbox.begin() + 4 + long(length));
            held.push_back({parsed.code, parsed.seq});
            if (parsed.fields) {
                held.back().fields = std::move(parsed.fields);
            }
        }
        const auto found = std::find_if(held.begin(), held.end(), wanted);
        if (found != held.end()) {
            const Message m = *found;
            held.erase(found);
            return m;
        }
        // Rounded up, so that a wait with less than a millisecond left still reads the socket.
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{fd, POLLIN, 0};
        if (fd < 0 || wait.count() <= 0) {
            return std::nullopt;
        }
        if (poll(&p, 1, int(wait.count())) > 0) {
            uint8_t chunk[65536];
            const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0) {
                disconnect();
            } else {
                inbox.insert(inbox.end(), chunk, chunk + n);
            }
        }
    }
}
