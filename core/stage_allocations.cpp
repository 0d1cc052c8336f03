// The allocation count of the processing stages (see stage_allocations.h).
#include "stage_allocations.h"
#include <atomic>

namespace {
std::atomic<long> g_count{0};
}

long stage_allocations::count() { return g_count.load(); }

void stage_allocations::note() { g_count.fetch_add(1); }
