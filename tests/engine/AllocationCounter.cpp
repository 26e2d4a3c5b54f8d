#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {
thread_local int64_t t_allocations = 0;
}

namespace bm::test {
int64_t AllocationsOnThisThread() { return t_allocations; }
} // namespace bm::test

void* operator new(std::size_t size)
{
    ++t_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
