// What a connection is sent while the end of one of its games waits on the database: held back,
// then sent in order, and an end asked for meanwhile comes only after it.
#include "Peer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records what the connection would see, in order: "send <first byte>" and "end <why>".
class RecordingPeer : public Peer {
public:
    const std::string& address() const override { return where; }
    void end(const char* why) override { seen.push_back(std::string("end ") + why); }
    std::vector<std::string> seen;

protected:
    void send(std::vector<uint8_t> packet) override {
        seen.push_back("send " + std::to_string(packet.at(0)));
    }

private:
    std::string where = "127.0.0.1";
};

TEST(Peer, AnEndAskedForWhileARecordingWaitsComesAfterWhatWasHeldBack) {
    for (const int recordings : {0, 2}) {
        SCOPED_TRACE(recordings);
        RecordingPeer peer;
        peer.state.recording = recordings;
        peer.deliver({1});
        peer.endWhenSent("elsewhere");
        for (int i = 0; i < recordings; ++i) {
            EXPECT_EQ(peer.seen.size(), 0u) << "sent or ended while a recording waits";
            peer.recorded();
        }
        EXPECT_EQ(peer.seen, (std::vector<std::string>{"send 1", "end elsewhere"}));
    }
}

} // namespace
