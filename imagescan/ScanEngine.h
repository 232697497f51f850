// One scan of a card image from its first chunk to its end, on whatever
// thread calls it: find, decode and report every record through the
// sliding search window. Everything the
// user sees is reported to an observer, in order; nothing here touches a
// window.
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

#include "Chunk.h"
#include "records/Record.h"

namespace imagescan {

// Maximum of the progress bar during a scan.
inline constexpr int EchelleProgression = 50000;

enum class ScanEnd {
  Done,        // the whole image was searched
  EmptyImage,  // the first read brought nothing: the progress stays shown
  ReadError,   // a read failed, or the image ended before its length
  Stopped,     // a stop was requested
};

class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  // Before the first read: show the progress for an image of this length.
  virtual void Started(uint64_t length) = 0;
  // The first chunk brought data: the previous results are reset now.
  virtual void FirstChunk() = 0;
  // Bytes of the image read so far.
  virtual void Progress(uint64_t bytesRead) = 0;
  // Records in image order, decoded by the scan's decoder.
  virtual void Records(std::vector<records::RecordTexts>&& batch) = 0;
  // Last call. On Done and ReadError the results are complete as far as
  // `bytesRead`.
  virtual void Finished(ScanEnd end, uint64_t bytesRead) = 0;
};

// The bar's value for `bytesRead` of `length`: truncated, never above the
// maximum. nullopt when the length is 0 (the bar is left as it stands).
std::optional<int> ProgressValue(uint64_t bytesRead, uint64_t length);

struct ScanOptions {
  int64_t chunk = TailleBloc;
  // Records handed over at most this many at a time (and at every chunk read).
  size_t batch = 4096;
};

// `stop` is looked at for every record and every chunk; once requested the
// scan ends with Stopped within a window's search (a chunk source that
// heeds the same token gives no further chunk).
void RunScan(ChunkSource& src, ScanObserver& obs, std::stop_token stop, ScanOptions opt = {});

}  // namespace imagescan
