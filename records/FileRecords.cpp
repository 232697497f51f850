#include "FileRecords.h"

#include "records/MarkerSearch.h"

namespace records {

FileRecords::FileRecords(const fw::MemoryBlock& bytes, RunEnd readEnd) : mb_(bytes), readEnd_(readEnd) {}

Found FileRecords::Next() {
  const int64_t size = mb_.Size();
  if (!started_) {
    started_ = true;
    // Nothing read: a file that is empty, or whose first read failed.
    if (size == 0) return Found::Ended(readEnd_ == RunEnd::Done ? RunEnd::Empty : readEnd_, 0);
    pos_ = chercheNextStart(mb_, 0);
    return Found::ReadSoFar(static_cast<uint64_t>(size));
  }
  if (pos_ >= size) return Found::Ended(readEnd_, static_cast<uint64_t>(size));
  Found f = Found::Of(DecodeRecord(mb_, pos_, Decoder::MainWindow));
  pos_ = chercheNextStart(mb_, pos_ + 1);
  return f;
}

}  // namespace records
