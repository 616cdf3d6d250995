// The network thread's time limits against a real loopback peer: a packet that stops coming half
// way breaks its connection, and a stop request ends the loop while a socket call is waiting.
#include "NetTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;

class Timeouts : public ::testing::Test {
protected:
    // How long requestStop and the join take.
    long long stopMs(NetworkThread& thread) {
        const auto start = Clock::now();
        thread.stop();
        return msSince(start);
    }

    ScratchDir dir;
    LoopbackPeer peer{true, 8, 64 * 1024}; // a small window: a large send soon waits for room
    Recorder recorder;
    CLNetworkModule module{recorder.callback(), dir.prefix().c_str(), "127.0.0.1", peer.port(),
                           false};
};

TEST_F(Timeouts, PacketStalledHalfWayIsDroppedWithItsConnectionWithinTheIoTimeOut) {
    const Bytes packet = frame(pattern(16, 4));
    module.setTimeouts(1000, 400);
    NetworkThread thread(module);
    // Two bytes of the length field; the length field and five bytes of the body.
    for (const size_t sent : {size_t(2), size_t(4 + 5)}) {
        SCOPED_TRACE(sent);
        const int stalling = peer.accept();
        ASSERT_GE(stalling, 0);
        const auto start = Clock::now();
        LoopbackPeer::write(stalling, Bytes(packet.begin(), packet.begin() + sent));

        pollfd closed{stalling, POLLIN, 0};
        ASSERT_EQ(poll(&closed, 1, scaled(1500)), 1) << "the stalled connection stayed open";
        EXPECT_TRUE(LoopbackPeer::read(stalling, 1, 0).empty());
        EXPECT_GE(msSince(start), 400);
        LoopbackPeer::write(stalling, Bytes(packet.begin() + sent, packet.end())); // too late
    }
    const int fresh = peer.accept();
    ASSERT_GE(fresh, 0);
    LoopbackPeer::write(fresh, frame(pattern(8, 6)));
    const auto events = recorder.waitFor(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].data, pattern(8, 6));
    EXPECT_EQ(recorder.waitFor(2, scaled(50)).size(), 1u);
    const std::string log = dir.logText();
    EXPECT_NE(log.find("数据读取异常"), std::string::npos);
    EXPECT_NE(log.find("数据接收失败，连接已断开"), std::string::npos);
}

TEST_F(Timeouts, StopEndsTheLoopWhileAConnectWaitsForAnAnswer) {
    // With its accept queue full the peer drops new handshakes: the connect waits its 3 s.
    LoopbackPeer full(true, 0);
    const int waiting = LoopbackPeer::dial(full.port());
    ASSERT_GE(waiting, 0);
    CLNetworkModule unanswered(recorder.callback(), dir.prefix().c_str(), "127.0.0.1", full.port(),
                               false);
    NetworkThread thread(unanswered);
    ASSERT_TRUE(dir.waitForLog("网络连接失败")); // written just before the loop's first connect

    EXPECT_LT(stopMs(thread), scaled(500));
    EXPECT_EQ(dir.logText().find("网络连接成功"), std::string::npos);
    close(waiting);
}

TEST_F(Timeouts, StopEndsTheLoopWhileASendWaitsForAPeerThatDoesNotRead) {
    ASSERT_TRUE(module.connectServer());
    const int deaf = peer.accept();
    ASSERT_GE(deaf, 0);
    const Bytes big = pattern(8 << 20, 5); // far more than both socket buffers hold
    ASSERT_TRUE(module.sendData(big.data(), static_cast<uint32_t>(big.size())));
    NetworkThread thread(module);
    pollfd sending{deaf, POLLIN, 0};
    ASSERT_EQ(poll(&sending, 1, kPatienceMs), 1);

    EXPECT_LT(stopMs(thread), scaled(500));
    EXPECT_TRUE(recorder.waitFor(1, 0).empty());
}

TEST_F(Timeouts, StopEndsTheLoopWhileABodyIsAwaited) {
    ASSERT_TRUE(module.connectServer());
    const int connection = peer.accept();
    ASSERT_GE(connection, 0);
    // A whole packet, then the length field of one whose body never comes: once the first is
    // handed over, the loop is bound to wait for the second body.
    Bytes stream = frame(pattern(8, 2));
    stream.insert(stream.end(), {0x00, 0x00, 0x00, 0x10});
    LoopbackPeer::write(connection, stream);
    NetworkThread thread(module);
    ASSERT_EQ(recorder.waitFor(1).size(), 1u);

    EXPECT_LT(stopMs(thread), scaled(500));
    EXPECT_EQ(recorder.waitFor(2, 0).size(), 1u);
}

} // namespace
