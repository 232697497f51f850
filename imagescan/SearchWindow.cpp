#include "SearchWindow.h"

#include <algorithm>

#include "records/MarkerSearch.h"
#include "records/Record.h"

namespace imagescan {

using records::kMarkerSize;

SearchWindow::SearchWindow(ChunkSource& src, int64_t chunk, ChunkProgress progress)
    : src_(src), chunk_(chunk), progress_(std::move(progress)) {}

SearchWindow::SearchWindow(ChunkSource& src, int64_t chunk, fw::MemoryBlock view, fw::MemoryBlock current,
                           fw::MemoryBlock next, bool ended, ChunkProgress progress)
    : src_(src), chunk_(chunk), progress_(std::move(progress)), view_(std::move(view)), ended_(ended) {
  current_.bytes = std::move(current);
  next_.bytes = std::move(next);
}

Chunk SearchWindow::read() {
  Chunk c = src_.Next();
  ended_ = c.ended;
  failed_ = failed_ || c.failed;
  outOfMemory_ = outOfMemory_ || c.outOfMemory;
  if (c.bytes.Size() > 0) {
    end_ = c.offset + static_cast<uint64_t>(c.bytes.Size());
    if (progress_) progress_(c.bytes.Size());
  }
  return c;
}

void SearchWindow::Fill() {
  current_ = read();
  view_ = current_.bytes;
  if (ended_ || current_.bytes.Size() == 0) return;
  Chunk second = read();
  if (second.bytes.Size() > 0) {
    next_ = std::move(second);
    view_ = view_ + next_.bytes;
  }
}

// The first marker in [start, last] of the view, or -1. A chunk whose
// markers its reader found is looked up instead of searched; the positions
// that straddle two chunks are always tested here.
int64_t SearchWindow::findIn(int64_t start, int64_t last) const {
  last = std::min(last, view_.Size() - kMarkerSize);
  if (!current_.markers && !next_.markers) return records::FindMarker(view_, start, last);
  int64_t base = 0;
  for (const Chunk* c : {&current_, &next_}) {
    if (start > last) break;
    const int64_t end = base + c->bytes.Size();
    if (start < end) {
      if (c->markers) {
        const int64_t inner = std::min(last, end - kMarkerSize);  // last position wholly inside
        if (start <= inner) {
          const auto& known = *c->markers;
          auto it = std::lower_bound(known.begin(), known.end(), static_cast<uint32_t>(start - base));
          if (it != known.end() && base + *it <= inner) return base + *it;
        }
        start = std::max(start, end - (kMarkerSize - 1));
      }
      if (start <= last) {
        const int64_t r = records::FindMarker(view_, start, std::min(last, end - 1));
        if (r >= 0) return r;
      }
      start = end;
    }
    base = end;
  }
  return -1;
}

int64_t SearchWindow::Find(int64_t start) {
  for (bool slid = true; slid;) start = Find(start, slid);
  return start;
}

int64_t SearchWindow::Find(int64_t start, bool& slid) {
  slid = false;
  int64_t i = std::max<int64_t>(start, 0);
  for (;;) {
    const int64_t size = view_.Size();
    const int64_t lastFit = size - kMarkerSize;
    if (i > lastFit) return size + 1;
    if (ended_) {
      // No slide can happen any more: the rest of this view is all there is.
      const int64_t r = findIn(i, lastFit);
      return r >= 0 ? r : size + 1;
    }
    // Positions up to the chunk size are only tested; the first one above
    // it is tested and, without a marker, makes the window slide.
    const int64_t slideAt = std::max(i, chunk_ + 1);
    const int64_t r = findIn(i, std::min(slideAt, lastFit));
    if (r >= 0) return r;
    if (slideAt > lastFit) return size + 1;

    current_ = std::move(next_);
    next_ = Chunk{};
    view_ = current_.bytes;
    ++slides_;
    Chunk c = read();
    if (c.bytes.Size() > 0) {
      next_ = std::move(c);
      view_ = view_ + next_.bytes;
    }
    slid = true;
    return slideAt - chunk_ + 1;
  }
}

int64_t chercheNextStartImage(fw::MemoryBlock& fenetre, fw::MemoryBlock& blocActuel, fw::MemoryBlock& blocSuivant,
                              int64_t start, fw::BinaryStream& stream, int64_t chunk, const ChunkProgress& progress) {
  StreamChunks src(stream, chunk);
  SearchWindow w(src, chunk, fenetre, blocActuel, blocSuivant, stream.Eof(), progress);
  const int64_t r = w.Find(start);
  if (w.Slides() > 0) {
    fenetre = w.View();
    blocActuel = w.Current().bytes;
    // A slide whose read brought nothing leaves the following block as it
    // was, now also the one in front.
    blocSuivant = w.Following().bytes.Size() > 0 ? w.Following().bytes : blocActuel;
  }
  return r;
}

}  // namespace imagescan
