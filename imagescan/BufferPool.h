// Buffers of one size for the scan's chunks, reused from one chunk to the
// next: a buffer goes back to the pool when the last block holding it is
// dropped, so a scan of any length touches the same few buffers instead of
// fresh memory for every chunk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

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

}  // namespace imagescan
