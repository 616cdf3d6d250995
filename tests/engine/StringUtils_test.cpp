#include "base/StringUtils.h"

#include <gtest/gtest.h>

using cocos2d::StringUtils::format;

TEST(StringUtilsTest, FormatHandlesLongOutput) {
    EXPECT_EQ(format("Score : %d", -12), "Score : -12");
    const std::string longText(5000, 'x');
    EXPECT_EQ(format("%s!", longText.c_str()), longText + "!");
}
