#include "ImageRecords.h"

namespace imagescan {

ImageRecords::ImageRecords(ChunkSource& src, int64_t chunk) : w_(src, chunk) {}

records::RunEnd ImageRecords::endNow() const {
  using records::RunEnd;
  if (w_.OutOfMemory()) return RunEnd::MemoryShort;
  if (w_.Failed()) return RunEnd::ReadError;
  return w_.End() == 0 ? RunEnd::Empty : RunEnd::Done;
}

records::Found ImageRecords::Next() {
  using records::Found;
  if (over_) return Found::Ended(endNow(), w_.End());
  if (!started_) {
    started_ = true;
    w_.Fill();
    if (w_.View().Size() == 0) {
      over_ = true;
      return Found::Ended(endNow(), 0);
    }
  }
  for (;;) {
    // A chunk read on the way is told before the record found after it,
    // and at once: a long stretch without a record still shows progress.
    if (w_.End() != told_) {
      told_ = w_.End();
      return Found::ReadSoFar(told_);
    }
    if (found_) {
      found_ = false;
      if (pos_ < w_.View().Size()) {
        from_ = pos_ + 1;
        return Found::Of(records::DecodeRecord(w_.View(), pos_, records::Decoder::Scan));
      }
      over_ = true;
      return Found::Ended(endNow(), w_.End());
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
