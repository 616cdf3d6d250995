#pragma once
// Turns each request body into its answer: checks the fields, asks the Lobby or Accounts, and
// answers with the request's code and sequence number, also when it cannot honour the request
// (field 0 is then 0). A request that waits on a worker leaves its peer busy until its answer is
// sent, so that the connection's next request waits for it. Logins and registrations are
// throttled when they arrive and take their turn at the hashing with the other addresses'.
// Knows nothing of sockets: a Session feeds it, and so does the fuzzer. Io thread only.

#include "HashingQueue.h"
#include "LoginThrottle.h"
#include "Packet.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

class Accounts;
class Lobby;
class Peer;

class RequestHandler {
public:
    // `noticeDate` is "YYYY-MM-DD HH:MM"; an empty notice is answered as none.
    RequestHandler(Lobby& lobby, Accounts& accounts, std::string notice, std::string noticeDate);

    void opened(Peer& peer);
    // One request body, without its length field, for a peer that is ready(). False when it
    // cannot be a request at all: the connection is then to be closed.
    bool handle(Peer& peer, const uint8_t* body, size_t length);
    void closed(Peer& peer);

private:
    void answer(Peer& peer, int32_t code, uint32_t seq, std::initializer_list<int32_t> values);
    void login(Peer& peer, uint32_t seq, const CLDataBuffer& fields);
    void registerUser(Peer& peer, uint32_t seq, const CLDataBuffer& fields);
    void userInfo(Peer& peer, uint32_t seq, const CLDataBuffer& fields);
    void notice(Peer& peer, uint32_t seq);
    void move(Peer& peer, uint32_t seq, const CLDataBuffer& fields);
    // Marks the peer busy and wraps `then` for a worker's result: on the io thread, `then` runs
    // with the peer (unless its connection has closed meanwhile), which then takes its next
    // request.
    template <typename Then>
    auto whenDone(Peer& peer, Then then);
    // Queues `work` (an Accounts call, given the callback for its result) for its turn at the
    // hashing; `then` as for whenDone.
    template <typename Result, typename Work, typename Then>
    void hash(Peer& peer, Work work, Then then);

    Lobby& lobby;
    Accounts& accounts;
    std::string noticeText;
    std::string noticeDate;
    LoginThrottle throttle;
    HashingQueue hashing;
    ParsedRequest request; // the one being handled; its storage serves the next
};
