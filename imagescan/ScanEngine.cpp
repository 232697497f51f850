#include "ScanEngine.h"

#include <cmath>

#include "ScanDecoder.h"

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

void RunScan(ChunkSource& stream, ScanObserver& obs, const std::atomic<bool>& stop, ScanOptions opt) {
  const int64_t chunk = opt.chunk;
  obs.Started(stream.Length());

  fw::MemoryBlock blocActuel = stream.Read(chunk);
  if (blocActuel.Size() == 0) {
    if (stop.load()) obs.Finished(ScanEnd::Stopped, 0);
    else obs.Finished(stream.Failed() ? ScanEnd::ReadError : ScanEnd::EmptyImage, 0);
    return;
  }
  fw::MemoryBlock fenetre = blocActuel;
  fw::MemoryBlock blocSuivant;
  obs.FirstChunk();

  uint64_t bytesRead = static_cast<uint64_t>(blocActuel.Size());
  obs.Progress(bytesRead);
  if (!stream.Eof()) {
    fw::MemoryBlock second = stream.Read(chunk);
    if (second.Size() > 0) {
      blocSuivant = std::move(second);
      fenetre = fenetre + blocSuivant;
      bytesRead += static_cast<uint64_t>(blocSuivant.Size());
      obs.Progress(bytesRead);
    }
  }

  std::vector<records::RecordTexts> batch;
  auto flush = [&] {
    if (batch.empty()) return;
    obs.Records(std::move(batch));
    batch = {};
    batch.reserve(opt.batch);
  };
  batch.reserve(opt.batch);
  // Records found before a chunk is read go out before its progress does.
  const ChunkProgress progress = [&](int64_t s) {
    flush();
    bytesRead += static_cast<uint64_t>(s);
    obs.Progress(bytesRead);
  };

  int64_t position = chercheNextStartImage(fenetre, blocActuel, blocSuivant, 0, stream, chunk, progress);
  while (position < fenetre.Size()) {
    if (stop.load(std::memory_order_relaxed)) break;
    batch.push_back(Decoupe(fenetre, position));
    if (batch.size() >= opt.batch) flush();
    position = chercheNextStartImage(fenetre, blocActuel, blocSuivant, position + 1, stream, chunk, progress);
  }
  if (stop.load()) {
    obs.Finished(ScanEnd::Stopped, bytesRead);
    return;
  }
  flush();
  obs.Finished(stream.Failed() ? ScanEnd::ReadError : ScanEnd::Done, bytesRead);
}

}  // namespace imagescan
