#include "CLDataBuffer.h"
#include "EventCodes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

TEST(CLDataBuffer, FieldsKeepTheirOrderTypesAndSizes) {
    CLDataBuffer b;
    b.addInt(-7);
    b.addString("cn");
    b.addFloat(1.5f);
    const uint8_t raw[] = {0, 1, 2};
    b.addBytes(raw, 3);
    b.addString("");
    ASSERT_EQ(b.fieldCount(), 5u);
    EXPECT_EQ(b.totalBytes(), 4u + 3u + 4u + 3u + 1u);
    EXPECT_EQ(b.field(0)->type, FIELD_INT);
    EXPECT_EQ(b.intAt(0), -7);
    EXPECT_EQ(b.field(1)->size, 3u);
    EXPECT_EQ(std::memcmp(b.field(1)->value.bytes, "cn", 3), 0) << "the copy keeps its NUL";
    EXPECT_EQ(b.stringAt(1), "cn");
    EXPECT_EQ(b.floatAt(2), 1.5f);
    EXPECT_EQ(b.bytesAt(3), (std::vector<uint8_t>{0, 1, 2}));
    EXPECT_EQ(b.stringAt(4), "");
    // Reading a field as another type, or past the end, gives nothing.
    EXPECT_FALSE(b.intAt(1));
    EXPECT_FALSE(b.stringAt(0));
    EXPECT_FALSE(b.intAt(5));
    EXPECT_EQ(b.field(5), nullptr);
}

TEST(CLDataBuffer, CopiesWhatItIsGivenAndClearsToEmpty) {
    char text[] = "name";
    CLDataBuffer b;
    b.addString(text);
    text[0] = 'X';
    EXPECT_EQ(b.stringAt(0), "name");
    for (int i = 0; i < 100; ++i) {
        b.addInt(i);
    }
    EXPECT_EQ(b.intAt(100), 99);
    CLDataBuffer moved(std::move(b));
    EXPECT_EQ(moved.fieldCount(), 101u);
    EXPECT_EQ(b.fieldCount(), 0u);
    EXPECT_EQ(b.totalBytes(), 0u);
    moved.clear();
    EXPECT_EQ(moved.fieldCount(), 0u);
    EXPECT_EQ(moved.totalBytes(), 0u);
    moved.addString("again");
    EXPECT_EQ(moved.totalBytes(), 6u);
}

TEST(EventCodes, FifteenCodesWithDistinctNames) {
    const auto& table = eventNameTable();
    EXPECT_EQ(table.size(), 15u);
    std::set<std::string> names;
    for (const auto& [code, name] : table) {
        EXPECT_EQ(name.rfind("gb_event_", 0), 0u) << name;
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 15u);
    EXPECT_STREQ(eventName(EVENT_LOGIN), "gb_event_login");
    EXPECT_STREQ(eventName(EVENT_GETUSERINFO), "gb_event_getuserinfo");
    EXPECT_STREQ(eventName(EVENT_OVERTIME), "gb_event_overtime");
    EXPECT_EQ(eventName(11), nullptr);
    EXPECT_EQ(eventName(999), nullptr);
    EXPECT_TRUE(isPushCode(1000));
    EXPECT_TRUE(isPushCode(1003));
    EXPECT_FALSE(isPushCode(10));
    EXPECT_FALSE(isPushCode(1004));
}

} // namespace
