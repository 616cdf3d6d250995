// The network thread's loop against a real loopback peer: reconnecting, sending, handing back
// what cannot go out, and stopping.
#include "NetTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace std::chrono_literals;

size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class Loop : public ::testing::Test {
protected:
    std::unique_ptr<CLNetworkModule> make(uint16_t port, const char* host = "127.0.0.1",
                                          bool resolve = false) {
        auto module = std::make_unique<CLNetworkModule>(recorder.callback(), dir.prefix().c_str(),
                                                        host, port, resolve);
        module->setTimeouts(scaled(300), scaled(200));
        return module;
    }

    ScratchDir dir;
    LoopbackPeer peer;
    Recorder recorder;
};

TEST_F(Loop, WhileNobodyListensQueuedPacketsComeBackOneAPassInOrder) {
    LoopbackPeer refusing(false);
    auto module = make(refusing.port());
    const uint8_t byte = 1;
    EXPECT_FALSE(module->sendData(nullptr, 4));
    EXPECT_FALSE(module->sendData(&byte, 0));
    const std::vector<Bytes> packets{frame(pattern(12, 1)), frame(pattern(20, 2)),
                                     frame(pattern(12, 3))};
    for (const Bytes& packet : packets) {
        ASSERT_TRUE(module->sendData(packet.data(), static_cast<uint32_t>(packet.size())));
    }
    NetworkThread thread(*module);

    const auto events = recorder.waitFor(packets.size());
    ASSERT_EQ(events.size(), packets.size());
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].type, CLNetworkModule::SEND_NOT_CONNECTED);
        EXPECT_EQ(events[i].data, packets[i]);
        if (i > 0) { // every pass begins with a 5 ms sleep
            EXPECT_GE(events[i].at - events[i - 1].at, 5ms);
        }
    }
    const std::string log = dir.logText();
    EXPECT_EQ(occurrences(log, "网络连接失败"), 1u);
    EXPECT_EQ(occurrences(log, "网络连接成功"), 0u);
}

TEST_F(Loop, PeerClosingMidPacketIsReconnectedAndTheNextPacketArrivesIntact) {
    auto module = make(peer.port());
    NetworkThread thread(*module);
    const int first = peer.accept();
    ASSERT_GE(first, 0);
    Bytes cut = frame(pattern(16, 4));
    cut.resize(4 + 5);
    LoopbackPeer::write(first, cut);
    peer.finish(first);

    const int second = peer.accept();
    ASSERT_GE(second, 0);
    EXPECT_TRUE(dir.waitForLog("数据接收失败，连接已断开"));
    LoopbackPeer::write(second, frame(pattern(8, 6)));
    const auto events = recorder.waitFor(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].data, pattern(8, 6));
    EXPECT_EQ(recorder.waitFor(2, scaled(50)).size(), 1u);
}

TEST_F(Loop, WhileTheServerTurnsItAwayItIsAskedOnceASecondButAPacketAsksAtOnce) {
    auto module = make(peer.port());
    NetworkThread thread(*module);
    // A server that hangs up on everyone: each accepted connection is a connect attempt.
    int attempts = 0;
    for (Deadline window(1500); !window.passed() && attempts < 100;) {
        const int fd = peer.accept(window.remainingMs());
        if (fd >= 0) {
            ++attempts;
            peer.finish(fd);
        }
    }
    EXPECT_GE(attempts, 1);
    EXPECT_LE(attempts, 3);

    // Just after a hang-up the next idle attempt is a second away; a queued packet goes now.
    // (Sent only once the module has seen the hang-up: a packet written into a connection the
    // peer has just closed is lost with it, whatever the module does.)
    const int fd = peer.accept(kPatienceMs);
    ASSERT_GE(fd, 0);
    const size_t hangUps = occurrences(dir.logText(), "数据接收失败，连接已断开");
    peer.finish(fd);
    ASSERT_TRUE(dir.waitForLog("数据接收失败，连接已断开", kPatienceMs, hangUps + 1));
    const Bytes packet = frame(pattern(12, 9));
    const auto queued = std::chrono::steady_clock::now();
    ASSERT_TRUE(module->sendData(packet.data(), static_cast<uint32_t>(packet.size())));
    const int next = peer.accept(kPatienceMs);
    ASSERT_GE(next, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - queued, std::chrono::milliseconds(scaled(500)));
    EXPECT_EQ(LoopbackPeer::read(next, packet.size()), packet);
}

TEST_F(Loop, StalledBodyAndOverlongLengthBreakTheConnectionNotTheThread) {
    auto module = make(peer.port());
    NetworkThread thread(*module);
    const int first = peer.accept();
    ASSERT_GE(first, 0);
    LoopbackPeer::write(first, {0x01, 0x00, 0x00, 0x00}); // the largest length allowed, no body

    const int second = peer.accept();
    if (second < 0) {
        peer.finish(first); // lets a thread stuck in the body read go
    }
    ASSERT_GE(second, 0) << "a stalled body read held the network thread";
    EXPECT_TRUE(dir.waitForLog("数据读取异常"));
    LoopbackPeer::write(second, {0x01, 0x00, 0x00, 0x01});

    const int third = peer.accept();
    ASSERT_GE(third, 0);
    EXPECT_TRUE(dir.waitForLog("数据包长度异常：16777217"));
    LoopbackPeer::write(third, frame(pattern(8, 7)));
    const auto events = recorder.waitFor(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].data, pattern(8, 7));
    EXPECT_EQ(occurrences(dir.logText(), "数据包长度异常"), 1u);
}

TEST_F(Loop, SendAfterThePeerResetDoesNotKillTheProcess) {
    // The answer and the reset are both waiting before the loop starts: the loop delivers the
    // answer, the reset ends that receive, and the request queued by the answer's receiver is
    // then written to a connection the peer has already torn down.
    auto module = make(peer.port());
    const int client = LoopbackPeer::dial(peer.port());
    ASSERT_GE(client, 0);
    module->adoptConnection(client);
    const int connection = peer.accept();
    ASSERT_GE(connection, 0);
    LoopbackPeer::write(connection, frame(pattern(8, 1)));
    peer.finish(connection, true);
    pollfd reset{client, 0, 0}; // only a hang-up or an error can wake this
    ASSERT_EQ(poll(&reset, 1, kPatienceMs), 1) << "the reset never reached the module's side";
    const Bytes request = frame(pattern(12, 2));
    recorder.onEvent = [&](CLNetworkModule::CallBackType type) {
        if (type == CLNetworkModule::PACKET_RECEIVED) {
            module->sendData(request.data(), static_cast<uint32_t>(request.size()));
        }
    };
    NetworkThread thread(*module);

    const auto events = recorder.waitFor(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].type, CLNetworkModule::PACKET_RECEIVED);
    EXPECT_EQ(events[1].type, CLNetworkModule::SEND_FAILED);
    EXPECT_EQ(events[1].data, request);
    EXPECT_TRUE(dir.waitForLog("数据发送失败，连接已断开"));
}

TEST_F(Loop, StopWithPacketsQueuedSendsNothingAndCallsNothing) {
    auto module = make(peer.port());
    ASSERT_TRUE(module->connectServer());
    const int connection = peer.accept();
    ASSERT_GE(connection, 0);
    module->requestStop();
    const Bytes packet = frame(pattern(12, 3));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(module->sendData(packet.data(), static_cast<uint32_t>(packet.size())));
    }
    NetworkThread(*module).stop();

    EXPECT_TRUE(LoopbackPeer::read(connection, 1).empty());
    EXPECT_TRUE(recorder.waitFor(1, 0).empty());
    const std::string log = dir.logText();
    EXPECT_NE(log.find("NetworkModule Ready To Stop"), std::string::npos);
    EXPECT_EQ(log.find("发送的数据长度"), std::string::npos);
}

TEST_F(Loop, SendPassedInPartsContinuesUntilThePacketIsOut) {
    // A small receive window and a slow reader outlast one send call's time-out, so the kernel
    // takes the packet in parts.
    LoopbackPeer slow(true, 8, 64 * 1024);
    auto module = make(slow.port());
    ASSERT_TRUE(module->connectServer());
    const int connection = slow.accept();
    ASSERT_GE(connection, 0);
    const Bytes big = pattern(16 << 20, 11);
    ASSERT_TRUE(module->sendData(big.data(), static_cast<uint32_t>(big.size())));
    NetworkThread thread(*module);

    Bytes got;
    got.reserve(big.size());
    const Deadline deadline(scaled(10000));
    for (int i = 0; i < 4000 && got.size() < big.size() && !deadline.passed(); ++i) {
        const Bytes part = LoopbackPeer::read(connection, 64 * 1024, scaled(1000));
        if (part.empty()) {
            break;
        }
        got.insert(got.end(), part.begin(), part.end());
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(got.size(), big.size());
    EXPECT_TRUE(got == big);
    EXPECT_TRUE(dir.waitForLog("发送的数据长度 16777216"));
    EXPECT_TRUE(recorder.waitFor(1, 0).empty());
}

TEST_F(Loop, ConnectToAPeerThatDoesNotAnswerGivesUpWithinItsTimeOut) {
    // With its accept queue full the peer drops new handshakes; the system would retry for
    // about two minutes.
    LoopbackPeer full(true, 0);
    const int waiting = LoopbackPeer::dial(full.port());
    ASSERT_GE(waiting, 0);
    auto module = make(full.port());

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(module->connectServer());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(scaled(2000)));
    ASSERT_GE(full.accept(), 0);
    EXPECT_TRUE(module->connectServer());
    EXPECT_EQ(occurrences(dir.logText(), "网络连接成功"), 1u);
    close(waiting);
}

TEST_F(Loop, HostNameIsResolvedOnlyWhenAsked) {
    EXPECT_TRUE(make(peer.port(), "localhost", true)->connectServer());
    EXPECT_FALSE(make(peer.port(), "localhost", false)->connectServer());
}

} // namespace
