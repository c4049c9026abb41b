#pragma once
// The largest single allocation this test binary has made since the last
// reset, for tests that show a refusal costs no memory.
#include <atomic>
#include <cstddef>

extern std::atomic<std::size_t> largestAllocation;
