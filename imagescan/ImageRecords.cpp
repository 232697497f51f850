#include "ImageRecords.h"

namespace imagescan {

ImageRecords::ImageRecords(ChunkSource& src, int64_t chunk)
    : w_(src, chunk, [this](int64_t chunkBytes) {
        bytesRead_ += static_cast<uint64_t>(chunkBytes);
        unreported_ = bytesRead_;
      }) {}

records::RunEnd ImageRecords::endNow(bool empty) const {
  using records::RunEnd;
  if (w_.OutOfMemory()) return RunEnd::MemoryShort;
  if (w_.Failed()) return RunEnd::ReadError;
  return empty ? RunEnd::Empty : RunEnd::Done;
}

records::Found ImageRecords::Next() {
  using records::Found;
  if (over_) return Found::Ended(endNow(bytesRead_ == 0), w_.End());
  if (!started_) {
    started_ = true;
    w_.Fill();
    if (w_.View().Size() == 0) {
      over_ = true;
      return Found::Ended(endNow(true), 0);
    }
  }
  for (;;) {
    // A chunk read on the way is told before the record found after it,
    // and at once: a long stretch without a record still shows progress.
    if (unreported_) {
      const uint64_t bytes = *unreported_;
      unreported_.reset();
      return Found::ReadSoFar(bytes);
    }
    if (found_) {
      found_ = false;
      if (pos_ < w_.View().Size()) {
        from_ = pos_ + 1;
        return Found::Of(records::DecodeRecord(w_.View(), pos_, records::Decoder::Scan));
      }
      over_ = true;
      return Found::Ended(endNow(false), w_.End());
    }
    bool slid = false;
    const int64_t r = w_.Find(from_, slid);
    if (slid) {
      from_ = r;
    } else {
      pos_ = r;
      found_ = true;
    }
  }
}
}  // namespace imagescan
