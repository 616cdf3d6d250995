// koralith-malloc-count.so, preloaded (LD_PRELOAD) into the relay that run-load.sh measures:
// counts the heap allocations of the whole process (malloc, calloc, realloc and the aligned
// ones; operator new comes through malloc) in an 8-byte counter mapped from the file that
// KORALITH_MALLOC_COUNT names, where koralith-load reads it as its measurement starts and ends.
// Without that variable it counts into memory nobody reads. The allocations themselves are
// glibc's.

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
}

namespace {

uint64_t early; // until the file is mapped
uint64_t* counter = &early;

void count() {
    __atomic_fetch_add(counter, 1, __ATOMIC_RELAXED);
}

// Before main, while the process has one thread.
__attribute__((constructor)) void mapCounter() {
    const char* path = std::getenv("KORALITH_MALLOC_COUNT");
    const int fd = path ? open(path, O_RDWR | O_CREAT, 0600) : -1;
    if (fd < 0) {
        return;
    }
    if (ftruncate(fd, sizeof(uint64_t)) == 0) {
        void* at = mmap(nullptr, sizeof(uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (at != MAP_FAILED) {
            *static_cast<uint64_t*>(at) = early;
            counter = static_cast<uint64_t*>(at);
        }
    }
    close(fd);
}

} // namespace

extern "C" {

void* malloc(size_t size) noexcept {
    count();
    return __libc_malloc(size);
}

void* calloc(size_t n, size_t size) noexcept {
    count();
    return __libc_calloc(n, size);
}

void* realloc(void* p, size_t size) noexcept {
    count();
    return __libc_realloc(p, size);
}

void* memalign(size_t alignment, size_t size) noexcept {
    count();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) noexcept {
    count();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size) noexcept {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) {
        return EINVAL;
    }
    count();
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr) {
        return ENOMEM;
    }
    *out = p;
    return 0;
}

} // extern "C"
