#include "SearchWindow.h"

#include <algorithm>

#include "records/MarkerSearch.h"

namespace imagescan {

namespace {
// The first marker in [start, last] of the window, or -1. Chunks whose
// markers the source already knows are looked up instead of searched; the
// positions that straddle two chunks are always tested here.
int64_t findInWindow(const fw::MemoryBlock& w, int64_t start, int64_t last, const ChunkSource& src) {
  last = std::min(last, w.Size() - 14);
  int64_t base = 0;
  for (const fw::MemoryBlock::Segment& seg : w.Segments()) {
    if (start > last) break;
    const int64_t end = base + seg.size;
    if (start < end) {
      const int64_t inner = std::min(last, end - 14);  // last position wholly inside
      if (const std::vector<uint32_t>* known = src.MarkersIn(seg)) {
        if (start <= inner) {
          auto it = std::lower_bound(known->begin(), known->end(), static_cast<uint32_t>(start - base));
          if (it != known->end() && base + *it <= inner) return base + *it;
        }
        const int64_t from = std::max(start, end - 13);
        if (from <= last) {
          const int64_t r = records::FindMarker(w, from, std::min(last, end - 1));
          if (r >= 0) return r;
        }
      } else {
        const int64_t r = records::FindMarker(w, start, std::min(last, end - 1));
        if (r >= 0) return r;
      }
      start = end;
    }
    base = end;
  }
  return -1;
}
}  // namespace

int64_t chercheNextStartImage(fw::MemoryBlock& fenetre, fw::MemoryBlock& blocActuel, fw::MemoryBlock& blocSuivant,
                              int64_t start, ChunkSource& stream, int64_t chunk, const ChunkProgress& progress) {
  int64_t i = std::max<int64_t>(start, 0);
  for (;;) {
    const int64_t size = fenetre.Size();
    const int64_t lastFit = size - 14;
    if (i > lastFit) return size + 1;
    if (stream.Eof()) {
      // No slide can happen any more: the rest of this window is all there is.
      const int64_t r = findInWindow(fenetre, i, lastFit, stream);
      return r >= 0 ? r : size + 1;
    }
    // Positions up to `chunk` are only tested; the first one above it is
    // tested and, without a marker, makes the window slide.
    const int64_t slideAt = std::max(i, chunk + 1);
    const int64_t r = findInWindow(fenetre, i, std::min(slideAt, lastFit), stream);
    if (r >= 0) return r;
    if (slideAt > lastFit) return size + 1;

    blocActuel = blocSuivant;
    fenetre = blocActuel;
    fw::MemoryBlock next = stream.Read(chunk);
    if (next.Size() > 0) {
      blocSuivant = std::move(next);
      if (progress) progress(blocSuivant.Size());
      fenetre = fenetre + blocSuivant;
    }
    i = slideAt - chunk + 1;
  }
}

}  // namespace imagescan
