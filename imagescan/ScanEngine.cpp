#include "ScanEngine.h"

#include <cmath>

#include "ScanDecoder.h"
#include "SearchWindow.h"

namespace imagescan {

std::optional<int> ProgressValue(uint64_t bytesRead, uint64_t length) {
  if (length == 0) return std::nullopt;
  if (bytesRead >= length) return EchelleProgression;
  uint64_t product = 0;
  if (!__builtin_mul_overflow(bytesRead, uint64_t{EchelleProgression}, &product))
    return static_cast<int>(product / length);
  // Beyond 368 TB the product overflows; a double is then exact enough.
  const double v = std::floor(static_cast<double>(bytesRead) * (EchelleProgression / static_cast<double>(length)));
  return static_cast<int>(std::min<double>(v, EchelleProgression - 1));
}

void RunScan(ChunkSource& src, ScanObserver& obs, std::stop_token stop, ScanOptions opt) {
  obs.Started(src.Length());

  std::vector<records::RecordTexts> batch;
  batch.reserve(opt.batch);
  auto flush = [&] {
    if (batch.empty()) return;
    obs.Records(std::move(batch));
    batch = {};
    batch.reserve(opt.batch);
  };
  // The first chunk read resets the previous results; records found before
  // a later chunk is read go out before its progress does.
  uint64_t bytesRead = 0;
  SearchWindow w(src, opt.chunk, [&](int64_t chunkBytes) {
    if (bytesRead == 0) obs.FirstChunk();
    flush();
    bytesRead += static_cast<uint64_t>(chunkBytes);
    obs.Progress(bytesRead);
  });
  w.Fill();
  if (w.View().Size() == 0) {
    if (stop.stop_requested()) obs.Finished(ScanEnd::Stopped, 0);
    else obs.Finished(w.Failed() ? ScanEnd::ReadError : ScanEnd::EmptyImage, 0);
    return;
  }

  for (int64_t p = w.Find(0); p < w.View().Size(); p = w.Find(p + 1)) {
    if (stop.stop_requested()) break;
    batch.push_back(Decoupe(w.View(), p));
    if (batch.size() >= opt.batch) flush();
  }
  if (stop.stop_requested()) {
    obs.Finished(ScanEnd::Stopped, w.End());
    return;
  }
  flush();
  obs.Finished(w.Failed() ? ScanEnd::ReadError : ScanEnd::Done, w.End());
}

}  // namespace imagescan
