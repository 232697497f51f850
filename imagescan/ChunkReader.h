// Chunk reads for the scan. Each chunk goes into a buffer taken from a small
// pool and given back when the last block holding it is dropped, so a scan
// of any length reuses the same few buffers instead of touching fresh
// memory for every chunk.
//
// With workers, the chunks ahead of the one being handed out are read in
// parallel, each by one worker, which also finds the markers inside it
// while its bytes are still in that core's cache; the search window then
// only looks them up and tests the positions that straddle two chunks. The
// caller sees the same chunks, in the same order, with the same Eof and
// Failed, as from reading the stream itself chunk after chunk.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "SearchWindow.h"

namespace imagescan {

class BufferPool : public std::enable_shared_from_this<BufferPool> {
 public:
  static std::shared_ptr<BufferPool> Make(int64_t bufferBytes);
  ~BufferPool();
  BufferPool(const BufferPool&) = delete;
  BufferPool& operator=(const BufferPool&) = delete;
  // A buffer of the pool's size; it returns to the pool when the last
  // holder lets go, and to the system when the pool goes.
  std::shared_ptr<uint8_t> Acquire();
  // Buffers made so far (the pool's whole footprint).
  int Allocated() const;

 private:
  explicit BufferPool(int64_t bytes);
  void giveBack(uint8_t* p);
  const size_t mapBytes_;
  mutable std::mutex m_;
  std::vector<uint8_t*> free_;
  int allocated_ = 0;
};

class ChunkReader : public ChunkSource {
 public:
  // `workers` 0 reads on the caller's thread. `stop`, when set, makes every
  // later read come back empty, at the end.
  ChunkReader(fw::BinaryStream& s, int64_t chunk, int workers, const std::atomic<bool>* stop = nullptr);
  ~ChunkReader() override;
  ChunkReader(const ChunkReader&) = delete;
  ChunkReader& operator=(const ChunkReader&) = delete;

  // Workers for a scan on this machine.
  static int DefaultWorkers();

  uint64_t Length() const override { return length_; }
  bool Eof() const override { return eof_; }
  bool Failed() const override { return failed_; }
  // Only reads of the reader's chunk size are served; any other size gives
  // nothing.
  fw::MemoryBlock Read(int64_t count) override;
  const std::vector<uint32_t>* MarkersIn(const fw::MemoryBlock::Segment& seg) const override;
  const BufferPool& Pool() const { return *pool_; }

 private:
  struct Item {
    fw::MemoryBlock block;
    bool ended = false, failed = false;
    std::shared_ptr<const std::vector<uint32_t>> markers;
  };
  Item readChunk(uint64_t index, bool findMarkers);
  void worker();
  bool stopped() const { return stop_ && stop_->load(std::memory_order_relaxed); }

  fw::BinaryStream& s_;
  const int64_t chunk_;
  const uint64_t length_;
  const std::atomic<bool>* stop_;
  std::shared_ptr<BufferPool> pool_;

  // As the caller sees the stream.
  uint64_t pos_ = 0;
  bool eof_ = false, failed_ = false;
  // The chunks last handed out and their markers.
  struct Known {
    const uint8_t* data = nullptr;
    int64_t size = 0;
    std::shared_ptr<const std::vector<uint32_t>> markers;
  };
  std::array<Known, 4> known_;
  size_t knownNext_ = 0;

  // Workers' state.
  std::mutex m_;
  std::condition_variable cv_;
  uint64_t nextToRead_ = 0;  // chunk index a worker takes next
  uint64_t nextToHand_ = 0;  // chunk index the caller gets next
  uint64_t limit_;           // no chunk at or past this index is read
  uint64_t ahead_;           // chunks read ahead of the caller at most
  std::map<uint64_t, Item> done_;
  bool quit_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace imagescan
