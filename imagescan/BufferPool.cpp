#include "BufferPool.h"

#include <algorithm>
#include <new>

#include <sys/mman.h>

namespace imagescan {

namespace {
constexpr size_t kLargePage = size_t{2} << 20;
}  // namespace

std::shared_ptr<BufferPool> BufferPool::Make(int64_t bufferBytes) {
  return std::shared_ptr<BufferPool>(new BufferPool(bufferBytes));
}

// Whole large pages, so that every byte of a buffer can sit on one.
BufferPool::BufferPool(int64_t bytes)
    : mapBytes_((static_cast<size_t>(std::max<int64_t>(bytes, 1)) + kLargePage - 1) & ~(kLargePage - 1)) {}

BufferPool::~BufferPool() {
  for (uint8_t* p : free_) ::munmap(p, mapBytes_);
}

std::shared_ptr<uint8_t> BufferPool::Acquire() {
  uint8_t* p = nullptr;
  {
    std::lock_guard lock(m_);
    if (!free_.empty()) {
      p = free_.back();
      free_.pop_back();
    }
  }
  if (!p) {
    // Mapped rather than taken from the heap: the memory goes back to the
    // system after the scan, and the buffer can start on a large-page
    // boundary, which spares thousands of page faults and TLB misses.
    const size_t span = mapBytes_ + kLargePage;
    {
      // Room to take every buffer back: giving one back happens where a
      // failure could not be reported.
      std::lock_guard lock(m_);
      free_.reserve(static_cast<size_t>(allocated_) + 1);
    }
    void* m = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) throw std::bad_alloc();
    auto* base = static_cast<uint8_t*>(m);
    const uintptr_t aligned = (reinterpret_cast<uintptr_t>(base) + kLargePage - 1) & ~(kLargePage - 1);
    p = reinterpret_cast<uint8_t*>(aligned);
    if (p > base) ::munmap(base, static_cast<size_t>(p - base));
    if (base + span > p + mapBytes_) ::munmap(p + mapBytes_, static_cast<size_t>(base + span - (p + mapBytes_)));
#ifdef MADV_HUGEPAGE
    ::madvise(p, mapBytes_, MADV_HUGEPAGE);
#endif
    std::lock_guard lock(m_);
    ++allocated_;
  }
  // The deleter keeps the pool alive for as long as one of its buffers is out.
  auto self = shared_from_this();
  return std::shared_ptr<uint8_t>(p, [self](uint8_t* q) { self->giveBack(q); });
}

void BufferPool::giveBack(uint8_t* p) {
  std::lock_guard lock(m_);
  free_.push_back(p);
}

int BufferPool::Allocated() const {
  std::lock_guard lock(m_);
  return allocated_;
}

}  // namespace imagescan
