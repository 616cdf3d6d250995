// The director's dispatch without a network (a director never started, events handed to
// onNetworkEvent as the network thread would, dispatchEvents called by hand), then a started
// director whose network thread talks to a loopback peer while headless frames dispatch.

#include "DirectorFeed.h"
#include "EventCodes.h"
#include "LoopbackPeer.h"
#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

namespace {

using Calls = std::vector<std::string>;

// "code/status request context response", e.g. "1/0 ['ann'] ['pw'] [1,22]".
std::string describe(const ResponseDataPack& pack) {
    return std::to_string(pack.code) + "/" + std::to_string(pack.status) + " " +
           show(pack.request) + " " + show(pack.context) + " " + show(pack.response);
}

class Director : public ::testing::Test {
protected:
    // What the server would send: a response or push with integer fields (none: header only).
    void arrive(int32_t code, uint32_t seq, std::initializer_list<int32_t> fields) {
        ::arrive(*director, code, seq, ints(fields));
    }
    // A request of strings; an empty context is none.
    bool send(int32_t code, std::initializer_list<const char*> body, bool reportFailure,
              std::initializer_list<const char*> context = {}) {
        return director->sendRequest(code, new CLDataBuffer(strings(body)),
                                     context.size() ? new CLDataBuffer(strings(context)) : nullptr,
                                     reportFailure);
    }
    // Listeners under these names that note every call.
    void listen(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            ASSERT_TRUE(director->addListener(
                name, [this](const ResponseDataPack& p) { calls.push_back(describe(p)); }));
        }
    }
    void tick(float dt = 0.1f) { director->dispatchEvents(dt); }

    TempDir dir;
    LoopbackPeer peer{1}; // accepts only when a test does
    std::unique_ptr<GBDirector> director =
        std::make_unique<GBDirector>("127.0.0.1", peer.port, dir.file("netlog").c_str());
    Calls calls;
};

TEST_F(Director, AnswersAndFailuresFindTheirRequestBySequenceNumberAndCode) {
    listen({"gb_event_login", "gb_event_logout", "gb_event_getnotice"});
    ASSERT_TRUE(send(EVENT_LOGIN, {"ann"}, true, {"pw1"})); // seq 0
    ASSERT_TRUE(send(EVENT_LOGIN, {"bob"}, true, {"pw2"})); // seq 1
    ASSERT_TRUE(send(EVENT_GETNOTICE, {"cn"}, false));      // seq 2
    ASSERT_TRUE(send(EVENT_LOGIN, {"cy"}, true));           // seq 3
    ASSERT_TRUE(send(EVENT_LOGOUT, {}, false));             // seq 4
    arrive(EVENT_REG, 0, {1});                              // another request's code
    arrive(EVENT_LOGIN, 7, {1});                            // a number no request carries
    arrive(EVENT_LOGIN, 1, {1, 22});
    arrive(EVENT_LOGIN, 0, {0});
    arrive(EVENT_LOGIN, 0, {1, 4}); // a duplicate
    arrive(EVENT_GETNOTICE, 2, {}); // header only: no fields
    // Failures reach only a listener that asked for them, and end their request.
    handBack(*director, CLNetworkModule::SEND_NOT_CONNECTED, 3, EVENT_LOGIN);
    handBack(*director, CLNetworkModule::SEND_FAILED, 4, EVENT_LOGOUT);
    arrive(EVENT_LOGIN, 3, {1});
    arrive(EVENT_LOGOUT, 4, {1});
    EXPECT_TRUE(calls.empty()); // nothing runs before the dispatch step
    tick();
    ASSERT_TRUE(send(EVENT_LOGIN, {"dan"}, true)); // numbering goes on: seq 5
    arrive(EVENT_LOGIN, 5, {1, 9});
    tick();
    EXPECT_EQ(calls,
              (Calls{"1/0 ['bob'] ['pw2'] [1,22]", "1/0 ['ann'] ['pw1'] [0]",
                     "5/0 ['cn'] null null", "1/1 ['cy'] null null", "1/0 ['dan'] null [1,9]"}));
}

TEST_F(Director, OneListenerPerNameWhichMayRemoveItselfWhileCalled) {
    // The capture dies with the registration: the call must run on a copy.
    const std::string tag(40, '*');
    ASSERT_TRUE(director->addListener("gb_event_login", [this, tag](const ResponseDataPack& p) {
        director->removeListeners("gb_event_login");
        listen({"gb_event_reg"});
        calls.push_back(tag.substr(0, 3) + describe(p));
    }));
    EXPECT_FALSE(director->addListener("gb_event_login", [](const ResponseDataPack&) {}));
    ASSERT_TRUE(send(EVENT_LOGIN, {"ann"}, true)); // seq 0
    ASSERT_TRUE(send(EVENT_LOGIN, {"bob"}, true)); // seq 1
    ASSERT_TRUE(send(EVENT_REG, {"cid"}, true));   // seq 2
    arrive(EVENT_LOGIN, 0, {1});
    arrive(EVENT_LOGIN, 1, {1});
    arrive(EVENT_REG, 2, {1});
    tick();
    EXPECT_EQ(calls, (Calls{"***1/0 ['ann'] null [1]", "2/0 ['cid'] null [1]"}));
    EXPECT_TRUE(director->addListener("gb_event_login", [](const ResponseDataPack&) {}));
}

TEST_F(Director, UnansweredRequestsExpireOnTheDirectorsClock) {
    listen({"gb_event_login", "gb_event_joinmatch"});
    ASSERT_TRUE(send(EVENT_LOGIN, {"ann"}, true, {"pw"})); // seq 0
    ASSERT_TRUE(send(EVENT_JOINMATCH, {}, false));         // seq 1
    tick(14.5f);
    EXPECT_TRUE(calls.empty());
    ASSERT_TRUE(send(EVENT_LOGIN, {"bob"}, true)); // seq 2, half a second later
    tick(0.5f);
    EXPECT_EQ(calls, (Calls{"1/2 ['ann'] ['pw'] null"}));

    // Late answers find nothing; the younger request is still waiting for its own.
    arrive(EVENT_LOGIN, 0, {1});
    arrive(EVENT_JOINMATCH, 1, {1});
    arrive(EVENT_LOGIN, 2, {1, 8});
    tick();
    tick(20);
    EXPECT_EQ(calls, (Calls{"1/2 ['ann'] ['pw'] null", "1/0 ['bob'] null [1,8]"}));
}

// A push nobody listens for is held, in arrival order, for the next listener; but game pushes
// held from a game the player left never reach the next game. The match push comes either between
// two dispatch steps or while one runs (a listener's work can take that long).
class StalePushes : public Director, public ::testing::WithParamInterface<bool> {};

TEST_P(StalePushes, MatchPushDropsHeldGamePushes) {
    const bool matchWhileDispatching = GetParam();
    ASSERT_TRUE(director->addListener("gb_event_getnotice", [&](const ResponseDataPack& p) {
        calls.push_back(describe(p));
        if (matchWhileDispatching) {
            arrive(EVENT_MATCHRES, 0, {1, 5, 6});
        }
    }));
    director->userId = 5;
    ASSERT_TRUE(send(EVENT_JOINMATCH, {}, false));
    ASSERT_TRUE(send(EVENT_GETNOTICE, {"cn"}, false));
    arrive(EVENT_OPPCHESS, 0, {3, 4, 0, 0});
    arrive(EVENT_OPPQUIT, 0, {77});
    arrive(EVENT_OVERTIME, 0, {77});
    arrive(EVENT_GETNOTICE, 1, {1});
    tick();
    if (!matchWhileDispatching) {
        arrive(EVENT_MATCHRES, 0, {1, 5, 6});
    }
    tick(); // the match push is held too

    // The match scene starts a game, whose listeners are then in place.
    ASSERT_TRUE(director->addListener("gb_event_matchres", [this](const ResponseDataPack& p) {
        calls.push_back(describe(p));
        listen({"gb_event_oppchess", "gb_event_oppquit", "gb_event_overtime"});
    }));
    arrive(EVENT_OPPCHESS, 0, {7, 7, 0, 0}); // the new game's first move
    tick();
    tick();
    EXPECT_EQ(calls, (Calls{"5/0 ['cn'] null [1]", "1000/0 null null [1,5,6]",
                            "1001/0 null null [7,7,0,0]"}));
}

INSTANTIATE_TEST_SUITE_P(Director, StalePushes, ::testing::Bool());

// A match push starts a game only for a player who asked to join and has not been matched since:
// one that comes unasked, a second one, one after a logout or a lost connection is dropped, not
// held for the next match room.
TEST_F(Director, MatchPushesReachOnlyAPlayerWhoAskedToJoin) {
    director->userId = 5;
    listen({"gb_event_matchres"});
    struct Case {
        const char* what;
        std::function<void()> before;
        bool delivered;
    };
    const Case cases[] = {
        {"unasked", [] {}, false},
        {"after a join", [&] { send(EVENT_JOINMATCH, {}, false); }, true},
        {"matched already", [] {}, false},
        {"logged out since",
         [&] { send(EVENT_JOINMATCH, {}, false), send(EVENT_LOGOUT, {}, false); }, false},
        {"connection lost since",
         [&] { send(EVENT_JOINMATCH, {}, false), connectionLost(*director); }, false},
        {"joined again", [&] { send(EVENT_JOINMATCH, {}, false); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.before();
        calls.clear();
        arrive(EVENT_MATCHRES, 0, {1, 5, 6});
        tick();
        tick();
        EXPECT_EQ(calls.size(), c.delivered ? 1u : 0u);
        EXPECT_EQ(director->heldCount(), 0u);
    }
}

// Pushes nobody listens for stay few and age out; a flood faster than the main thread takes it
// keeps only what one step can carry.
TEST_F(Director, HeldAndWaitingEventsStayBounded) {
    for (size_t i = 0; i < GBDirector::kMaxHeld + 10; ++i) {
        arrive(EVENT_OPPQUIT, 0, {int32_t(i)});
    }
    tick();
    EXPECT_EQ(director->heldCount(), GBDirector::kMaxHeld);
    tick(float(GBDirector::kHoldSeconds) + 0.5f);
    EXPECT_EQ(director->heldCount(), 0u);
    listen({"gb_event_oppquit"});
    tick();
    EXPECT_TRUE(calls.empty()) << "an aged push reached a later listener";

    for (size_t i = 0; i < GBDirector::kMaxWaiting + 10; ++i) {
        arrive(EVENT_OPPQUIT, 0, {1});
    }
    connectionLost(*director); // never dropped, however many messages wait
    listen({"gb_event_connection"});
    tick();
    EXPECT_EQ(calls.size(), GBDirector::kMaxWaiting + 1);
    EXPECT_EQ(calls.back(), "2000/0 null null [0]");
}

// A lost connection fails what was sent on it at once and tells the scenes; the login of this run
// goes again first on the next connection. The server ending the login (elsewhere, or refusing it
// again) and the player's own logout end the logging in again.
TEST_F(Director, ALostConnectionFailsWhatWasSentAndLogsInAgainUntilTheLoginEnds) {
    listen({"gb_event_connection", "gb_event_joinmatch"});
    // A login the server accepts: its name and digest are what the next connection opens with.
    auto logIn = [&]() -> uint32_t {
        EXPECT_TRUE(director->sendCredentials(EVENT_LOGIN, "ann", "pw"));
        arrive(EVENT_LOGIN, director->nextSequence() - 1, {1, 42});
        tick();
        EXPECT_TRUE(director->logsInAgain());
        return director->nextSequence() - 1; // the greeting's own number
    };
    uint32_t again = 0;
    struct Case {
        const char* what;
        std::function<void()> steps;
        Calls heard;
        int32_t userId;
        bool logsInAgain;
    };
    const Case cases[] = {
        {"lost, and back",
         [&] {
             again = logIn();
             send(EVENT_JOINMATCH, {}, true);
             connectionLost(*director);
             connectionMade(*director);
             arrive(EVENT_LOGIN, again, {1, 42});
         },
         {"6/2 [] null null", "2000/0 null null [0]", "2000/0 null null [2]"},
         42,
         true},
        {"the login again refused",
         [&] {
             connectionLost(*director);
             arrive(EVENT_LOGIN, again, {0});
         },
         {"2000/0 null null [0]", "2000/0 null null [3]"},
         -1,
         false},
        {"logged in elsewhere",
         [&] {
             again = logIn();
             arrive(EVENT_ELSEWHERE, 0, {});
             connectionLost(*director);
         },
         {"2000/0 null null [1]"},
         -1,
         false},
        {"logged out", [&] { logIn(), send(EVENT_LOGOUT, {}, false); }, {}, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        calls.clear();
        c.steps();
        tick();
        EXPECT_EQ(calls, c.heard);
        EXPECT_EQ(director->userId, c.userId);
        EXPECT_EQ(director->logsInAgain(), c.logsInAgain);
    }
}

// Headless frames run the dispatch step; a started director's network thread talks to the
// loopback peer.
class InFrames : public Director {
protected:
    // Frames until `done` holds; false when it does not within the patience.
    bool frames(const std::function<bool()>& done) {
        return eventually(
            [&] {
                harness.frame();
                return done();
            },
            scaled(3000));
    }
    // The next request on a connection, or nothing when none comes in time.
    static std::optional<ParsedRequest> nextRequest(int fd) {
        const Bytes length = readUpTo(fd, 4);
        const Bytes body = readUpTo(fd, length.size() == 4 ? readWord(length.data()) : 0);
        ParsedRequest parsed;
        if (length.size() != 4 || !parseRequestBody(body.data(), body.size(), parsed)) {
            return std::nullopt;
        }
        return parsed;
    }

    EngineHarness harness;
};

TEST_F(InFrames, StartedItReadsItsTextsAnswersReachTheListenerInFramesAndStopEndsItsThread) {
    std::ofstream(dir.file("text.xml")) << R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>neterror</key><string>No server.</string></dict></plist>)";
    auto* files = cocos2d::FileUtils::getInstance();
    const std::vector<std::string> searchPaths = files->getSearchPaths();
    files->setSearchPaths({dir.path()});
    EXPECT_EQ(director->getText("neterror"), ""); // no table read yet
    ASSERT_TRUE(director->start());               // connects on this thread, reads text.xml
    files->setSearchPaths(searchPaths);
    EXPECT_EQ(director->getText("neterror"), "No server.");
    EXPECT_EQ(director->getText("nosuchkey"), "");
    const int server = peer.accept();
    ASSERT_GE(server, 0);
    listen({"gb_event_login"});
    ASSERT_TRUE(send(EVENT_LOGIN, {"ann"}, true, {"pw"}));
    const std::optional<ParsedRequest> login = nextRequest(server);
    ASSERT_TRUE(login);
    const CLDataBuffer answer = ints({1, 42});
    put(server, buildResponsePacket(login->header.code, login->header.seq, &answer));
    frames([&] { return !calls.empty(); });
    EXPECT_EQ(calls, (Calls{"1/0 ['ann'] ['pw'] [1,42]"}));

    director->stop();
    uint8_t byte;
    EXPECT_EQ(recv(server, &byte, 1, 0), 0) << "the connection was closed";
    // Gone, it is no longer called by the engine.
    const GBDirector* gone = director.get();
    director.reset();
    EXPECT_FALSE(harness.director()->getScheduler()->isScheduled("fff", gone));
    harness.frame(10);
}

// Once the server hangs up, the first request on the next connection is the player's login,
// ahead of the request that brought the connection back.
TEST_F(InFrames, StartedTheLoginGoesFirstOnTheNextConnection) {
    ASSERT_TRUE(director->start());
    listen({"gb_event_connection"});
    int server = peer.accept();
    ASSERT_GE(server, 0);
    ASSERT_TRUE(director->sendCredentials(EVENT_LOGIN, "ann", "pw"));
    const std::optional<ParsedRequest> login = nextRequest(server);
    ASSERT_TRUE(login);
    const CLDataBuffer accepted = ints({1, 42});
    put(server, buildResponsePacket(EVENT_LOGIN, login->header.seq, &accepted));
    ASSERT_TRUE(frames([&] { return director->logsInAgain(); }));

    peer.finish(server);
    ASSERT_TRUE(frames([&] { return !calls.empty(); }));
    ASSERT_TRUE(send(EVENT_JOINMATCH, {}, true));
    server = peer.accept();
    ASSERT_GE(server, 0);
    const std::optional<ParsedRequest> first = nextRequest(server), second = nextRequest(server);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->header.code, EVENT_LOGIN);
    EXPECT_EQ(show(&first->fields), show(&login->fields));
    EXPECT_EQ(second->header.code, EVENT_JOINMATCH);
    put(server, buildResponsePacket(EVENT_LOGIN, first->header.seq, &accepted));
    EXPECT_TRUE(frames([&] { return calls.size() == 2; }));
    EXPECT_EQ(calls, (Calls{"2000/0 null null [0]", "2000/0 null null [2]"}));
    director->stop();
}

// With nothing waiting, pending or held, the dispatch step rests (an idle game sleeps); an event
// from the network thread wakes it and is delivered in the next frame, a request wakes it too.
TEST_F(InFrames, AnIdleDispatchStepRestsAndAnEventFromAnotherThreadWakesIt) {
    harness.director()->getScheduler()->schedule(
        CC_CALLBACK_1(GBDirector::dispatchEvents, director.get()), director.get(), 0.1f,
        CC_REPEAT_FOREVER, 0.1f, false, "fff");
    listen({"gb_event_oppquit"});
    auto* scheduler = harness.director()->getScheduler();
    harness.advance(0.2f);
    EXPECT_TRUE(scheduler->isTargetPaused(director.get()));
    std::thread([&] { arrive(EVENT_OPPQUIT, 0, {3}); }).join();
    harness.frame();
    EXPECT_EQ(calls, Calls{"1002/0 null null [3]"});
    harness.advance(0.2f);
    ASSERT_TRUE(scheduler->isTargetPaused(director.get()));
    ASSERT_TRUE(send(EVENT_LOGOUT, {}, false));
    EXPECT_FALSE(scheduler->isTargetPaused(director.get())); // its time-out is to be kept
}

} // namespace
