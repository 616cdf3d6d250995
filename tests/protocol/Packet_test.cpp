// The message format: typed fields, and request and response packets both ways.
#include "../support/Fields.h"
#include "EventCodes.h"
#include "Packet.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bodyOf(const Bytes& packet) {
    return Bytes(packet.begin() + kLengthFieldSize, packet.end());
}

TEST(CLDataBuffer, FieldsKeepOrderTypeAndACopyOfTheirBytes) {
    char text[] = "cn";
    const uint8_t raw[] = {0, 1, 2};
    CLDataBuffer b;
    b.addInt(-7);
    b.addString(text);
    text[0] = 'X';
    b.addFloat(1.5f);
    b.addBytes(raw, 3);
    b.addString("");
    EXPECT_EQ(show(&b), "[-7,'cn',1.5,<0 1 2>,'']");
    EXPECT_EQ(b.totalBytes(), 4u + 3u + 4u + 3u + 1u); // a string keeps its NUL
    // Another type, or past the end, gives nothing.
    EXPECT_FALSE(b.intAt(1));
    EXPECT_FALSE(b.stringAt(0));
    EXPECT_FALSE(b.intAt(5));
    EXPECT_EQ(b.field(5), nullptr);

    CLDataBuffer moved(std::move(b));
    moved.clear();
    moved.addString("again");
    EXPECT_EQ(show(&b) + show(&moved), "[]['again']");
    EXPECT_EQ(b.totalBytes() + moved.totalBytes(), 6u);
}

TEST(Packet, BytesOnTheWireAsWorkedByHand) {
    CLDataBuffer none, notice, mixed, login, pushed;
    notice.addString("cn");
    mixed.addInt(0x11223344);
    mixed.addFloat(1.0f); // 0x3f800000
    const uint8_t raw[] = {9, 8};
    mixed.addBytes(raw, 2);
    login.addString("ab");
    login.addString("5ebe2294ecd0e0f08eab7690d2a6ee69"); // the digest of "secret"
    pushed.addInt(42);
    EXPECT_EQ(buildRequestPacket(0x01020304, EVENT_LOGOUT, &none),
              (Bytes{0, 0, 0, 12, 1, 2, 3, 4, 0, 0, 0, 20, 0, 0, 0, 3}));
    EXPECT_EQ(buildRequestPacket(7, EVENT_JOINMATCH, nullptr),
              (Bytes{0, 0, 0, 12, 0, 0, 0, 7, 0, 0, 0, 20, 0, 0, 0, 6}));
    EXPECT_EQ(buildRequestPacket(9, EVENT_GETNOTICE, &notice),
              (Bytes{0, 0, 0, 16, 0, 0, 0, 9, 0, 0, 0, 20, 0, 0, 0, 5, 3, 'c', 'n', 0}));
    const Bytes chess = buildRequestPacket(1, EVENT_CHESS, &mixed);
    EXPECT_EQ(readWord(chess.data()), chess.size() - 4);
    EXPECT_EQ(Bytes(chess.begin() + 4, chess.end()),
              (Bytes{0,    0,    0, 1,    0,    0, 0, 20, 0, 0, 0, 8, 0, 0x11, 0x22,
                     0x33, 0x44, 1, 0x3f, 0x80, 0, 0, 4,  0, 0, 0, 2, 9, 8}));
    EXPECT_EQ(readWord(buildRequestPacket(0, EVENT_LOGIN, &login).data()), 50u);
    const Bytes quitPush{0, 0, 0, 13, 0, 0, 0x03, 0xea, 0, 0, 0, 5, 0, 0, 0, 0, 42};
    EXPECT_EQ(buildResponsePacket(EVENT_OPPQUIT, 5, &pushed), quitPush);
    Bytes reused(64, 0xee); // storage the server builds into again: nothing of the old stays
    buildIntResponsePacket(reused, EVENT_OPPQUIT, 5, {42});
    EXPECT_EQ(reused, quitPush);
}

TEST(Packet, EveryFieldTypeSurvivesBothDirections) {
    CLDataBuffer fields;
    fields.addInt(0);
    fields.addInt(-1);
    fields.addInt(std::numeric_limits<int32_t>::min());
    fields.addFloat(-2.25f);
    fields.addFloat(std::numeric_limits<float>::infinity());
    fields.addString("");
    fields.addString("\xe4\xbd\xa0\xe5\xa5\xbd, Koralith");
    fields.addBytes("", 0);
    const uint8_t raw[] = {0, 0xff, 3, 0};
    fields.addBytes(raw, sizeof raw);

    // What is parsed builds the very same packet again.
    const Bytes request = buildRequestPacket(41, EVENT_REG, &fields);
    const Bytes requestBody = bodyOf(request);
    ParsedRequest parsed;
    ASSERT_TRUE(parseRequestBody(requestBody.data(), requestBody.size(), parsed));
    EXPECT_EQ(buildRequestPacket(parsed.header.seq, parsed.header.code, &parsed.fields), request);
    const Bytes response = buildResponsePacket(EVENT_OPPCHESS, 0xdeadbeef, &fields);
    const Bytes responseBody = bodyOf(response);
    const ParsedResponse answer = parseResponseBody(responseBody.data(), responseBody.size());
    ASSERT_NE(answer.fields, nullptr);
    EXPECT_EQ(buildResponsePacket(answer.code, answer.seq, answer.fields.get()), response);
}

TEST(ResponseParse, ShortBodiesGiveNothingAndAHeaderAloneNoFields) {
    const Bytes eight = bodyOf(buildResponsePacket(EVENT_JOINMATCH, 5, nullptr));
    for (size_t n = 0; n <= eight.size(); ++n) {
        const ParsedResponse r = parseResponseBody(eight.data(), n);
        EXPECT_EQ(r.code, n == 8 ? EVENT_JOINMATCH : 0) << n;
        EXPECT_EQ(r.seq, n == 8 ? 5u : 0u) << n;
        EXPECT_EQ(r.fields, nullptr) << n;
    }
    EXPECT_EQ(parseResponseBody(nullptr, 20).fields, nullptr);
}

TEST(ResponseParse, CutFieldsAreDroppedUnknownTypesSkippedNothingReadPastTheBody) {
    const struct {
        Bytes fields;
        size_t hidden; // bytes at the end that lie past `length`
        const char* parsed;
    } cases[] = {
        {{2, 0, 0, 0, 0, 1, 7, 9, 0, 0, 0, 0, 2}, 0, "[1,2]"}, // empty field, types 7 and 9
        {{0, 0, 0, 0, 4, 3, 'a', 'b'}, 0, "[4]"},              // a string without its NUL
        {{0, 0, 0}, 0, "[]"},                                  // a cut int
        {{3, 'o', 'k', 0, 4, 0, 0, 0, 9, 1, 2}, 0, "['ok']"},  // a byte block longer than the rest
        {{4, 0, 0, 0}, 0, "[]"},                               // a cut byte-block length
        {{3, 'h', 'i', 0}, 1, "[]"},                           // a NUL past the end
    };
    for (const auto& c : cases) {
        Bytes body{0, 0, 0, 8, 0, 0, 0, 1};
        body.insert(body.end(), c.fields.begin(), c.fields.end());
        const ParsedResponse r = parseResponseBody(body.data(), body.size() - c.hidden);
        EXPECT_EQ(show(r.fields.get()), c.parsed);
    }
}

TEST(RequestParse, RefusesWhatCannotBeARequest) {
    CLDataBuffer fields;
    fields.addInt(3);
    fields.addString("x");
    const Bytes good = bodyOf(buildRequestPacket(2, EVENT_CHESS, &fields));
    ParsedRequest out;
    // Every cut of a well-formed body is refused, except the cuts between whole fields.
    for (size_t n = 0; n <= good.size(); ++n) {
        const bool fieldBoundary = n == 12 || n == 17 || n == good.size();
        EXPECT_EQ(parseRequestBody(good.data(), n, out), fieldBoundary) << n;
    }
    Bytes wrongWord = good;
    wrongWord[7] = 21;
    EXPECT_FALSE(parseRequestBody(wrongWord.data(), wrongWord.size(), out));
    Bytes unknownType = good;
    unknownType.push_back(5);
    EXPECT_FALSE(parseRequestBody(unknownType.data(), unknownType.size(), out));
    Bytes hugeBlock = bodyOf(buildRequestPacket(2, EVENT_CHESS, nullptr));
    hugeBlock.insert(hugeBlock.end(), {4, 0xff, 0xff, 0xff, 0xff, 1});
    EXPECT_FALSE(parseRequestBody(hugeBlock.data(), hugeBlock.size(), out));
    EXPECT_FALSE(parseRequestBody(nullptr, 12, out));
    // The header alone: filled when it is one, else why not, and nothing of it taken.
    RequestHeader header{77, 88};
    EXPECT_NE(decodeRequestHeader(wrongWord.data(), wrongWord.size(), header), nullptr);
    EXPECT_NE(decodeRequestHeader(good.data(), 11, header), nullptr);
    EXPECT_EQ(std::pair(header.seq, header.code), std::pair(77u, 88));
    EXPECT_EQ(decodeRequestHeader(unknownType.data(), unknownType.size(), header), nullptr);
    EXPECT_EQ(std::pair(header.seq, header.code), std::pair(2u, int32_t(EVENT_CHESS)));
}

} // namespace
