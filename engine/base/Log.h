#pragma once
// Engine diagnostics: one line to standard error, printf-style.

namespace cocos2d {

void engineLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace cocos2d
