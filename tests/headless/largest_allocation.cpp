// Replaces the global allocation functions of the test binary; in a file of
// its own so that the compiler never pairs an inlined new with this delete.
#include "largest_allocation.h"

#include <cstdlib>
#include <new>

std::atomic<std::size_t> largestAllocation{0};

void* operator new(std::size_t size) {
  for (std::size_t seen = largestAllocation; size > seen;)
    if (largestAllocation.compare_exchange_weak(seen, size)) break;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
