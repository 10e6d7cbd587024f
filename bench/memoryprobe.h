#ifndef MEMORYPROBE_H
#define MEMORYPROBE_H

#include "framecost.h"

#include <vector>

namespace bench {

// For every size: a pass over all the scales of a full run (which fills the
// painting caches as far as they go), then the given number of frames at its
// worst case; prints how far the process's peak resident size rose during
// those frames, and what the bounded caches hold then.
void measureMemory(const std::vector<SizeCases> &sizes, qint64 frames);

} // namespace bench

#endif // MEMORYPROBE_H
