#include "ScanEngine.h"

#include <algorithm>
#include <cmath>

#include "ImageRecords.h"

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

records::RunEnd RunScan(ChunkSource& src, records::RecordSink& sink, std::stop_token stop, int64_t chunk,
                        size_t batch) {
  ImageRecords records(src, chunk);
  return records::Search(records, sink, std::move(stop), batch);
}

}  // namespace imagescan
