// Counts the heap allocations made through the C runtime's allocator by this program's own code,
// the C++ runtime included (operator new ends in malloc). The benchmark is linked with
// --wrap=malloc,--wrap=calloc,--wrap=realloc, so every such call goes through the counter.
// Allocations that system DLLs make on their own heaps are not ours and are not counted.
#pragma once

long AllocationCount();
