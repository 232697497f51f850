// The scan's search window: two consecutive chunks of the image joined into
// one view, slid forward one chunk at a time as the search leaves the first
// chunk. Positions are offsets in the current view; the window knows where
// that view lies in the image. Every image position is tested exactly once,
// and a marker that straddles two chunks is found.
#pragma once

#include <cstdint>
#include <functional>

#include "Chunk.h"
#include "framework/core/BinaryStream.h"
#include "framework/core/MemoryBlock.h"

namespace imagescan {

// Called with the size of each non-empty chunk the window reads.
using ChunkProgress = std::function<void(int64_t chunkBytes)>;

class SearchWindow {
 public:
  // An empty window over `src`, whose chunks are `chunk` bytes.
  SearchWindow(ChunkSource& src, int64_t chunk, ChunkProgress progress = {});
  // A window already holding these blocks, as a caller of the record method
  // keeps them; `ended` tells whether the stream has reached its end.
  SearchWindow(ChunkSource& src, int64_t chunk, fw::MemoryBlock view, fw::MemoryBlock current, fw::MemoryBlock next,
               bool ended, ChunkProgress progress = {});

  // Reads the first chunk and, unless it ended the image, the second.
  void Fill();

  // The first marker at or after `start` in the view, or the view's size
  // + 1 when the image holds no further one. The marker test comes before
  // the slide test: at the first position above the chunk size without a
  // marker, and while the image has not ended, the window slides: the
  // front chunk is dropped, the next one read and joined behind, and
  // positions move back by the chunk size.
  int64_t Find(int64_t start);
  // The same, but returning as soon as the window has slid once, with
  // `slid` set and the position the search goes on from (in the new view):
  // a caller can then tell what the slide read before the search goes on.
  int64_t Find(int64_t start, bool& slid);

  const fw::MemoryBlock& View() const { return view_; }
  const Chunk& Current() const { return current_; }
  const Chunk& Following() const { return next_; }
  // Image offset of the view's first byte, and of the byte after the last
  // one read.
  uint64_t Offset() const { return current_.offset; }
  uint64_t End() const { return end_; }
  int Slides() const { return slides_; }
  bool Failed() const { return failed_; }
  // A chunk could not be read for want of memory.
  bool OutOfMemory() const { return outOfMemory_; }

 private:
  Chunk read();
  int64_t findIn(int64_t start, int64_t last) const;

  ChunkSource& src_;
  const int64_t chunk_;
  ChunkProgress progress_;
  Chunk current_, next_;
  fw::MemoryBlock view_;
  uint64_t end_ = 0;
  int slides_ = 0;
  bool ended_ = false, failed_ = false, outOfMemory_ = false;
};

// The record method's form: the caller keeps the three blocks, and the rest
// of the image is read from `stream` at its position.
int64_t chercheNextStartImage(fw::MemoryBlock& fenetre, fw::MemoryBlock& blocActuel, fw::MemoryBlock& blocSuivant,
                              int64_t start, fw::BinaryStream& stream, int64_t chunk,
                              const ChunkProgress& progress = {});

}  // namespace imagescan
