#pragma once
// Turns each request body into its answer: checks the fields, asks the Lobby or Accounts, and
// answers with the request's code and sequence number, also when it cannot honour the request
// (field 0 is then 0). Knows nothing of sockets: a Session feeds it, and so does the fuzzer.
// Io thread only.

#include "LoginThrottle.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <unordered_map>

class Accounts;
class CLDataBuffer;
class Lobby;
class Peer;

class RequestHandler {
public:
    // Logins and registrations of one connection that may wait on the worker pool at once;
    // beyond that they are refused, so that one client cannot queue up hashing work.
    static constexpr int kMaxPendingLogins = 4;

    // `noticeDate` is "YYYY-MM-DD HH:MM"; an empty notice is answered as none.
    RequestHandler(Lobby& lobby, Accounts& accounts, std::string notice, std::string noticeDate);

    void opened(Peer& peer);
    // One request body, without its length field. False when it cannot be a request at all:
    // the connection is then to be closed.
    bool handle(Peer& peer, const uint8_t* body, size_t length);
    void closed(Peer& peer);

private:
    void answer(Peer& peer, int32_t code, uint32_t seq, std::initializer_list<int32_t> values);
    void login(Peer& peer, uint32_t seq, const CLDataBuffer& fields);
    void registerUser(Peer& peer, uint32_t seq, const CLDataBuffer& fields);
    void userInfo(Peer& peer, uint32_t seq, const CLDataBuffer& fields);
    void notice(Peer& peer, uint32_t seq);
    void move(Peer& peer, uint32_t seq, const CLDataBuffer& fields);
    Peer* find(uint64_t connection) const;

    Lobby& lobby;
    Accounts& accounts;
    std::string noticeText;
    std::string noticeDate;
    LoginThrottle throttle;
    std::unordered_map<uint64_t, Peer*> peers;
    uint64_t nextConnection = 1;
};
