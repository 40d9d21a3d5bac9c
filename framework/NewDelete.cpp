// The C++ allocation functions of the Windows programs, in place of the C++
// library's. Those throw std::bad_alloc when memory runs out, which links
// the library's whole exception support (some 80 KB) into every binary,
// although nothing in the utility catches it: an allocation that fails ends
// the program here as the uncaught exception did. The nothrow forms answer
// null, as the standard has them (std::stable_sort falls back on that).
// Not in the host build: the sanitizers bring their own.
#include <stdlib.h>

#include <new>

namespace {

void* Allocate(size_t size) {
    void* p = malloc(size ? size : 1);
    if (!p)
        abort();
    return p;
}

} // namespace

void* operator new(size_t size) {
    return Allocate(size);
}

void* operator new[](size_t size) {
    return Allocate(size);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return malloc(size ? size : 1);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return malloc(size ? size : 1);
}

void operator delete(void* p) noexcept {
    free(p);
}

void operator delete[](void* p) noexcept {
    free(p);
}

void operator delete(void* p, size_t) noexcept {
    free(p);
}

void operator delete[](void* p, size_t) noexcept {
    free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept {
    free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept {
    free(p);
}
