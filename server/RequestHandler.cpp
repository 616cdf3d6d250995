#include "RequestHandler.h"

#include "AccountRules.h"
#include "Accounts.h"
#include "EventCodes.h"
#include "IntPacket.h"
#include "Lobby.h"
#include "Log.h"
#include "Packet.h"
#include "Peer.h"

#include <cassert>

RequestHandler::RequestHandler(Lobby& lobby, Accounts& accounts, std::string notice,
                               std::string noticeDate)
    : lobby(lobby), accounts(accounts), noticeText(std::move(notice)),
      noticeDate(std::move(noticeDate)) {}

void RequestHandler::opened(Peer& peer) {
    lobby.opened(peer);
}

void RequestHandler::closed(Peer& peer) {
    hashing.drop(peer.address(), peer.state.connection);
    lobby.closed(peer);
}

void RequestHandler::answer(Peer& peer, int32_t code, uint32_t seq,
                            std::initializer_list<int32_t> values) {
    peer.deliver(intPacket(code, seq, values));
}

template <typename Then>
auto RequestHandler::whenDone(Peer& peer, Then then) {
    peer.state.busy = true;
    return [this, connection = peer.state.connection, then = std::move(then)](auto result) {
        if (Peer* p = lobby.find(connection)) {
            then(*p, std::move(result));
            p->answered();
        }
    };
}

template <typename Result, typename Work, typename Then>
void RequestHandler::hash(Peer& peer, Work work, Then then) {
    hashing.add(peer.address(), peer.state.connection,
                [work = std::move(work),
                 done = whenDone(peer, std::move(then))](std::function<void()> finished) mutable {
                    work([finished = std::move(finished), done](std::optional<Result> result) {
                        finished();
                        done(std::move(result));
                    });
                });
}

bool RequestHandler::handle(Peer& peer, const uint8_t* body, size_t length) {
    assert(peer.ready());
    if (!parseRequestBody(body, length, request)) {
        RequestHeader header;
        if (decodeRequestHeader(body, length, header) != nullptr) {
            return false;
        }
        // A malformed body still gets its answer, in the refusal form.
        answer(peer, header.code, header.seq,
               header.code == EVENT_CHESS ? std::initializer_list<int32_t>{0, 0, 0}
                                          : std::initializer_list<int32_t>{0});
        return true;
    }
    const uint32_t seq = request.header.seq;
    const int32_t code = request.header.code;
    const CLDataBuffer& fields = request.fields;
    switch (code) {
    case EVENT_LOGIN:
        login(peer, seq, fields);
        break;
    case EVENT_REG:
        registerUser(peer, seq, fields);
        break;
    case EVENT_LOGOUT:
        answer(peer, code, seq, {lobby.logout(peer) ? 1 : 0});
        break;
    case EVENT_GETNOTICE:
        notice(peer, seq);
        break;
    case EVENT_JOINMATCH:
        answer(peer, code, seq, {lobby.join(peer) ? 1 : 0});
        break;
    case EVENT_CANCELMATCH:
        answer(peer, code, seq, {lobby.cancel(peer) ? 1 : 0});
        break;
    case EVENT_CHESS:
        move(peer, seq, fields);
        break;
    case EVENT_QUITCHESS:
        // Answered also after the game's end: the client frees its request only on an answer.
        lobby.quit(peer);
        answer(peer, code, seq, {peer.state.userId >= 0 ? 1 : 0});
        break;
    case EVENT_GETUSERINFO:
        userInfo(peer, seq, fields);
        break;
    default: // no request of ours, pushes included: refused, but answered
        answer(peer, code, seq, {0});
        break;
    }
    return true;
}

void RequestHandler::login(Peer& peer, uint32_t seq, const CLDataBuffer& fields) {
    const std::optional<std::string> name = fields.stringAt(0);
    const std::optional<std::string> digest = fields.stringAt(1);
    const auto now = LoginThrottle::Clock::now();
    // Refused for a full queue before it is taken: such a refusal is no try.
    if (!name || !digest || !hashing.hasRoom(peer.address()) ||
        !throttle.takeLogin(*name, peer.address(), now)) {
        answer(peer, EVENT_LOGIN, seq, {0});
        return;
    }
    if (!wellFormedUserName(*name) || !validDigest(*digest)) {
        answer(peer, EVENT_LOGIN, seq, {0});
        return;
    }
    hash<int32_t>(
        peer,
        [this, name = *name, digest = *digest](auto done) { accounts.login(name, digest, done); },
        [this, seq, name = *name, now](Peer& p, std::optional<int32_t> id) {
            if (!id) {
                logLine("login failed for %s from %s", name.c_str(), p.address().c_str());
                answer(p, EVENT_LOGIN, seq, {0});
                return;
            }
            throttle.succeeded(name, p.address(), now);
            lobby.login(p, *id, name);
            answer(p, EVENT_LOGIN, seq, {1, *id});
        });
}

void RequestHandler::registerUser(Peer& peer, uint32_t seq, const CLDataBuffer& fields) {
    const std::optional<std::string> name = fields.stringAt(0);
    const std::optional<std::string> digest = fields.stringAt(1);
    // The throttle first, where a flood is refused cheaply: an ill-formed request counts too.
    if (!hashing.hasRoom(peer.address()) ||
        !throttle.takeRegistration(peer.address(), LoginThrottle::Clock::now()) || !name ||
        !digest || !validUserName(*name) || !validDigest(*digest)) {
        answer(peer, EVENT_REG, seq, {0});
        return;
    }
    hash<int32_t>(
        peer,
        [this, name = *name, digest = *digest](auto done) {
            accounts.registerUser(name, digest, done);
        },
        [this, seq, name = *name](Peer& p, std::optional<int32_t> id) {
            if (id) {
                logLine("registered %s (id %d)", name.c_str(), *id);
            }
            answer(p, EVENT_REG, seq, {id ? 1 : 0});
        });
}

void RequestHandler::userInfo(Peer& peer, uint32_t seq, const CLDataBuffer& fields) {
    const std::optional<int32_t> id = fields.intAt(0);
    if (peer.state.userId < 0 || !id) {
        answer(peer, EVENT_GETUSERINFO, seq, {0});
        return;
    }
    accounts.userInfo(*id, whenDone(peer, [this, seq](Peer& p, std::optional<UserInfo> info) {
        if (!info) {
            answer(p, EVENT_GETUSERINFO, seq, {0});
            return;
        }
        CLDataBuffer out;
        out.addInt(info->id);
        out.addString(info->name.c_str());
        out.addInt(info->score);
        out.addInt(info->wins);
        out.addInt(info->losses);
        out.addInt(info->draws);
        p.deliver(buildResponsePacket(EVENT_GETUSERINFO, seq, &out));
    }));
}

void RequestHandler::notice(Peer& peer, uint32_t seq) {
    if (noticeText.empty()) {
        answer(peer, EVENT_GETNOTICE, seq, {0});
        return;
    }
    CLDataBuffer out;
    out.addInt(1);
    out.addString(noticeText.c_str());
    out.addString(noticeDate.c_str());
    peer.deliver(buildResponsePacket(EVENT_GETNOTICE, seq, &out));
}

void RequestHandler::move(Peer& peer, uint32_t seq, const CLDataBuffer& fields) {
    const std::optional<int32_t> x = fields.intAt(0);
    const std::optional<int32_t> y = fields.intAt(1);
    if (!x || !y) {
        answer(peer, EVENT_CHESS, seq, {0, 0, 0});
        return;
    }
    const Lobby::MoveAnswer result = lobby.move(peer, *x, *y);
    if (!result.accepted) {
        answer(peer, EVENT_CHESS, seq, {0, 0, 0});
        return;
    }
    answer(peer, EVENT_CHESS, seq, {1, result.over ? 1 : 0, result.outcome});
}
