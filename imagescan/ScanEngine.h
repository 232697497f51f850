// One scan of a card image, on whatever thread calls it: its records found,
// decoded and handed to a sink through the one search loop, and the value
// the progress bar shows for the bytes read. Nothing here touches a window.
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>

#include "Chunk.h"
#include "records/Search.h"

namespace imagescan {

// Maximum of the progress bar during a scan.
inline constexpr int EchelleProgression = 50000;

// The bar's value for `bytesRead` of `length`: truncated, never above the
// maximum. nullopt when the length is 0 (the bar is left as it stands).
std::optional<int> ProgressValue(uint64_t bytesRead, uint64_t length);

// Scans `src` from its first chunk to its end into `sink`. Once `stop` is
// requested the scan ends with Stopped within a window's search (a chunk
// source that heeds the same token gives no further chunk).
records::RunEnd RunScan(ChunkSource& src, records::RecordSink& sink, std::stop_token stop, int64_t chunk = TailleBloc,
                        size_t batch = records::kBatch);

}  // namespace imagescan
