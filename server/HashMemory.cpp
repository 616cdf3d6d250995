// The memory a password hash works in, in huge pages.
//
// libsodium maps the 64 MiB an argon2id hash works in with MAP_POPULATE and unmaps it after. In
// 4 KiB pages the kernel's handing out of those 16,384 pages costs about half as much again as
// the hash itself, and logins at once wait on the sum. The library takes no allocator and maps
// the memory before anyone could advise on it, so the server's own mmap stands in front of the C
// library's: a large anonymous mapping asked to be populated is made without populating, asked
// for huge pages, then populated. Every other mapping passes through unchanged, and where huge
// pages cannot be had the kernel gives small ones as before.
//
// Only the executable carries this, and only where HashMemory.h says so.

// The function below must be mmap itself, not the C library's 64-bit-offset name for it.
#undef _FILE_OFFSET_BITS

#include "HashMemory.h"

#include <cerrno>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#if KORALITH_HASH_MEMORY_IN_HUGE_PAGES

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23 // Linux 5.14; an older kernel refuses it and pages come on first use
#endif

namespace {

// Below this a mapping is not a hash's working memory (libsodium's smallest interactive cost is
// far above it), and huge pages would gain little.
constexpr size_t kHugeEnough = size_t{8} << 20;

void* mapPages(void* addr, size_t length, int prot, int flags, int fd, off_t offset) {
    return reinterpret_cast<void*>(syscall(SYS_mmap, addr, length, prot, flags, fd, offset));
}

} // namespace

extern "C" void* mmap(void* addr, size_t length, int prot, int flags, int fd,
                      off_t offset) noexcept {
    const int populated = MAP_ANONYMOUS | MAP_POPULATE;
    if ((flags & populated) != populated || (flags & MAP_HUGETLB) || !(prot & PROT_WRITE) ||
        length < kHugeEnough) {
        return mapPages(addr, length, prot, flags, fd, offset);
    }
    void* const pages = mapPages(addr, length, prot, flags & ~MAP_POPULATE, fd, offset);
    if (pages != MAP_FAILED) {
        // Advice only: whatever either answers, the mapping is as good as the caller asked for.
        const int saved = errno;
        madvise(pages, length, MADV_HUGEPAGE);
        madvise(pages, length, MADV_POPULATE_WRITE);
        errno = saved;
    }
    return pages;
}

#endif
