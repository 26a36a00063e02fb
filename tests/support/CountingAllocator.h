// Calls of the global allocation functions, counted by the replacements in
// tests/memory/CountingAllocator.cpp: a test binary that links that file
// counts every allocation of its process.
#ifndef KESTREL_TESTS_SUPPORT_COUNTINGALLOCATOR_H
#define KESTREL_TESTS_SUPPORT_COUNTINGALLOCATOR_H

#include <cstdint>

namespace kt {

// Allocation calls so far in this process.
int64_t AllocationCalls();

}  // namespace kt

#endif  // KESTREL_TESTS_SUPPORT_COUNTINGALLOCATOR_H
