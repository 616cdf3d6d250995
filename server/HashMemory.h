// Whether this build's server takes a password hash's memory in huge pages (HashMemory.cpp):
// only on the 64-bit machines whose mmap system call takes its offset in bytes, and never under
// the sanitizers, which intercept mmap themselves.
#pragma once

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) // GCC's names
#define KORALITH_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) // Clang's
#define KORALITH_SANITIZED 1
#endif
#endif

#if (defined(__x86_64__) || defined(__aarch64__)) && !defined(KORALITH_SANITIZED)
#define KORALITH_HASH_MEMORY_IN_HUGE_PAGES 1
#else
#define KORALITH_HASH_MEMORY_IN_HUGE_PAGES 0
#endif
