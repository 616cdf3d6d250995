// The network thread's time limits against a real loopback peer: a packet that stops coming half
// way breaks its connection, a stop ends the loop whatever socket call waits, and an idle loop
// wakes only a few times a second yet deals with a packet or a stop at once.
#include "NetTestSupport.h"

namespace {

using namespace std::chrono_literals;
using Timeouts = NetTest;

struct BrokenStream {
    const char* name;
    Bytes stream;
    size_t cut;      // bytes written before the stall; the rest comes too late
    long long minMs; // the connection lasts at least this long
    const char* log;
};

TEST_F(Timeouts, StalledOrOverlongPacketBreaksItsConnectionNotTheThread) {
    const Bytes packet = frame(pattern(16, 4));
    const BrokenStream cases[] = {
        {"two bytes of a length field", packet, 2, 400, "数据读取异常"},
        {"a length field and part of its body", packet, 4 + 5, 400, "数据读取异常"},
        {"the largest length allowed, no body", {0x01, 0x00, 0x00, 0x00}, 4, 400, "数据读取异常"},
        {"a length over 16 MiB", {0x01, 0x00, 0x00, 0x01}, 4, 0, "数据包长度异常：16777217 \n"},
    };
    auto module = make(peer.port);
    module->setTimeouts(1000, 400);
    NetworkThread thread(*module);
    for (const BrokenStream& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t logged = logCount(c.log);
        const int stalling = peer.accept();
        ASSERT_GE(stalling, 0);
        const auto start = Clock::now();
        put(stalling, Bytes(c.stream.begin(), c.stream.begin() + c.cut));
        pollfd closed{stalling, POLLIN, 0};
        ASSERT_EQ(poll(&closed, 1, scaled(1500)), 1) << "the connection stayed open";
        EXPECT_TRUE(readUpTo(stalling, 1, 0).empty());
        EXPECT_GE(msSince(start), c.minMs);
        EXPECT_EQ(logCount(c.log), logged + 1);
        put(stalling, Bytes(c.stream.begin() + c.cut, c.stream.end()));
    }
    const int fresh = peer.accept();
    ASSERT_GE(fresh, 0);
    put(fresh, frame(pattern(8, 6)));
    const auto events = waitFor(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].data, pattern(8, 6));
    EXPECT_EQ(waitFor(2, scaled(50)).size(), 1u);
    EXPECT_EQ(logCount("数据接收失败，连接已断开"), 4u);
}

TEST_F(Timeouts, ConnectToAPeerThatDoesNotAnswerEndsAtItsTimeOutOrAtAStop) {
    LoopbackPeer full(0); // its accept queue full, it drops new handshakes
    ASSERT_GE(full.dial(), 0);
    auto module = make(full.port);
    module->setTimeouts(scaled(300), scaled(200));
    const auto start = Clock::now();
    EXPECT_FALSE(module->connectServer());
    EXPECT_LT(msSince(start), scaled(2000)); // the system would retry for about two minutes

    module->setTimeouts(CLNetworkModule::kConnectTimeoutMs, CLNetworkModule::kIoTimeoutMs);
    NetworkThread thread(*module);
    ASSERT_TRUE(waitForLog("网络连接失败")); // written just before the loop's first connect
    EXPECT_LT(thread.stop(), scaled(500));
    EXPECT_EQ(logCount("网络连接成功"), 0u);
}

// A stop must not wait out the module's 5 s io time-out, neither in a send to a peer that does not
// read nor for a body that does not come.
TEST_F(Timeouts, StopEndsTheLoopWhileASendOrABodyWaits) {
    LoopbackPeer small(8, 64 * 1024);
    auto sender = make(small.port), receiver = make(peer.port);
    ASSERT_TRUE(sender->connectServer() && receiver->connectServer());
    const int deaf = small.accept(), connection = peer.accept();
    ASSERT_TRUE(deaf >= 0 && connection >= 0);
    // Far more than both socket buffers hold, then a packet still queued at the stop.
    for (const Bytes& packet : {pattern(8 << 20, 5), frame(pattern(8, 1))}) {
        ASSERT_TRUE(sender->sendData(packet.data(), static_cast<uint32_t>(packet.size())));
    }
    // A whole packet, then the length field of one whose body never comes.
    Bytes stream = frame(pattern(8, 2));
    stream.insert(stream.end(), {0x00, 0x00, 0x00, 0x10});
    put(connection, stream);
    NetworkThread sending(*sender), receiving(*receiver);
    pollfd arriving{deaf, POLLIN, 0};
    ASSERT_EQ(poll(&arriving, 1, kPatienceMs), 1);
    ASSERT_EQ(waitFor(1).size(), 1u);

    EXPECT_LT(sending.stop(), scaled(500));
    EXPECT_LT(receiving.stop(), scaled(500));
    EXPECT_EQ(waitFor(2, 0).size(), 1u) << "a packet dropped at the stop is not handed back";
    EXPECT_EQ(logCount("发送的数据长度"), 0u);
}

TEST_F(Timeouts, IdleLoopWakesRarelyYetDealsWithPacketsAndAStopAtOnce) {
    // Awake at every pass the loop made about 80 passes in half a second; the idle wait allows 10.
    LoopbackPeer refusing(LoopbackPeer::kRefusing);
    auto away = make(refusing.port);
    auto module = make(peer.port);
    ASSERT_TRUE(module->connectServer());
    const int connection = peer.accept();
    ASSERT_GE(connection, 0);
    NetworkThread awayThread(*away), thread(*module);
    const uint64_t awayBefore = away->passCount(), before = module->passCount();
    std::this_thread::sleep_for(500ms); // the window measured
    EXPECT_LT(away->passCount() - awayBefore, 20u) << "server away";
    EXPECT_LT(module->passCount() - before, 20u) << "connected";

    // Ten exchanges each way, each begun while the loop waits: about 50 ms in all when the wait
    // ends early, several times that when each one waits it out.
    for (const bool moduleSends : {false, true}) {
        SCOPED_TRACE(moduleSends ? "queued by sendData" : "written by the peer");
        const auto start = Clock::now();
        for (uint8_t i = 0; i < 10; ++i) {
            const Bytes packet = frame(pattern(8, i));
            if (moduleSends) {
                ASSERT_TRUE(module->sendData(packet.data(), static_cast<uint32_t>(packet.size())));
                ASSERT_EQ(readUpTo(connection, packet.size()), packet);
            } else {
                put(connection, packet);
                ASSERT_EQ(waitFor(i + 1u).size(), i + 1u);
            }
        }
        EXPECT_LT(msSince(start), scaled(150));
    }
    // The packet just sent left the loop past its last look at the stop flag before the wait.
    EXPECT_LT(thread.stop(), scaled(25));
}

} // namespace
