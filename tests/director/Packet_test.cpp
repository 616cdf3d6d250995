#include "EventCodes.h"
#include "Packet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bodyOf(const Bytes& packet) {
    return Bytes(packet.begin() + 4, packet.end());
}

void expectSameFields(const CLDataBuffer& a, const CLDataBuffer& b) {
    ASSERT_EQ(a.fieldCount(), b.fieldCount());
    EXPECT_EQ(a.totalBytes(), b.totalBytes());
    for (size_t i = 0; i < a.fieldCount(); ++i) {
        const DataField& x = *a.field(i);
        const DataField& y = *b.field(i);
        ASSERT_EQ(x.type, y.type) << i;
        ASSERT_EQ(x.size, y.size) << i;
        if (x.type == FIELD_INT) {
            EXPECT_EQ(x.value.intValue, y.value.intValue) << i;
        } else if (x.type == FIELD_FLOAT) {
            EXPECT_EQ(std::memcmp(&x.value.floatValue, &y.value.floatValue, 4), 0) << i;
        } else {
            EXPECT_EQ(std::memcmp(x.value.bytes, y.value.bytes, x.size), 0) << i;
        }
    }
}

CLDataBuffer everyFieldType() {
    CLDataBuffer b;
    b.addInt(0);
    b.addInt(-1);
    b.addInt(std::numeric_limits<int32_t>::min());
    b.addFloat(-2.25f);
    b.addFloat(std::numeric_limits<float>::infinity());
    b.addString("");
    b.addString("\xe4\xbd\xa0\xe5\xa5\xbd, Koralith");
    b.addBytes("", 0);
    const uint8_t raw[] = {0, 0xff, 3, 0};
    b.addBytes(raw, sizeof raw);
    return b;
}

TEST(RequestPacket, EmptyBodyIsSixteenBytes) {
    CLDataBuffer empty;
    EXPECT_EQ(buildRequestPacket(0x01020304, EVENT_LOGOUT, &empty),
              (Bytes{0, 0, 0, 12, 1, 2, 3, 4, 0, 0, 0, 20, 0, 0, 0, 3}));
    EXPECT_EQ(buildRequestPacket(7, EVENT_JOINMATCH, nullptr),
              (Bytes{0, 0, 0, 12, 0, 0, 0, 7, 0, 0, 0, 20, 0, 0, 0, 6}));
}

TEST(RequestPacket, NoticeRequestIsTwentyBytes) {
    CLDataBuffer body;
    body.addString("cn");
    EXPECT_EQ(buildRequestPacket(9, EVENT_GETNOTICE, &body),
              (Bytes{0, 0, 0, 16, 0, 0, 0, 9, 0, 0, 0, 20, 0, 0, 0, 5, 3, 'c', 'n', 0}));
}

TEST(RequestPacket, LoginWithTwoLetterNameHasLength50) {
    CLDataBuffer body;
    body.addString("ab");
    body.addString("5ebe2294ecd0e0f08eab7690d2a6ee69"); // the digest of "secret"
    const Bytes packet = buildRequestPacket(0, EVENT_LOGIN, &body);
    ASSERT_EQ(packet.size(), 54u);
    EXPECT_EQ(readWord(packet.data()), 50u);
}

TEST(RequestPacket, IntsFloatsAndBytesAreBigEndianWithLengthWords) {
    CLDataBuffer body;
    body.addInt(0x11223344);
    body.addFloat(1.0f); // 0x3f800000
    const uint8_t raw[] = {9, 8};
    body.addBytes(raw, 2);
    const Bytes packet = buildRequestPacket(1, EVENT_CHESS, &body);
    const Bytes fields(packet.begin() + 16, packet.end());
    EXPECT_EQ(fields, (Bytes{0, 0x11, 0x22, 0x33, 0x44, 1, 0x3f, 0x80, 0, 0, 4, 0, 0, 0, 2, 9, 8}));
    EXPECT_EQ(readWord(packet.data()), packet.size() - 4);
}

TEST(RoundTrip, EveryFieldTypeSurvivesBothDirections) {
    const CLDataBuffer fields = everyFieldType();

    const Bytes request = buildRequestPacket(41, EVENT_REG, &fields);
    EXPECT_EQ(readWord(request.data()), request.size() - 4);
    ParsedRequest parsed;
    const Bytes requestBody = bodyOf(request);
    ASSERT_TRUE(parseRequestBody(requestBody.data(), requestBody.size(), parsed));
    EXPECT_EQ(parsed.seq, 41u);
    EXPECT_EQ(parsed.code, EVENT_REG);
    expectSameFields(fields, parsed.fields);

    const Bytes response = buildResponsePacket(EVENT_OPPCHESS, 0xdeadbeef, &fields);
    EXPECT_EQ(readWord(response.data()), response.size() - 4);
    const Bytes responseBody = bodyOf(response);
    const ParsedResponse answer = parseResponseBody(responseBody.data(), responseBody.size());
    EXPECT_EQ(answer.code, EVENT_OPPCHESS);
    EXPECT_EQ(answer.seq, 0xdeadbeefu);
    ASSERT_NE(answer.fields, nullptr);
    expectSameFields(fields, *answer.fields);
}

TEST(ResponseParse, HeaderOnlyAndShortBodies) {
    const Bytes eight = bodyOf(buildResponsePacket(EVENT_JOINMATCH, 5, nullptr));
    ASSERT_EQ(eight.size(), 8u);
    ParsedResponse r = parseResponseBody(eight.data(), eight.size());
    EXPECT_EQ(r.code, EVENT_JOINMATCH);
    EXPECT_EQ(r.seq, 5u);
    EXPECT_EQ(r.fields, nullptr);

    for (size_t n = 0; n < 8; ++n) {
        r = parseResponseBody(eight.data(), n);
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.seq, 0u);
        EXPECT_EQ(r.fields, nullptr);
    }
    r = parseResponseBody(nullptr, 20);
    EXPECT_EQ(r.fields, nullptr);
}

Bytes responseWith(std::initializer_list<uint8_t> fieldBytes) {
    Bytes body = {0, 0, 0, 8, 0, 0, 0, 1};
    body.insert(body.end(), fieldBytes);
    return body;
}

TEST(ResponseParse, EmptyFieldAddsNothingAndUnknownTypesAreSkipped) {
    const Bytes body = responseWith({2, 0, 0, 0, 0, 1, 7, 9, 0, 0, 0, 0, 2});
    const ParsedResponse r = parseResponseBody(body.data(), body.size());
    ASSERT_NE(r.fields, nullptr);
    // FIELD_EMPTY, int 1, type 7 skipped, type 9 skipped, int 2.
    ASSERT_EQ(r.fields->fieldCount(), 2u);
    EXPECT_EQ(r.fields->intAt(0), 1);
    EXPECT_EQ(r.fields->intAt(1), 2);
}

TEST(ResponseParse, CutFieldsAreDroppedAndNothingIsReadPastTheBody) {
    // A string without its NUL ends parsing; the int before it stays.
    Bytes body = responseWith({0, 0, 0, 0, 4, 3, 'a', 'b'});
    ParsedResponse r = parseResponseBody(body.data(), body.size());
    ASSERT_EQ(r.fields->fieldCount(), 1u);
    EXPECT_EQ(r.fields->intAt(0), 4);

    // A cut int is dropped.
    body = responseWith({0, 0, 0});
    r = parseResponseBody(body.data(), body.size());
    ASSERT_NE(r.fields, nullptr);
    EXPECT_EQ(r.fields->fieldCount(), 0u);

    // A byte block announcing more than is there ends parsing.
    body = responseWith({3, 'o', 'k', 0, 4, 0, 0, 0, 9, 1, 2});
    r = parseResponseBody(body.data(), body.size());
    ASSERT_EQ(r.fields->fieldCount(), 1u);
    EXPECT_EQ(r.fields->stringAt(0), "ok");

    // Fewer than 4 bytes after a byte-block type: the next byte is read as a type byte.
    body = responseWith({4, 0, 0, 0});
    r = parseResponseBody(body.data(), body.size());
    EXPECT_EQ(r.fields->fieldCount(), 0u);

    // The parser sees only `length` bytes even when more follow in memory.
    body = responseWith({3, 'h', 'i', 0});
    r = parseResponseBody(body.data(), body.size() - 1);
    EXPECT_EQ(r.fields->fieldCount(), 0u);
}

TEST(RequestParse, RefusesWhatCannotBeARequest) {
    CLDataBuffer fields;
    fields.addInt(3);
    fields.addString("x");
    const Bytes good = bodyOf(buildRequestPacket(2, EVENT_CHESS, &fields));
    ParsedRequest out;
    ASSERT_TRUE(parseRequestBody(good.data(), good.size(), out));
    // Every cut of a well-formed body is refused, except the cuts between whole fields.
    for (size_t n = 0; n < good.size(); ++n) {
        const bool fieldBoundary = n == 12 || n == 17;
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
}

} // namespace
