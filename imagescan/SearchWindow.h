// The scan's search window: two consecutive chunks of the image joined into
// one block, slid forward one chunk at a time as the search leaves the first
// chunk. Positions are offsets in the current window. Every image position
// is tested exactly once, and a marker that straddles two chunks is found.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/core/BinaryStream.h"
#include "framework/core/MemoryBlock.h"

namespace imagescan {

// Bytes asked for by each chunk read of a card image, and the distance the
// positions move back when the window slides.
inline constexpr int64_t TailleBloc = 10'000'000;
// The chunk size of the main window's own (unused) variant.
inline constexpr int64_t TailleBlocFenetre = 4'000'000;

// Where the chunks come from. Eof and Failed describe the stream as it stands
// after the last chunk handed out, as a BinaryStream read directly would.
class ChunkSource {
 public:
  virtual ~ChunkSource() = default;
  virtual uint64_t Length() const = 0;
  // True once the end has been reached or a read has failed; a chunk read
  // while this is false that is not the last is always full.
  virtual bool Eof() const = 0;
  // The image ended before its length, or a read failed.
  virtual bool Failed() const = 0;
  // At most `count` bytes; nothing at or after the end.
  virtual fw::MemoryBlock Read(int64_t count) = 0;
  // The offsets, ascending, of every marker lying wholly inside a chunk this
  // source handed out (identified by its bytes); nullptr when the source
  // does not know them and the chunk must be searched.
  virtual const std::vector<uint32_t>* MarkersIn(const fw::MemoryBlock::Segment&) const { return nullptr; }
};

// Reads straight from a stream, each chunk in a block of its own.
class StreamChunks : public ChunkSource {
 public:
  explicit StreamChunks(fw::BinaryStream& s) : s_(s) {}
  uint64_t Length() const override { return s_.Length(); }
  bool Eof() const override { return s_.Eof(); }
  bool Failed() const override { return s_.Failed(); }
  fw::MemoryBlock Read(int64_t count) override { return s_.ReadBlock(count); }

 private:
  fw::BinaryStream& s_;
};

// Called with the size of each non-empty chunk the window reads.
using ChunkProgress = std::function<void(int64_t chunkBytes)>;

// The first marker at or after `start` in the window, or the window's size
// + 1 when the image holds no further one. The marker test comes before the
// slide test: at the first position above `chunk` without a marker, and
// while the stream is not at its end, the window slides: the front chunk is
// dropped, the next chunk read and joined behind, and positions move back
// by `chunk`. The three blocks are the caller's and are replaced on a slide.
int64_t chercheNextStartImage(fw::MemoryBlock& fenetre, fw::MemoryBlock& blocActuel, fw::MemoryBlock& blocSuivant,
                              int64_t start, ChunkSource& stream, int64_t chunk,
                              const ChunkProgress& progress = {});

}  // namespace imagescan
