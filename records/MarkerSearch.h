// Finding the record marker. Every position is tested, so a marker that
// overlaps a rejected candidate is never skipped; the two code bytes are
// never looked at. Many positions are tested at once, which gives the same
// answers as testing them one by one.
#pragma once

#include <cstdint>

#include "framework/core/MemoryBlock.h"
#include "records/Marker.h"

namespace records {

// First i in [start, last] with a marker in the contiguous bytes p[0, size);
// -1 when none. Positions whose 14 bytes do not fit are not tested.
int64_t FindMarker(const uint8_t* p, int64_t size, int64_t start, int64_t last);
// The same over a block of one or more segments (markers may straddle them).
int64_t FindMarker(const fw::MemoryBlock& mb, int64_t start, int64_t last);
// The first marker at or after `start`, or mb's size + 1 when there is none.
int64_t chercheNextStart(const fw::MemoryBlock& mb, int64_t start);

}  // namespace records
