// The marker search, contiguous and over two joined blocks, against the
// byte-by-byte rule: the twelve fixed bytes tested at every position.
#include <cstring>

#include "FuzzInput.h"
#include "records/MarkerSearch.h"
#include "records/Record.h"

namespace {
bool markerAt(std::string_view d, int64_t i) {
  if (i < 0 || i + records::kMarkerSize > static_cast<int64_t>(d.size())) return false;
  for (int k = 0; k < records::kMarkerSize; ++k)
    if (k != 2 && k != 8 && static_cast<uint8_t>(d[static_cast<size_t>(i + k)]) != records::RecordMarker[k])
      return false;
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  const uint16_t rawStart = in.u16();
  const uint16_t rawLast = in.u16();
  const uint8_t cut = in.byte();
  const std::string_view d = in.rest();
  const int64_t n = static_cast<int64_t>(d.size());
  const int64_t start = rawStart % (n + 3) - 1;
  const int64_t last = rawLast % (n + 3) - 1;

  int64_t want = -1;
  for (int64_t i = std::max<int64_t>(start, 0); i <= last && want < 0; ++i)
    if (markerAt(d, i)) want = i;
  FUZZ_CHECK(records::FindMarker(reinterpret_cast<const uint8_t*>(d.data()), n, start, last) == want);

  const fw::MemoryBlock mb = fuzz::Block(d, cut, cut & 1);
  FUZZ_CHECK(records::FindMarker(mb, start, last) == want);

  int64_t next = n + 1;
  for (int64_t i = std::max<int64_t>(start, 0); i < n; ++i)
    if (markerAt(d, i)) {
      next = i;
      break;
    }
  FUZZ_CHECK(records::chercheNextStart(mb, start) == next);
  return 0;
}
