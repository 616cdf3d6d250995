// The server's request handling, fed bytes without sockets: two logged-in players in a game,
// then requests, moves, takeovers and raw packets as the input says. No input may crash it,
// every packet it sends must be well framed, and every request must get exactly one answer with
// its code and sequence number.

#include "AccountStore.h"
#include "Accounts.h"
#include "EventCodes.h"
#include "Lobby.h"
#include "Packet.h"
#include "PasswordHash.h"
#include "Peer.h"
#include "RequestHandler.h"

#include <asio/io_context.hpp>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

class FuzzPeer : public Peer {
public:
    void send(std::vector<uint8_t> packet) override {
        if (closed) {
            fail("a packet for a closed connection");
        }
        if (packet.size() < kLengthFieldSize + kResponseHeaderSize ||
            readWord(packet.data()) != packet.size() - kLengthFieldSize) {
            fail("a packet whose length field does not match");
        }
        ParsedResponse r = parseResponseBody(packet.data() + 4, packet.size() - 4);
        const size_t fields = r.fields ? r.fields->fieldCount() : 0;
        if (r.code == EVENT_ELSEWHERE && r.seq == 0 && fields == 0) {
            return; // the word before a takeover's close (an answer to a request of that code
                    // has its result field)
        }
        if (isPushCode(r.code)) {
            // A push, or the answer to a request that carried a push code: framing only.
            if (fields == 0 || !r.fields->intAt(0)) {
                fail("a push without its first field");
            }
            return;
        }
        auto found = pending.find({r.code, r.seq});
        if (found == pending.end()) {
            fail("an answer to no request");
        }
        if (--found->second == 0) {
            pending.erase(found);
        }
        if (fields == 0 || !r.fields->intAt(0)) {
            fail("an answer without its result field");
        }
    }
    const std::string& address() const override { return where; }

    std::string where = "127.0.0.1";
    bool closed = false;
    std::map<std::pair<int32_t, uint32_t>, int> pending;
};

const char* const kNames[2] = {"ann", "bob"};
const char* const kDigest = "00112233445566778899aabbccddeeff";

// The database and the account work outlive one input, so that an input starts with two
// registered accounts at little cost; everything a game touches is new for each input.
struct Shared {
    asio::io_context io;
    std::unique_ptr<AccountStore> store;
    std::unique_ptr<Accounts> accounts;

    Shared() {
        std::string error;
        store = AccountStore::open(":memory:", error);
        if (!store) {
            fail(error.c_str());
        }
        for (const char* name : kNames) {
            int32_t id = 0;
            store->addUser(name, hashSecret(kDigest, HashCost::Minimum).value_or(""), id);
        }
        accounts = std::make_unique<Accounts>(io, io.get_executor(), io.get_executor(), *store,
                                              HashCost::Minimum);
    }
};

struct World {
    asio::io_context& io;
    std::unique_ptr<Lobby> lobby;
    std::unique_ptr<RequestHandler> handler;
    std::vector<std::unique_ptr<FuzzPeer>> all;
    FuzzPeer* seat[2] = {};
    uint32_t seq = 1;

    explicit World(Shared& shared) : io(shared.io) {
        lobby = std::make_unique<Lobby>(io, *shared.accounts, std::chrono::seconds(60), 1);
        handler = std::make_unique<RequestHandler>(*lobby, *shared.accounts, "notice",
                                                   "2025-01-01 12:00");
    }

    FuzzPeer& connect() {
        all.push_back(std::make_unique<FuzzPeer>());
        handler->opened(*all.back());
        return *all.back();
    }

    void deliver(FuzzPeer& peer, const uint8_t* body, size_t length) {
        if (peer.closed) {
            return;
        }
        if (length >= kRequestHeaderSize && readWord(body + 4) == kRequestWord &&
            !isPushCode(int32_t(readWord(body + 8)))) {
            ++peer.pending[{int32_t(readWord(body + 8)), readWord(body)}];
        }
        if (!handler->handle(peer, body, length)) {
            close(peer);
        }
        io.poll();
        io.restart();
    }

    void request(FuzzPeer& peer, int32_t code, const CLDataBuffer* fields) {
        const std::vector<uint8_t> packet = buildRequestPacket(seq++, code, fields);
        deliver(peer, packet.data() + 4, packet.size() - 4);
    }

    void login(FuzzPeer& peer, const char* name) {
        CLDataBuffer fields;
        fields.addString(name);
        fields.addString(kDigest);
        request(peer, EVENT_LOGIN, &fields);
    }

    void close(FuzzPeer& peer) {
        if (!peer.closed) {
            handler->closed(peer);
            peer.closed = true;
            peer.pending.clear();
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    startPasswordHashing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Shared shared;
    World w(shared);
    for (int i = 0; i < 2; ++i) {
        w.seat[i] = &w.connect();
        w.login(*w.seat[i], kNames[i]);
        w.request(*w.seat[i], EVENT_JOINMATCH, nullptr);
    }

    size_t p = 0;
    while (p < size) {
        const uint8_t s = data[p++];
        const int who = (s >> 3) & 1;
        FuzzPeer& peer = *w.seat[who];
        switch (s % 6) {
        case 0:
        case 1: { // a raw body of the given length
            if (size - p < 2) {
                p = size;
                break;
            }
            size_t length = size_t(data[p]) << 8 | data[p + 1];
            p += 2;
            length = std::min(length, size - p);
            std::vector<uint8_t> body(data + p, data + p + length); // exact bounds for ASan
            p += length;
            w.deliver(peer, body.data(), body.size());
            break;
        }
        case 2:
        case 3: { // a move, off the board now and then
            if (size - p < 2) {
                p = size;
                break;
            }
            CLDataBuffer fields;
            fields.addInt(int32_t(data[p] % 17) - 1);
            fields.addInt(int32_t(data[p + 1] % 17) - 1);
            p += 2;
            w.request(peer, EVENT_CHESS, &fields);
            break;
        }
        case 4: { // the same user from a new connection: a takeover, or a drop first
            if (s & 0x40) {
                w.close(peer);
            }
            w.seat[who] = &w.connect();
            w.login(*w.seat[who], kNames[who]);
            break;
        }
        default: // a request without fields
            if (p < size) {
                w.request(peer, int32_t(data[p++] % 12), nullptr);
            }
            break;
        }
    }
    for (const auto& peer : w.all) {
        if (!peer->closed && !peer->pending.empty()) {
            fail("a request without an answer");
        }
    }
    for (const auto& peer : w.all) {
        w.close(*peer);
    }
    w.io.poll();
    w.io.restart();
    return 0;
}
