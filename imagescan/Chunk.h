// The image as the scan sees it: consecutive chunks, each a value that
// carries its own facts, handed out by a chunk source in image order.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/core/BinaryStream.h"
#include "framework/core/MemoryBlock.h"

namespace imagescan {

// Bytes asked for by each chunk read of a card image, and the distance the
// positions move back when the window slides.
inline constexpr int64_t TailleBloc = 10'000'000;
// The chunk size of the main window's own (unused) variant.
inline constexpr int64_t TailleBlocFenetre = 4'000'000;

struct Chunk {
  fw::MemoryBlock bytes;
  // Offset of the first byte in the image.
  uint64_t offset = 0;
  // Offsets in `bytes`, ascending, of every marker lying wholly inside it,
  // when its reader found them; nullptr when the chunk must be searched.
  std::shared_ptr<const std::vector<uint32_t>> markers;
  // No chunk follows: the end was reached, a read failed or the scan was
  // stopped. A chunk that does not end the image is always full.
  bool ended = false;
  // The image ended before its length, or a read failed.
  bool failed = false;
  // With failed: there was no memory to read the chunk into.
  bool outOfMemory = false;
};

// Where the chunks come from: each call gives the next chunk of the
// source's own size; once one has ended the image, every later one is empty
// and ended too.
class ChunkSource {
 public:
  virtual ~ChunkSource() = default;
  // The image's length taken at open (0 when the stream does not know it).
  virtual uint64_t Length() const = 0;
  virtual Chunk Next() = 0;
};

// Reads straight from a stream at its position, each chunk in a block of
// its own.
class StreamChunks : public ChunkSource {
 public:
  StreamChunks(fw::BinaryStream& s, int64_t chunk) : s_(s), chunk_(chunk) {}
  uint64_t Length() const override { return s_.Length(); }
  Chunk Next() override {
    Chunk c;
    c.offset = s_.Position();
    c.bytes = s_.ReadBlock(chunk_);
    c.ended = s_.Eof();
    c.failed = s_.Failed();
    return c;
  }

 private:
  fw::BinaryStream& s_;
  const int64_t chunk_;
};

}  // namespace imagescan
