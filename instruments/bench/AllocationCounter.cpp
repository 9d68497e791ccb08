#include "AllocationCounter.h"

#include <stddef.h>

namespace {
volatile long g_allocations = 0;
}

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);

void* __wrap_malloc(size_t size) {
  g_allocations = g_allocations + 1;
  return __real_malloc(size);
}

void* __wrap_calloc(size_t count, size_t size) {
  g_allocations = g_allocations + 1;
  return __real_calloc(count, size);
}

void* __wrap_realloc(void* block, size_t size) {
  g_allocations = g_allocations + 1;
  return __real_realloc(block, size);
}
}

long AllocationCount() { return g_allocations; }
