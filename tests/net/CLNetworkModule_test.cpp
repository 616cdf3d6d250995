// The network module against a real loopback peer: the receive path driven step by step, then
// the network thread with its time limits.
#include "NetTest.h"

#include <tuple>

using Loop = NetTest;

TEST_F(Loop, ReceivedStreamIsCutIntoWholePacketsByItsLengthFields) {
    auto module = make(peer.port);
    module->setTimeouts(scaled(500), scaled(200));
    ASSERT_TRUE(module->connectServer());
    const int connection = peer.accept();
    ASSERT_GE(connection, 0);
    size_t taken = 0; // by recvData, until it has taken `upTo` bytes in all
    auto pump = [&](size_t upTo) {
        eventually([&] { return (taken += module->recvData()) >= upTo; });
    };
    // One byte at a time: handed over once, when whole.
    const Bytes packet = frame(pattern(20, 3));
    for (size_t i = 0; i < packet.size(); ++i) {
        put(connection, {packet[i]});
        if (i != 3) { // a whole length field is followed by a wait for the body
            pump(i + 1);
            ASSERT_EQ(waitFor(1, 0).size(), i + 1 == packet.size() ? 1u : 0u) << "byte " << i;
        }
    }
    EXPECT_EQ(logCount("处理完整数据包大小：20 \n"), 1u);
    // Together, in order; 00 00 01 00 announces 256 bytes, not 65536; an empty body is a packet.
    Events expected{{CLNetworkModule::PACKET_RECEIVED, pattern(20, 3)}};
    Bytes stream;
    for (const Bytes& body : {pattern(256, 1), Bytes{}, pattern(8, 9)}) {
        const Bytes next = frame(body);
        stream.insert(stream.end(), next.begin(), next.end());
        expected.push_back({CLNetworkModule::PACKET_RECEIVED, body});
    }
    put(connection, stream);
    pump(taken + stream.size());
    EXPECT_EQ(waitFor(4, 0), expected);
}

TEST_F(Loop, WhileNobodyListensQueuedPacketsComeBackInOrder) {
    LoopbackPeer refusing(LoopbackPeer::kRefusing);
    auto module = make(refusing.port);
    const Bytes first = frame(pattern(12, 1)), second = frame(pattern(20, 2));
    ASSERT_TRUE(send(*module, first) && send(*module, second));
    NetworkThread thread(*module);
    EXPECT_EQ(waitFor(2), (Events{{CLNetworkModule::SEND_NOT_CONNECTED, first},
                                  {CLNetworkModule::SEND_NOT_CONNECTED, second}}));
    EXPECT_EQ(logCount("网络连接失败"), 1u);
}

TEST_F(Loop, WhileTheServerTurnsItAwayItIsAskedOnceASecondButAPacketAsksAtOnce) {
    auto module = make(peer.port);
    NetworkThread thread(*module);
    // A server that hangs up on everyone: each accepted connection is a connect attempt.
    int attempts = 0;
    for (const auto start = Clock::now(); msSince(start) < 1500 && attempts < 100;) {
        if (const int fd = peer.accept(static_cast<int>(1500 - msSince(start))); fd >= 0) {
            ++attempts;
            peer.finish(fd);
        }
    }
    EXPECT_TRUE(attempts >= 1 && attempts <= 3) << attempts;

    // Just after a hang-up the next idle attempt is a second away; a queued packet goes now. It
    // is queued once the module has seen the hang-up: a packet written into a connection the
    // peer has just closed is lost with it, whatever the module does.
    const int fd = peer.accept();
    ASSERT_GE(fd, 0);
    const size_t hangUps = logCount("数据接收失败，连接已断开");
    peer.finish(fd);
    ASSERT_TRUE(eventually([&] { return logCount("数据接收失败，连接已断开") > hangUps; }));
    const Bytes packet = frame(pattern(12, 9));
    const auto queued = Clock::now();
    ASSERT_TRUE(send(*module, packet));
    const int next = peer.accept();
    ASSERT_GE(next, 0);
    EXPECT_LT(msSince(queued), scaled(500));
    EXPECT_EQ(readUpTo(next, packet.size()), packet);
}

TEST_F(Loop, SendAfterThePeerResetDoesNotKillTheProcess) {
    // The answer and the reset are both waiting before the loop starts: the loop delivers the
    // answer, the reset ends that receive, and the request queued by the answer's receiver is
    // then written to a connection the peer has already torn down.
    auto module = make(peer.port);
    const int client = peer.dial();
    ASSERT_GE(client, 0);
    module->adoptConnection(dup(client)); // the module closes its own copy
    const int connection = peer.accept();
    ASSERT_GE(connection, 0);
    put(connection, frame(pattern(8, 1)));
    peer.finish(connection, true);
    pollfd reset{client, 0, 0}; // only a hang-up or an error can wake this
    ASSERT_EQ(poll(&reset, 1, kPatienceMs), 1) << "the reset never reached the module's side";
    const Bytes request = frame(pattern(12, 2));
    onEvent = [&](Type type) {
        if (type == CLNetworkModule::PACKET_RECEIVED) {
            send(*module, request);
        }
    };
    NetworkThread thread(*module);
    EXPECT_EQ(waitFor(2), (Events{{CLNetworkModule::PACKET_RECEIVED, pattern(8, 1)},
                                  {CLNetworkModule::SEND_FAILED, request}}));
    EXPECT_TRUE(eventually([&] { return logCount("数据发送失败，连接已断开") > 0; }));
}

// The owner hears of each connection the thread makes, with the greeting that went first on it,
// and of each established one that ends; a stop ends a connection without a word.
TEST_F(Loop, EveryNewConnectionOpensWithTheGreetingAndEveryEndIsTold) {
    auto module = make(peer.port);
    const Bytes greeting = frame(pattern(10, 1)), request = frame(pattern(6, 2));
    Bytes greeted = greeting;
    greeted.insert(greeted.end(), request.begin(), request.end());
    module->setGreeting(greeting.data(), static_cast<uint32_t>(greeting.size()));
    ASSERT_TRUE(send(*module, request)); // queued before the connection, still behind the greeting
    NetworkThread thread(*module);
    // Each connection's first bytes; then the peer hangs up, and a request brings the module back
    // at once. The greeting is cleared before the third.
    const Bytes firsts[] = {greeted, greeted, request};
    for (int round = 0; round < 3; ++round) {
        const int connection = peer.accept();
        ASSERT_GE(connection, 0);
        EXPECT_EQ(readUpTo(connection, firsts[round].size()), firsts[round]) << round;
        if (round == 2) {
            break;
        }
        peer.finish(connection);
        ASSERT_TRUE(eventually([&] { return connectionChanges().size() == 2u * (round + 1); }));
        if (round == 1) {
            module->setGreeting(nullptr, 0);
        }
        ASSERT_TRUE(send(*module, request));
    }
    thread.stop();
    const Type lost = CLNetworkModule::CONNECTION_LOST, made = CLNetworkModule::CONNECTED;
    EXPECT_EQ(connectionChanges(),
              (Events{{made, greeting}, {lost, {}}, {made, greeting}, {lost, {}}, {made, {}}}));
}

TEST_F(Loop, HostNameIsResolvedOnlyWhenAsked) {
    for (const bool resolve : {true, false}) {
        CLNetworkModule module(nullptr, prefix().c_str(), "localhost", peer.port, resolve);
        EXPECT_EQ(module.connectServer(), resolve);
    }
}

// Two bytes of a length field, a length field and part of its body, the largest length allowed
// without its body, a length over 16 MiB: each a stream, the bytes written before the stall (the
// rest comes too late), how long the connection lasts at least, and the line logged.
TEST_F(Loop, StalledOrOverlongPacketBreaksItsConnectionNotTheThread) {
    const Bytes packet = frame(pattern(16, 4));
    const std::tuple<Bytes, size_t, long long, const char*> cases[] = {
        {packet, 2, 400, "数据读取异常"},
        {packet, 4 + 5, 400, "数据读取异常"},
        {{0x01, 0x00, 0x00, 0x00}, 4, 400, "数据读取异常"},
        {{0x01, 0x00, 0x00, 0x01}, 4, 0, "数据包长度异常：16777217 \n"},
    };
    auto module = make(peer.port);
    module->setTimeouts(1000, 400);
    NetworkThread thread(*module);
    for (const auto& [stream, cut, minMs, log] : cases) {
        SCOPED_TRACE(cut);
        const size_t logged = logCount(log);
        const int stalling = peer.accept();
        ASSERT_GE(stalling, 0);
        const auto start = Clock::now();
        put(stalling, Bytes(stream.begin(), stream.begin() + long(cut)));
        pollfd closed{stalling, POLLIN, 0};
        ASSERT_EQ(poll(&closed, 1, scaled(1500)), 1) << "the connection stayed open";
        EXPECT_TRUE(readUpTo(stalling, 1).empty());
        EXPECT_GE(msSince(start), minMs);
        EXPECT_EQ(logCount(log), logged + 1);
        put(stalling, Bytes(stream.begin() + long(cut), stream.end()));
    }
    const int fresh = peer.accept();
    ASSERT_GE(fresh, 0);
    put(fresh, frame(pattern(8, 6)));
    ASSERT_EQ(waitFor(1).size(), 1u);
    EXPECT_EQ(waitFor(2, scaled(50)), (Events{{CLNetworkModule::PACKET_RECEIVED, pattern(8, 6)}}));
    EXPECT_EQ(logCount("数据接收失败，连接已断开"), 4u);
}

// A stop must not wait out the module's time-outs (3 s to connect, 5 s for io): neither in a
// connect to a peer that does not answer, nor in a send to a peer that does not read, nor for a
// body that does not come.
TEST_F(Loop, StopEndsTheLoopWhileAConnectASendOrABodyWaits) {
    LoopbackPeer full(0); // its accept queue full, it drops new handshakes
    ASSERT_GE(full.dial(), 0);
    auto connecting = make(full.port);
    connecting->setTimeouts(scaled(300), scaled(200));
    const auto start = Clock::now();
    EXPECT_FALSE(connecting->connectServer());
    EXPECT_LT(msSince(start), scaled(2000)); // the system would retry for about two minutes
    connecting->setTimeouts(CLNetworkModule::kConnectTimeoutMs, CLNetworkModule::kIoTimeoutMs);

    LoopbackPeer small(8, 64 * 1024);
    auto sender = make(small.port), receiver = make(peer.port);
    ASSERT_TRUE(sender->connectServer() && receiver->connectServer());
    const int deaf = small.accept(), connection = peer.accept();
    ASSERT_TRUE(deaf >= 0 && connection >= 0);
    // Far more than both socket buffers hold, then a packet still queued at the stop.
    ASSERT_TRUE(send(*sender, pattern(8 << 20, 5)) && send(*sender, frame(pattern(8, 1))));
    // A whole packet, then the length field of one whose body never comes.
    Bytes stream = frame(pattern(8, 2));
    stream.insert(stream.end(), {0x00, 0x00, 0x00, 0x10});
    put(connection, stream);
    NetworkThread connectingThread(*connecting), sending(*sender), receiving(*receiver);
    pollfd arriving{deaf, POLLIN, 0};
    ASSERT_EQ(poll(&arriving, 1, kPatienceMs), 1);
    ASSERT_EQ(waitFor(1).size(), 1u);
    ASSERT_TRUE(eventually([&] { return logCount("网络连接失败") > 0; })); // it is connecting

    EXPECT_LT(connectingThread.stop(), scaled(500));
    EXPECT_LT(sending.stop(), scaled(500));
    EXPECT_LT(receiving.stop(), scaled(500));
    EXPECT_EQ(waitFor(2, 0).size(), 1u) << "a packet dropped at the stop is not handed back";
    EXPECT_EQ(logCount("发送的数据长度"), 0u);
}

TEST_F(Loop, IdleLoopWakesRarelyYetDealsWithPacketsAndAStopAtOnce) {
    // Awake at every pass the loop made about 80 passes in half a second; the idle wait allows 10.
    LoopbackPeer refusing(LoopbackPeer::kRefusing);
    auto away = make(refusing.port), module = make(peer.port);
    ASSERT_TRUE(module->connectServer());
    const int connection = peer.accept();
    ASSERT_GE(connection, 0);
    NetworkThread awayThread(*away), thread(*module);
    const uint64_t awayBefore = away->passCount(), before = module->passCount();
    std::this_thread::sleep_for(500ms); // the window measured
    EXPECT_LT(away->passCount() - awayBefore, 20u) << "server away";
    EXPECT_LT(module->passCount() - before, 20u) << "connected";

    // Ten exchanges each way, each begun while the loop waits: together a fraction of one idle
    // wait when the wait ends early; when it does not, at least one exchange waits it out.
    for (const bool moduleSends : {false, true}) {
        SCOPED_TRACE(moduleSends ? "queued by sendData" : "written by the peer");
        const auto start = Clock::now();
        for (uint8_t i = 0; i < 10; ++i) {
            const Bytes packet = frame(pattern(8, i));
            if (moduleSends) {
                ASSERT_TRUE(send(*module, packet));
                ASSERT_EQ(readUpTo(connection, packet.size()), packet);
            } else {
                put(connection, packet);
                ASSERT_EQ(waitFor(i + 1u).size(), i + 1u);
            }
        }
        EXPECT_LT(msSince(start), scaled(CLNetworkModule::kIdleWaitMs / 2));
    }
    // The packet just sent left the loop past its last look at the stop flag before the wait,
    // which only the stop's wake-up ends before its second is out.
    EXPECT_LT(thread.stop(), scaled(CLNetworkModule::kIdleWaitMs / 2));
}
