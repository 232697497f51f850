// Chunk reads for the scan. Each chunk goes into a buffer taken from a small
// pool and given back when the last block holding it is dropped, so a scan
// of any length reuses the same few buffers instead of touching fresh
// memory for every chunk.
//
// With workers, the chunks ahead of the one being handed out are read in
// parallel, each by one worker, which also finds the markers inside it
// while its bytes are still in that core's cache; the chunk carries them to
// the search window, which then only tests the positions that straddle two
// chunks. The caller sees the same chunks, in the same order, with the same
// ended and failed facts, as from reading the stream itself chunk after
// chunk.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "BufferPool.h"
#include "Chunk.h"

namespace imagescan {

class ChunkReader : public ChunkSource {
 public:
  // `workers` 0 reads on the caller's thread. Once `stop` is requested no
  // further chunk is handed out: the next one comes back empty and ended,
  // at once. The reader's own workers end with the reader.
  ChunkReader(fw::BinaryStream& s, int64_t chunk, int workers, std::stop_token stop = {});
  ~ChunkReader() override;
  ChunkReader(const ChunkReader&) = delete;
  ChunkReader& operator=(const ChunkReader&) = delete;

  // Workers for a scan on this machine.
  static int DefaultWorkers();

  uint64_t Length() const override { return length_; }
  Chunk Next() override;
  const BufferPool& Pool() const { return *pool_; }

 private:
  Chunk readChunk(uint64_t index, bool findMarkers, std::stop_token shutdown);
  // readChunk, or a chunk that ends the image for want of memory.
  Chunk readOrShort(uint64_t index, bool findMarkers, std::stop_token shutdown);
  void worker(std::stop_token shutdown);
  Chunk endChunk() const;

  fw::BinaryStream& s_;
  const int64_t chunk_;
  const uint64_t length_;
  const std::stop_token stop_;
  std::shared_ptr<BufferPool> pool_;

  // As the caller sees the stream.
  uint64_t pos_ = 0;
  bool ended_ = false, failed_ = false, outOfMemory_ = false;

  // Workers' state.
  std::mutex m_;
  std::condition_variable_any cv_;
  uint64_t nextToRead_ = 0;                 // chunk index a worker takes next
  uint64_t nextToHand_ = 0;                 // chunk index the caller gets next
  uint64_t limit_;                          // no chunk at or past this index is read
  uint64_t ahead_;                          // chunks read ahead of the caller at most
  std::vector<std::optional<Chunk>> done_;  // chunk i read, in slot i % ahead_
  // Last member: the workers are told to end and joined before the rest goes.
  std::vector<std::jthread> workers_;
};

}  // namespace imagescan
