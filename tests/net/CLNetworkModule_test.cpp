// The network module against a real loopback peer: the receive path driven step by step, then
// the network thread's loop connecting, reconnecting, sending and handing back what cannot go out.
#include "NetTestSupport.h"

namespace {

using namespace std::chrono_literals;
using Loop = NetTest;

TEST_F(Loop, ReceivedStreamIsCutIntoWholePacketsByItsLengthFields) {
    auto module = make(peer.port);
    module->setTimeouts(scaled(500), scaled(200));
    ASSERT_TRUE(module->connectServer());
    const int connection = peer.accept();
    ASSERT_GE(connection, 0);
    auto pump = [&](size_t expected) { // recvData until `expected` bytes were taken
        size_t taken = 0;
        eventually([&] { return (taken += module->recvData()) >= expected; });
        return taken;
    };
    // One byte at a time: handed over once, when whole.
    const Bytes packet = frame(pattern(20, 3));
    for (size_t i = 0; i < packet.size(); ++i) {
        put(connection, {packet[i]});
        if (i == 3) {
            continue; // a completed length field is followed by a wait for the body
        }
        ASSERT_EQ(pump(i == 4 ? 2 : 1), i == 4 ? 2u : 1u) << "byte " << i;
        ASSERT_EQ(waitFor(1, 0).size(), i + 1 == packet.size() ? 1u : 0u) << "byte " << i;
    }
    EXPECT_EQ(logCount("处理完整数据包大小：20 \n"), 1u);
    // Together, in order; 00 00 01 00 announces 256 bytes, not 65536; an empty body is a packet.
    const std::vector<Bytes> bodies{pattern(20, 3), pattern(256, 1), {}, pattern(8, 9)};
    Bytes stream;
    for (size_t i = 1; i < bodies.size(); ++i) {
        const Bytes next = frame(bodies[i]);
        stream.insert(stream.end(), next.begin(), next.end());
    }
    put(connection, stream);
    EXPECT_EQ(pump(stream.size()), stream.size());
    const auto events = waitFor(bodies.size(), 0);
    ASSERT_EQ(events.size(), bodies.size());
    for (size_t i = 0; i < bodies.size(); ++i) {
        EXPECT_EQ(events[i].type, CLNetworkModule::PACKET_RECEIVED);
        EXPECT_EQ(events[i].data, bodies[i]) << i;
    }
}

TEST_F(Loop, WhileNobodyListensQueuedPacketsComeBackInOrder) {
    LoopbackPeer refusing(LoopbackPeer::kRefusing);
    auto module = make(refusing.port);
    const std::vector<Bytes> packets{frame(pattern(12, 1)), frame(pattern(20, 2))};
    for (const Bytes& packet : packets) {
        ASSERT_TRUE(module->sendData(packet.data(), static_cast<uint32_t>(packet.size())));
    }
    NetworkThread thread(*module);
    const auto events = waitFor(packets.size());
    ASSERT_EQ(events.size(), packets.size());
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].type, CLNetworkModule::SEND_NOT_CONNECTED);
        EXPECT_EQ(events[i].data, packets[i]);
    }
    EXPECT_EQ(logCount("网络连接失败"), 1u);
    EXPECT_EQ(logCount("网络连接成功"), 0u);
}

TEST_F(Loop, WhileTheServerTurnsItAwayItIsAskedOnceASecondButAPacketAsksAtOnce) {
    auto module = make(peer.port);
    NetworkThread thread(*module);
    // A server that hangs up on everyone: each accepted connection is a connect attempt.
    int attempts = 0;
    for (const auto start = Clock::now(); msSince(start) < 1500 && attempts < 100;) {
        const int fd = peer.accept(static_cast<int>(1500 - msSince(start)));
        if (fd >= 0) {
            ++attempts;
            peer.finish(fd);
        }
    }
    EXPECT_GE(attempts, 1);
    EXPECT_LE(attempts, 3);

    // Just after a hang-up the next idle attempt is a second away; a queued packet goes now. It
    // is queued once the module has seen the hang-up: a packet written into a connection the
    // peer has just closed is lost with it, whatever the module does.
    const int fd = peer.accept();
    ASSERT_GE(fd, 0);
    const size_t hangUps = logCount("数据接收失败，连接已断开");
    peer.finish(fd);
    ASSERT_TRUE(waitForLog("数据接收失败，连接已断开", hangUps + 1));
    const Bytes packet = frame(pattern(12, 9));
    const auto queued = Clock::now();
    ASSERT_TRUE(module->sendData(packet.data(), static_cast<uint32_t>(packet.size())));
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
    onEvent = [&](CLNetworkModule::CallBackType type) {
        if (type == CLNetworkModule::PACKET_RECEIVED) {
            module->sendData(request.data(), static_cast<uint32_t>(request.size()));
        }
    };
    NetworkThread thread(*module);

    const auto events = waitFor(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].type, CLNetworkModule::PACKET_RECEIVED);
    EXPECT_EQ(events[1].type, CLNetworkModule::SEND_FAILED);
    EXPECT_EQ(events[1].data, request);
    EXPECT_TRUE(waitForLog("数据发送失败，连接已断开"));
}

TEST_F(Loop, HostNameIsResolvedOnlyWhenAsked) {
    for (const bool resolve : {true, false}) {
        CLNetworkModule module(nullptr, prefix().c_str(), "localhost", peer.port, resolve);
        EXPECT_EQ(module.connectServer(), resolve);
    }
}

} // namespace
