// What a client cannot do to the server: bad lengths, headers and bodies, floods, unread
// answers; what an unread log cannot do to it either; and what the server refuses at start.

#include "Packet.h"
#include "ServerFixture.h"

#include <fstream>
#include <regex>
#include <thread>

// Requests sent in the same write before what ends the connection are answered first.
TEST_F(ServerTest, BadLengthsHeadersAndFloodsEndOnlyThatConnectionAfterTheAnswersBefore) {
    auto bystander = client("bystander");
    const auto requests = [](uint32_t count) {
        std::vector<uint8_t> bytes;
        for (uint32_t seq = 1; seq <= count; ++seq) {
            const auto packet = buildRequestPacket(seq, EVENT_CANCELMATCH, nullptr);
            bytes.insert(bytes.end(), packet.begin(), packet.end());
        }
        return bytes;
    };
    const auto afterThree = [&](std::vector<uint8_t> bad) {
        std::vector<uint8_t> bytes = requests(3);
        bytes.insert(bytes.end(), bad.begin(), bad.end());
        return bytes;
    };
    const std::pair<std::vector<uint8_t>, uint32_t> cases[] = {
        // what is sent, how much answered
        {afterThree({0, 1, 0, 1}), 3}, // a length of 64 KiB + 1
        {afterThree({0xFF, 0xFF, 0xFF, 0xFF}), 3},
        {afterThree({0, 0, 0, 0}), 3},
        {afterThree({0, 0, 0, 11}), 3}, // shorter than a request header
        {afterThree({0, 0, 0, 12, 0, 0, 0, 1, 0, 0, 0, 21, 0, 0, 0, 5}), 3}, // not the word 20
        {requests(400), 200}, // a flood: 200 a second are taken
    };
    for (const auto& [bytes, answered] : cases) {
        auto c = client();
        c->sendRaw(bytes);
        for (uint32_t seq = 1; seq <= answered; ++seq) {
            ASSERT_EQ(c->waitAnswer(EVENT_CANCELMATCH, seq).value_or(Message{}).ints(), Ints{0})
                << bytes.size() << " " << seq;
        }
        EXPECT_TRUE(c->closedByServer());
        expectServed(*bystander);
    }
    EXPECT_TRUE(server.logShows("floods requests"));
}

// Requests sent together are in the ordering test.
TEST_F(ServerTest, MalformedBodiesGetTheRefusalFormAndTheLargestOrAPiecemealRequestAnAnswer) {
    auto c = client("mallory");
    // A login with a cut string, and a move with an unknown field type.
    std::vector<uint8_t> cut = buildRequestPacket(77, EVENT_LOGIN, nullptr);
    cut.insert(cut.end(), {FIELD_STRING, 'a', 'b'});
    cut[3] += 3;
    std::vector<uint8_t> odd = buildRequestPacket(78, EVENT_CHESS, nullptr);
    odd.insert(odd.end(), {9, 0, 0, 0, 7});
    odd[3] += 5;
    ASSERT_TRUE(c->sendRaw(cut) && c->sendRaw(odd));
    EXPECT_EQ(c->waitAnswer(EVENT_LOGIN, 77).value_or(Message{}).ints(), Ints{0});
    EXPECT_EQ(c->waitAnswer(EVENT_CHESS, 78).value_or(Message{}).ints(), (Ints{0, 0, 0}));
    // No notice is set; a push code sent as a request is answered as a refused push.
    for (int32_t code : std::initializer_list<int32_t>{EVENT_DISCOUNT, EVENT_GETVERSION,
                                                       EVENT_GETNOTICE, EVENT_MATCHRES, 77, -1}) {
        EXPECT_EQ(ask(*c, code), Ints{0}) << code;
    }
    expectServed(*c); // still logged in
    // The largest request, then one sent a byte at a time.
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

TEST_F(ServerTest, TheNoticeIsToldWithItsDateAndAClientThatDoesNotReadIsClosed) {
    expectCleanStop();
    ASSERT_TRUE(server.start({"--notice", std::string(60000, 'N')})) << server.log();
    auto bystander = client("reader");
    const CLDataBuffer cn = strings({"cn"});
    const auto notice = bystander->request(EVENT_GETNOTICE, &cn);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->ints(), (Ints{1, -999, -999}));
    EXPECT_EQ(notice->fields->stringAt(1).value_or(""), std::string(60000, 'N'));
    EXPECT_TRUE(std::regex_match(notice->fields->stringAt(2).value_or(""),
                                 std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}")));

    TestClient c(server.port(), 4096);
    const std::vector<uint8_t> ask = buildRequestPacket(1, EVENT_GETNOTICE, &cn);
    // 15 requests every 100 ms stays under the flood limit; the answers pile up unread.
    for (int round = 0;
         round < 100 && server.log().find("does not read its answers") == std::string::npos;
         ++round) {
        for (int i = 0; i < 15 && c.sendRaw(ask); ++i) {
        }
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_TRUE(c.closedByServer());
    expectServed(*bystander);
}

// A standard error nobody reads (a service manager that hangs, a shell pipeline that stalls)
// holds up neither the answers nor the stop.
TEST_F(ServerTest, AFullUnreadLogPipeHoldsUpNeitherAnswersNorTheStop) {
    expectCleanStop();
    server.usePipe(); // never read by this test
    ASSERT_TRUE(server.start()) << server.log();
    // Each connection logs two lines of about 70 bytes: 1000 of them write twice what a pipe
    // holds (64 KiB).
    for (int i = 0; i < 1000; ++i) {
        TestClient passing(server.port());
    }
    EXPECT_EQ(client()->registerUser("after", "pw"), 1);
    expectCleanStop(); // SIGKILL after 10 s
}

TEST(ServerCommandLine, BadOptionsAndUnusableDatabasesStopAtOnce) {
    const ServerProcess server; // not started: its folder holds an unusable database
    const std::string junk = server.databasePath(), content(4096, 'j');
    std::ofstream(junk) << content;
    const struct {
        std::vector<std::string> args;
        int code;
        const char* says;
    } cases[] = {
        {{"--bogus"}, 2, "unknown option --bogus"},
        {{"--move-seconds", "0"}, 2, "--move-seconds needs a whole number"},
        {{"--connections-per-address", "0"}, 2, "needs a whole number from 1 to 1000000"},
        {{"--listen", "nohost:1", "--db", "/nonexistent/x"}, 2, "numeric address"},
        {{"--listen", "127.0.0.1:0", "--db", "/nonexistent/k.db"}, 1, "cannot open database"},
        {{"--listen", "127.0.0.1:0", "--db", junk}, 1, "cannot use database"},
    };
    for (const auto& k : cases) {
        std::string out;
        EXPECT_EQ(server.runToExit(k.args, out), k.code) << k.says;
        EXPECT_NE(out.find(k.says), std::string::npos) << out;
    }
    EXPECT_EQ(fileText(junk), content); // the unusable file is left as it was
}
