// A password hash at the real cost works in huge pages: its 64 MiB come in a few dozen page
// faults, not 16,384; other mappings, and their failures, are the C library's as before.

#include "HashMemory.h"
#include "PasswordHash.h"

#include <cerrno>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>

namespace {

long minorFaultsSoFar() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

TEST(HashMemory, AHashAtTheRealCostTakesItsMemoryInHugePages) {
#if !KORALITH_HASH_MEMORY_IN_HUGE_PAGES
    GTEST_SKIP() << "this build keeps the C library's mmap";
#endif
    std::string mode;
    std::getline(std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled"), mode);
    if (mode.empty() || mode.find("[never]") != std::string::npos) {
        GTEST_SKIP() << "no transparent huge pages here";
    }
    ASSERT_TRUE(startPasswordHashing());
    const long before = minorFaultsSoFar();
    const auto stored = hashSecret("0123456789abcdef0123456789abcdef", HashCost::Interactive);
    const long faults = minorFaultsSoFar() - before;
    ASSERT_TRUE(stored);
    EXPECT_TRUE(verifySecret(*stored, "0123456789abcdef0123456789abcdef"));
    EXPECT_LT(faults, 4096) << "64 MiB in 4 KiB pages is 16,384 faults";

    // A small mapping and a failing one pass through.
    void* small = mmap(nullptr, 4096, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    ASSERT_NE(small, MAP_FAILED);
    static_cast<char*>(small)[4095] = 1;
    munmap(small, 4096);
    errno = 0;
    EXPECT_EQ(
        mmap(nullptr, size_t{64} << 20, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_POPULATE, -1, 0),
        MAP_FAILED);
    EXPECT_EQ(errno, EBADF);
}

} // namespace
