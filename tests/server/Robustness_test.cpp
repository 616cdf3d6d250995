// What a client cannot do to the server: bad lengths, headers and bodies, floods, unread
// answers; and what the server refuses at start.

#include "Packet.h"
#include "ServerFixture.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

namespace {

using namespace std::chrono_literals;

std::vector<uint8_t> lengthOnly(uint32_t length) {
    std::vector<uint8_t> bytes;
    appendWord(bytes, length);
    return bytes;
}

} // namespace

TEST_F(ServerTest, BadLengthsHeadersAndFloodsCloseOnlyThatConnection) {
    auto bystander = client("bystander");
    std::vector<uint8_t> flood;
    for (uint32_t seq = 1; seq <= 400; ++seq) {
        const auto packet = buildRequestPacket(seq, EVENT_CANCELMATCH, nullptr);
        flood.insert(flood.end(), packet.begin(), packet.end());
    }
    const std::vector<uint8_t> bad[] = {
        lengthOnly(64 * 1024 + 1),
        lengthOnly(0xFFFFFFFF),
        lengthOnly(0),
        lengthOnly(11),
        {0, 0, 0, 12, 0, 0, 0, 1, 0, 0, 0, 21, 0, 0, 0, 5}, // not the word 20
        flood,
    };
    for (const auto& bytes : bad) {
        auto c = client();
        c->sendRaw(bytes);
        EXPECT_TRUE(c->closedByServer());
        expectServed(*bystander);
    }
    EXPECT_NE(server.log().find("floods requests"), std::string::npos);
}

TEST_F(ServerTest, MalformedBodiesAndUnknownCodesGetTheRefusalForm) {
    auto c = client("mallory");
    // A login with a cut string, and a move with an unknown field type.
    std::vector<uint8_t> cut = buildRequestPacket(77, EVENT_LOGIN, nullptr);
    cut.insert(cut.end(), {FIELD_STRING, 'a', 'b'});
    cut[3] += 3;
    std::vector<uint8_t> odd = buildRequestPacket(78, EVENT_CHESS, nullptr);
    odd.insert(odd.end(), {9, 0, 0, 0, 7});
    odd[3] += 5;
    ASSERT_TRUE(c->sendRaw(cut) && c->sendRaw(odd));
    const auto login = c->waitAnswer(EVENT_LOGIN, 77);
    const auto chess = c->waitAnswer(EVENT_CHESS, 78);
    ASSERT_TRUE(login && chess);
    EXPECT_EQ(intsOf(*login), Ints{0});
    EXPECT_EQ(intsOf(*chess), (Ints{0, 0, 0}));
    for (int32_t code : std::initializer_list<int32_t>{EVENT_DISCOUNT, EVENT_GETVERSION,
                                                       EVENT_GETNOTICE, 77, -1}) {
        EXPECT_EQ(ask(*c, code), Ints{0}) << code; // no notice is set
    }
    // A push code sent as a request is answered too, as a refused push with its number.
    const uint32_t seq = c->send(EVENT_MATCHRES);
    const auto pushLike = c->waitPush(EVENT_MATCHRES);
    ASSERT_TRUE(pushLike);
    EXPECT_EQ(pushLike->seq, seq);
    EXPECT_EQ(intsOf(*pushLike), Ints{0});
    expectServed(*c); // still logged in
}

TEST_F(ServerTest, RequestsArrivingTogetherOrInPiecesAreEachAnswered) {
    auto c = client();
    std::vector<uint8_t> together = buildRequestPacket(1, EVENT_JOINMATCH, nullptr);
    const auto cancel = buildRequestPacket(2, EVENT_CANCELMATCH, nullptr);
    together.insert(together.end(), cancel.begin(), cancel.end());
    ASSERT_TRUE(c->sendRaw(together));
    EXPECT_TRUE(c->waitAnswer(EVENT_JOINMATCH, 1));
    EXPECT_TRUE(c->waitAnswer(EVENT_CANCELMATCH, 2));
    CLDataBuffer big;
    const std::vector<uint8_t> block(64 * 1024 - kRequestHeaderSize - 5, 7);
    big.addBytes(block.data(), static_cast<uint32_t>(block.size()));
    const auto largest = buildRequestPacket(3, EVENT_GETUSERINFO, &big);
    ASSERT_EQ(readWord(largest.data()), 64u * 1024);
    ASSERT_TRUE(c->sendRaw(largest));
    EXPECT_TRUE(c->waitAnswer(EVENT_GETUSERINFO, 3));
    for (uint8_t byte : buildRequestPacket(4, EVENT_JOINMATCH, nullptr)) {
        ASSERT_TRUE(c->sendRaw({byte}));
        std::this_thread::sleep_for(2ms); // each byte a read of its own
    }
    EXPECT_TRUE(c->waitAnswer(EVENT_JOINMATCH, 4));
}

class BigNoticeTest : public ServerTest {
    std::vector<std::string> serverOptions() const override {
        return {"--notice", std::string(60000, 'N')};
    }
};

TEST_F(BigNoticeTest, TheNoticeIsToldWithItsDateAndAClientThatDoesNotReadIsClosed) {
    auto bystander = client("reader");
    CLDataBuffer cn;
    cn.addString("cn");
    const auto notice = bystander->request(EVENT_GETNOTICE, &cn);
    ASSERT_TRUE(notice);
    EXPECT_EQ(intsOf(*notice), (Ints{1, -999, -999}));
    EXPECT_EQ(notice->fields->stringAt(1).value_or(""), std::string(60000, 'N'));
    EXPECT_TRUE(std::regex_match(notice->fields->stringAt(2).value_or(""),
                                 std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}")));

    TestClient c(server.port(), 4096);
    const std::vector<uint8_t> ask = buildRequestPacket(1, EVENT_GETNOTICE, &cn);
    // 15 requests every 100 ms stays under the flood limit; the answers pile up unread.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline &&
           server.log().find("does not read its answers") == std::string::npos) {
        for (int i = 0; i < 15 && c.sendRaw(ask); ++i) {
        }
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_TRUE(c.closedByServer());
    expectServed(*bystander);
}

TEST(ServerCommandLine, BadOptionsAndUnusableDatabasesStopAtOnce) {
    char folder[] = "/tmp/koralith-bad-db-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string junk = std::string(folder) + "/junk.db";
    std::ofstream(junk) << std::string(4096, 'j');
    const struct {
        std::vector<std::string> args;
        int code;
        const char* says;
    } cases[] = {
        {{"--bogus"}, 2, "unknown option --bogus"},
        {{"--move-seconds", "0"}, 2, "--move-seconds needs a whole number"},
        {{"--listen", "nohost:1", "--db", "/nonexistent/x"}, 2, "numeric address"},
        {{"--listen", "127.0.0.1:0", "--db", "/nonexistent/k.db"}, 1, "cannot open database"},
        {{"--listen", "127.0.0.1:0", "--db", junk}, 1, "cannot use database"},
    };
    for (const auto& k : cases) {
        std::string out;
        EXPECT_EQ(ServerProcess::runToExit(k.args, out), k.code) << k.says;
        EXPECT_NE(out.find(k.says), std::string::npos) << out;
    }
    std::stringstream left;
    left << std::ifstream(junk).rdbuf();
    EXPECT_EQ(left.str(), std::string(4096, 'j')); // the unusable file is left as it was
    std::filesystem::remove_all(folder);
}
