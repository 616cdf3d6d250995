// The receive path driven step by step from the test thread against a real loopback peer.
#include "NetTestSupport.h"

#include <gtest/gtest.h>

namespace {

class Framing : public ::testing::Test {
protected:
    void SetUp() override {
        module.setTimeouts(scaled(500), scaled(200));
        ASSERT_TRUE(module.connectServer());
        connection = peer.accept();
        ASSERT_GE(connection, 0);
    }

    // Calls recvData until `expected` bytes were taken; bounded in calls and time.
    uint32_t pump(uint32_t expected) {
        uint32_t taken = 0;
        const Deadline deadline(kPatienceMs);
        for (int i = 0; i < 1000 && taken < expected && !deadline.passed(); ++i) {
            const uint32_t n = module.recvData();
            taken += n;
            if (n == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        return taken;
    }

    // The first call that takes anything, or 0 when nothing came in time.
    uint32_t firstNonEmptyCall() {
        const Deadline deadline(kPatienceMs);
        for (int i = 0; i < 1000 && !deadline.passed(); ++i) {
            if (const uint32_t n = module.recvData()) {
                return n;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return 0;
    }

    ScratchDir dir;
    LoopbackPeer peer;
    Recorder recorder;
    CLNetworkModule module{recorder.callback(), dir.prefix().c_str(), "127.0.0.1", peer.port(),
                           false};
    int connection = -1;
};

TEST_F(Framing, PacketWrittenOneByteAtATimeIsHandedOverOnceWhole) {
    const Bytes body = pattern(20, 3);
    const Bytes packet = frame(body);
    for (size_t i = 0; i < packet.size(); ++i) {
        LoopbackPeer::write(connection, {packet[i]});
        if (i == 3) {
            continue; // a completed length field is followed by a blocking read of the body
        }
        ASSERT_EQ(pump(i == 4 ? 2 : 1), i == 4 ? 2u : 1u) << "byte " << i;
        if (i + 1 < packet.size()) {
            ASSERT_TRUE(recorder.waitFor(1, 0).empty()) << "handed over early at byte " << i;
        }
    }
    const auto events = recorder.waitFor(1, 0);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, CLNetworkModule::PACKET_RECEIVED);
    EXPECT_EQ(events[0].data, body);
    EXPECT_NE(dir.logText().find("处理完整数据包大小：20 \n"), std::string::npos);
}

TEST_F(Framing, PacketsArrivingTogetherComeOutInOrderFromOneCall) {
    // 00 00 01 00 announces 256 bytes, not 65536; an 8-byte body is a whole packet.
    const Bytes first = pattern(256, 1), second = pattern(8, 9);
    Bytes both = frame(first);
    ASSERT_EQ((Bytes{both[0], both[1], both[2], both[3]}), (Bytes{0, 0, 1, 0}));
    const Bytes tail = frame(second);
    both.insert(both.end(), tail.begin(), tail.end());
    LoopbackPeer::write(connection, both);

    EXPECT_EQ(firstNonEmptyCall(), both.size());
    const auto events = recorder.waitFor(2, 0);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].data, first);
    EXPECT_EQ(events[1].data, second);
}

TEST_F(Framing, EmptyBodyIsAPacketAndTheStreamStaysInStep) {
    Bytes stream = frame({});
    const Bytes next = frame(pattern(12, 5));
    stream.insert(stream.end(), next.begin(), next.end());
    LoopbackPeer::write(connection, stream);

    EXPECT_EQ(pump(static_cast<uint32_t>(stream.size())), stream.size());
    const auto events = recorder.waitFor(2, 0);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].type, CLNetworkModule::PACKET_RECEIVED);
    EXPECT_TRUE(events[0].data.empty());
    EXPECT_EQ(events[1].data, pattern(12, 5));
}

TEST_F(Framing, LengthOverSixteenMebibytesIsABrokenStreamNotAnAllocation) {
    Bytes stream{0x01, 0x00, 0x00, 0x01};
    const Bytes next = frame(pattern(8, 2));
    stream.insert(stream.end(), next.begin(), next.end());
    LoopbackPeer::write(connection, stream);

    const std::string refusal = "数据包长度异常：16777217 \n";
    const Deadline deadline(kPatienceMs);
    for (int i = 0;
         i < 1000 && !deadline.passed() && dir.logText().find(refusal) == std::string::npos; ++i) {
        ASSERT_EQ(module.recvData(), 0u);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_NE(dir.logText().find(refusal), std::string::npos);
    EXPECT_TRUE(recorder.waitFor(1, 0).empty());
}

} // namespace
