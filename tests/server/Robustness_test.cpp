// What a client cannot do to the server: bad lengths, bad headers, bad bodies, floods, unread
// answers; and what the server keeps across a restart.

#include "CLMD5.h"
#include "Packet.h"
#include "ServerFixture.h"

#include <fstream>
#include <sqlite3.h>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

std::vector<uint8_t> lengthOnly(uint32_t length) {
    std::vector<uint8_t> bytes;
    appendWord(bytes, length);
    return bytes;
}

// A logged-in bystander must not notice what another connection does.
void expectServed(TestClient& bystander) {
    const auto answer = bystander.request(EVENT_JOINMATCH);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->intAt(0), 1);
    EXPECT_EQ(bystander.request(EVENT_CANCELMATCH)->intAt(0), 1);
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

TEST_F(ServerTest, LengthsThatCannotBeARequestCloseOnlyThatConnection) {
    auto bystander = client();
    ASSERT_GT(bystander->enter("bystander"), 0);
    const std::vector<std::vector<uint8_t>> bad = {
        lengthOnly(64 * 1024 + 1),
        lengthOnly(0xFFFFFFFF),
        lengthOnly(0),
        lengthOnly(11),
        {0x00, 0x00, 0x00, 0x0C, 0, 0, 0, 1, 0, 0, 0, 21, 0, 0, 0, 5}, // not the word 20
    };
    for (const auto& bytes : bad) {
        auto c = client();
        ASSERT_TRUE(c->sendRaw(bytes));
        EXPECT_TRUE(c->closedByServer());
        expectServed(*bystander);
    }
    // The largest allowed body is read and answered.
    auto c = client();
    CLDataBuffer big;
    const std::vector<uint8_t> blob(64 * 1024 - kRequestHeaderSize - 5, 'x');
    big.addBytes(blob.data(), uint32_t(blob.size()));
    const auto answer = c->request(EVENT_GETNOTICE, &big);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->intAt(0), 0);
}

TEST_F(ServerTest, MalformedBodiesAndUnknownCodesGetTheRefusalForm) {
    auto c = client();
    ASSERT_GT(c->enter("mallory"), 0);
    // A login with a cut string and a chess request with an unknown field type.
    std::vector<uint8_t> cut = buildRequestPacket(77, EVENT_LOGIN, nullptr);
    cut.insert(cut.end(), {FIELD_STRING, 'a', 'b'});
    cut[3] += 3;
    ASSERT_TRUE(c->sendRaw(cut));
    const auto login = c->waitAnswer(EVENT_LOGIN, 77);
    ASSERT_TRUE(login);
    EXPECT_EQ(login->count(), 1u);
    EXPECT_EQ(login->intAt(0), 0);

    std::vector<uint8_t> odd = buildRequestPacket(78, EVENT_CHESS, nullptr);
    odd.insert(odd.end(), {9, 0, 0, 0, 7});
    odd[3] += 5;
    ASSERT_TRUE(c->sendRaw(odd));
    const auto chess = c->waitAnswer(EVENT_CHESS, 78);
    ASSERT_TRUE(chess);
    EXPECT_EQ(chess->count(), 3u);
    EXPECT_EQ(chess->intAt(0), 0);

    for (int32_t code : std::initializer_list<int32_t>{EVENT_DISCOUNT, EVENT_GETVERSION, 77, -1}) {
        const uint32_t seq = c->send(code);
        const auto answer = c->waitAnswer(code, seq);
        ASSERT_TRUE(answer) << code;
        EXPECT_EQ(answer->intAt(0), 0);
    }
    // A push code sent as a request is answered too; the answer looks like a refused push.
    const uint32_t seq = c->send(EVENT_MATCHRES);
    const auto pushLike = c->waitPush(EVENT_MATCHRES);
    ASSERT_TRUE(pushLike);
    EXPECT_EQ(pushLike->seq, seq);
    EXPECT_EQ(pushLike->intAt(0), 0);
    // Still logged in and served.
    expectServed(*c);
}

TEST_F(ServerTest, AFloodOfRequestsClosesThatConnection) {
    auto bystander = client();
    ASSERT_GT(bystander->enter("calm"), 0);
    auto c = client();
    std::vector<uint8_t> burst;
    for (uint32_t seq = 1; seq <= 400; ++seq) {
        const auto packet = buildRequestPacket(seq, EVENT_CANCELMATCH, nullptr);
        burst.insert(burst.end(), packet.begin(), packet.end());
    }
    c->sendRaw(burst);
    EXPECT_TRUE(c->closedByServer());
    expectServed(*bystander);
    EXPECT_NE(server.log().find("floods requests"), std::string::npos);
}

TEST_F(ServerTest, RequestsArrivingTogetherOrInPiecesAreEachAnswered) {
    auto c = client();
    // Two requests in one write, and nothing after them.
    std::vector<uint8_t> together = buildRequestPacket(1, EVENT_JOINMATCH, nullptr);
    const auto cancel = buildRequestPacket(2, EVENT_CANCELMATCH, nullptr);
    together.insert(together.end(), cancel.begin(), cancel.end());
    ASSERT_TRUE(c->sendRaw(together));
    EXPECT_TRUE(c->waitAnswer(EVENT_JOINMATCH, 1));
    EXPECT_TRUE(c->waitAnswer(EVENT_CANCELMATCH, 2));
    // The largest body there may be.
    CLDataBuffer big;
    const std::vector<uint8_t> block(64 * 1024 - 12 - 5, 7);
    big.addBytes(block.data(), static_cast<uint32_t>(block.size()));
    const auto largest = buildRequestPacket(3, EVENT_GETUSERINFO, &big);
    ASSERT_EQ(readWord(largest.data()), 64u * 1024);
    ASSERT_TRUE(c->sendRaw(largest));
    const auto info = c->waitAnswer(EVENT_GETUSERINFO, 3);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->intAt(0), 0);
    // One request a byte at a time.
    const auto piecewise = buildRequestPacket(4, EVENT_JOINMATCH, nullptr);
    for (uint8_t byte : piecewise) {
        ASSERT_TRUE(c->sendRaw({byte}));
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_TRUE(c->waitAnswer(EVENT_JOINMATCH, 4));
}

class BigNoticeTest : public ServerTest {
    std::vector<std::string> serverOptions() const override {
        return {"--notice", std::string(60000, 'N')};
    }
};

TEST_F(BigNoticeTest, AClientThatDoesNotReadIsClosed) {
    auto bystander = client();
    ASSERT_GT(bystander->enter("reader"), 0);
    TestClient c(server.port(), 4096);
    ASSERT_TRUE(c.connected());
    CLDataBuffer cn;
    cn.addString("cn");
    const std::vector<uint8_t> ask = buildRequestPacket(1, EVENT_GETNOTICE, &cn);
    // 15 requests every 100 ms stays under the flood limit; the answers pile up unread.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline &&
           server.log().find("does not read its answers") == std::string::npos) {
        for (int i = 0; i < 15 && c.sendRaw(ask); ++i) {
        }
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_NE(server.log().find("does not read its answers"), std::string::npos);
    EXPECT_TRUE(c.closedByServer());
    expectServed(*bystander);
}

TEST_F(ServerTest, ARestartKeepsAccountsScoresAndGames) {
    Pair p = matchedPair("keeper", "loser");
    ASSERT_TRUE(p.black && p.white);
    for (int i = 0; i < 4; ++i) {
        p.black->requestInts(EVENT_CHESS, {i, 0});
        p.white->requestInts(EVENT_CHESS, {i, 1});
    }
    const auto last = p.black->requestInts(EVENT_CHESS, {4, 0});
    ASSERT_TRUE(last);
    ASSERT_EQ(last->intAt(1), 1);
    auto late = client();
    ASSERT_EQ(late->registerUser("latecomer", "pw"), 1);
    // Stopped at once after the answers: what they announced must be on disk.
    const int status = server.stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    const std::string stored =
        fileBytes(server.databasePath()) + fileBytes(server.databasePath() + "-wal");
    EXPECT_EQ(stored.find(md5Hex("pw")), std::string::npos);
    EXPECT_NE(stored.find("$argon2id$"), std::string::npos);

    ASSERT_TRUE(server.start()) << server.log();
    auto c = client();
    EXPECT_GT(c->login("latecomer", "pw"), 0);
    const auto info = c->requestInts(EVENT_GETUSERINFO, {p.blackId});
    ASSERT_TRUE(info && info->count() == 6u);
    EXPECT_EQ(info->intAt(2), 1516);
    EXPECT_EQ(info->intAt(3), 1);
    server.stop();

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(server.databasePath().c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "SELECT black, white, outcome, reason, moves, started <= ended"
                                 " FROM games",
                                 -1, &s, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(s, 0), p.blackId);
    EXPECT_EQ(sqlite3_column_int(s, 1), p.whiteId);
    EXPECT_EQ(sqlite3_column_int(s, 2), OUTCOME_BLACK_WON);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 3)), "five");
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 4)),
                 "0,0 0,1 1,0 1,1 2,0 2,1 3,0 3,1 4,0");
    EXPECT_EQ(sqlite3_column_int(s, 5), 1);
    EXPECT_EQ(sqlite3_step(s), SQLITE_DONE); // one game, recorded once
    sqlite3_finalize(s);
    sqlite3_close(db);
}

TEST(ServerCommandLine, BadOptionsAndUnusableDatabasesStopAtOnce) {
    std::string out;
    EXPECT_EQ(ServerProcess::runToExit({"--help"}, out), 0);
    EXPECT_NE(out.find("--move-seconds"), std::string::npos);
    EXPECT_EQ(ServerProcess::runToExit({"--bogus"}, out), 2);
    EXPECT_NE(out.find("unknown option --bogus"), std::string::npos);
    EXPECT_EQ(ServerProcess::runToExit({"--move-seconds", "0"}, out), 2);
    EXPECT_EQ(ServerProcess::runToExit({"--move-seconds"}, out), 2);
    EXPECT_EQ(ServerProcess::runToExit({"--listen", "localhost"}, out), 2);
    EXPECT_EQ(ServerProcess::runToExit({"--listen", "nohost:1", "--db", "/nonexistent/x"}, out), 2);
    EXPECT_EQ(
        ServerProcess::runToExit({"--listen", "127.0.0.1:0", "--db", "/nonexistent/k.db"}, out), 1);
    EXPECT_NE(out.find("cannot open database"), std::string::npos);

    char folder[] = "/tmp/koralith-bad-db-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string junk = std::string(folder) + "/junk.db";
    std::ofstream(junk) << std::string(4096, 'j');
    EXPECT_EQ(ServerProcess::runToExit({"--listen", "127.0.0.1:0", "--db", junk}, out), 1);
    EXPECT_NE(out.find("cannot use database"), std::string::npos);
    EXPECT_EQ(fileBytes(junk), std::string(4096, 'j')); // left as it was
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());
}

TEST_F(ServerTest, AShutdownLeavesRunningGamesUnscored) {
    Pair p = matchedPair("midgame1", "midgame2");
    ASSERT_TRUE(p.black && p.white);
    p.black->requestInts(EVENT_CHESS, {7, 7});
    const int status = server.stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(server.log().find("stopped unfinished by the shutdown"), std::string::npos);

    ASSERT_TRUE(server.start()) << server.log();
    auto c = client();
    ASSERT_GT(c->login("midgame1", "midgame1-secret"), 0);
    for (int32_t id : {p.blackId, p.whiteId}) {
        const auto info = c->requestInts(EVENT_GETUSERINFO, {id});
        ASSERT_TRUE(info && info->count() == 6u);
        EXPECT_EQ(info->intAt(2), 1500);
        EXPECT_EQ(info->intAt(3) + info->intAt(4) + info->intAt(5), 0);
    }
}
