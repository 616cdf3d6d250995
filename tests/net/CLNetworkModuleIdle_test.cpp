// The network thread at rest against a real loopback peer: it wakes only a few times a second,
// yet a packet queued, a packet arriving and a stop are each dealt with at once.
#include "NetTestSupport.h"

#include <gtest/gtest.h>

namespace {

class Idle : public ::testing::Test {
protected:
    ScratchDir dir;
    LoopbackPeer peer;
    Recorder recorder;
    CLNetworkModule module{recorder.callback(), dir.prefix().c_str(), "127.0.0.1", peer.port(),
                           false};
};

TEST_F(Idle, ThreadWithNothingToDoMakesFewPasses) {
    // Awake at every pass the loop made about 80 passes in this window; the idle wait allows 10.
    LoopbackPeer refusing(false);
    CLNetworkModule away(recorder.callback(), dir.prefix().c_str(), "127.0.0.1", refusing.port(),
                         false);
    ASSERT_TRUE(module.connectServer());
    for (CLNetworkModule* idle : {&module, &away}) {
        SCOPED_TRACE(idle == &module ? "connected" : "server away");
        NetworkThread thread(*idle);
        const uint64_t before = idle->passCount();
        std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the window measured
        EXPECT_LT(idle->passCount() - before, 20u);
    }
}

TEST_F(Idle, PacketsBothWaysAndAStopWhileTheLoopWaitsAreHandledAtOnce) {
    // Ten exchanges one after another, each begun while the loop waits: about 50 ms in all when
    // the wait ends early, several times that when each one waits it out.
    ASSERT_TRUE(module.connectServer());
    const int connection = peer.accept();
    ASSERT_GE(connection, 0);
    NetworkThread thread(module);

    for (const bool moduleSends : {false, true}) {
        SCOPED_TRACE(moduleSends ? "queued by sendData" : "written by the peer");
        const auto start = std::chrono::steady_clock::now();
        for (uint8_t i = 0; i < 10; ++i) {
            const Bytes packet = frame(pattern(8, i));
            if (moduleSends) {
                ASSERT_TRUE(module.sendData(packet.data(), static_cast<uint32_t>(packet.size())));
                ASSERT_EQ(LoopbackPeer::read(connection, packet.size()), packet);
            } else {
                LoopbackPeer::write(connection, packet);
                const auto events = recorder.waitFor(i + 1u);
                ASSERT_EQ(events.size(), i + 1u);
                EXPECT_EQ(events.back().data, pattern(8, i));
            }
        }
        EXPECT_LT(msSince(start), scaled(150));
    }
    // The packet just sent left the loop past its last look at the stop flag before the wait.
    const auto start = std::chrono::steady_clock::now();
    thread.stop();
    EXPECT_LT(msSince(start), scaled(25));
}

} // namespace
