#pragma once
// stage_allocations: a process-wide count of the buffer allocations the
// processing stages make (the equalizer's work buffer, the normalizer's delay
// lines, work arrays and output buffer). The stages grow their buffers and
// reuse them from block to block, so the count rises only when a format or a
// larger block first arrives; a run twice as long allocates no more.
//
// Threading: any thread; the count is atomic.
#include "zel_export.h"

class ZEL_CORE_API stage_allocations {
public:
    static long count();
    // Called by a stage for every allocation or reallocation it makes.
    static void note();

private:
    stage_allocations() = delete;
};
