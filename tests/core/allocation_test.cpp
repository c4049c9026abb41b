// Counts every allocation this test binary makes, so that a test can prove
// that the saver's ticks make none.
#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/core/test_support.h"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace MForm_unit;

class Allocation : public CoreTest {};

TEST_F(Allocation, TicksAndKeyPressesAllocateNothing) {
  StartSaver(1024, 768);
  const long before = allocations;
  for (int tick = 1; tick <= 400; ++tick) {
    if (tick % 29 == 0) ChooseMove();
    ComposeFrame();
  }
  EXPECT_EQ(allocations - before, 0);
  EXPECT_EQ(headless::PresentCount(), 400);
}

TEST_F(Allocation, TheCounterSeesAllocations) {
  const long before = allocations;
  Raster picture(4, 4);
  EXPECT_GT(allocations - before, 0);
}

}  // namespace
