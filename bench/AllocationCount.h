#pragma once
// Linked into a benchmark, this replaces the global operator new and delete so that every heap
// allocation of the process is counted, the driver's C++ code included.

// Allocations so far.
long heapAllocations();
// For allocators that bypass operator new (Bullet's aligned allocator hook).
void countAllocation();
