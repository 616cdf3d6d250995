#pragma once
// printf-style formatting into a std::string, of any length.

#include <string>

namespace cocos2d {
namespace StringUtils {

std::string format(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace StringUtils
} // namespace cocos2d
