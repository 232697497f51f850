#include "ChunkReader.h"

#include <algorithm>
#include <chrono>
#include <new>

#include <sys/mman.h>

#include "records/MarkerSearch.h"

namespace imagescan {

namespace {
// Bytes per read while a worker searches a chunk: what a core's cache holds.
constexpr int64_t kSlice = 256 * 1024;
}  // namespace

std::shared_ptr<BufferPool> BufferPool::Make(int64_t bufferBytes) {
  return std::shared_ptr<BufferPool>(new BufferPool(bufferBytes));
}

namespace {
constexpr size_t kLargePage = size_t{2} << 20;
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

int ChunkReader::DefaultWorkers() {
  const unsigned n = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(n / 2, 1u, 4u));
}

ChunkReader::ChunkReader(fw::BinaryStream& s, int64_t chunk, int workers, const std::atomic<bool>* stop)
    : s_(s), chunk_(chunk), length_(s.Length()), stop_(stop), pool_(BufferPool::Make(chunk)) {
  // A stream that knows its length is not read past it; one that does not
  // (it says 0) is read until a read comes back short.
  const uint64_t c = static_cast<uint64_t>(chunk);
  limit_ = length_ > 0 ? (length_ + c - 1) / c : UINT64_MAX;
  // Enough to keep every worker busy, few enough to keep the memory small.
  ahead_ = static_cast<uint64_t>(std::max(workers, 0)) + 1;
  for (int k = 0; k < workers; ++k) workers_.emplace_back([this] { worker(); });
}

ChunkReader::~ChunkReader() {
  {
    std::lock_guard lock(m_);
    quit_ = true;
  }
  cv_.notify_all();
  for (auto& t : workers_) t.join();
}

ChunkReader::Item ChunkReader::readChunk(uint64_t index, bool findMarkers) {
  auto buf = pool_->Acquire();
  uint8_t* data = buf.get();
  Item item;
  std::shared_ptr<std::vector<uint32_t>> found;
  if (findMarkers) found = std::make_shared<std::vector<uint32_t>>();
  // Read in slices and search each one at once, while its bytes are still
  // in this core's cache: the chunk is then brought from memory only once.
  const uint64_t at = index * static_cast<uint64_t>(chunk_);
  int64_t got = 0, searched = 0;
  while (got < chunk_) {
    // A slow or failing card reader must not hold a stopped scan for whole
    // chunks: the partial chunk is never handed out once stopped.
    if (stopped()) {
      item.ended = true;
      break;
    }
    const int64_t slice = findMarkers ? std::min(kSlice, chunk_ - got) : chunk_ - got;
    const auto r = s_.ReadAt(at + static_cast<uint64_t>(got), data + got, slice);
    got += r.got;
    if (findMarkers) {
      // Positions whose 14 bytes have all been read by now.
      for (int64_t p = records::FindMarker(data, got, searched, got - 14); p >= 0;
           p = records::FindMarker(data, got, p + 1, got - 14))
        found->push_back(static_cast<uint32_t>(p));
      searched = std::max(searched, got - 13);
    }
    if (r.ended || r.failed) {
      item.ended = r.ended;
      item.failed = r.failed;
      break;
    }
  }
  item.markers = std::move(found);
  item.block = fw::MemoryBlock::View(std::move(buf), data, got);
  return item;
}

void ChunkReader::worker() {
  for (;;) {
    uint64_t index;
    {
      std::unique_lock lock(m_);
      cv_.wait(lock, [&] { return quit_ || (nextToRead_ < limit_ && nextToRead_ < nextToHand_ + ahead_); });
      if (quit_) return;
      index = nextToRead_++;
    }
    Item item;
    if (stopped()) {
      item.ended = true;
    } else {
      try {
        item = readChunk(index, true);
      } catch (const std::bad_alloc&) {
        item = Item{};  // no memory for the chunk: the scan ends as on a failed read
        item.failed = true;
      }
    }
    {
      std::lock_guard lock(m_);
      // Nothing after a chunk that met the end is worth reading.
      if (item.ended || item.failed) limit_ = std::min(limit_, index + 1);
      done_.emplace(index, std::move(item));
    }
    cv_.notify_all();
  }
}

fw::MemoryBlock ChunkReader::Read(int64_t count) {
  if (eof_ || count != chunk_) return {};
  if (stopped()) {
    eof_ = true;
    return {};
  }
  Item item;
  if (workers_.empty()) {
    item = readChunk(nextToHand_++, false);
  } else {
    std::unique_lock lock(m_);
    // The stop flag is raised without a word to this reader: look at it now
    // and then while waiting.
    while (!cv_.wait_for(lock, std::chrono::milliseconds(20), [&] { return done_.count(nextToHand_) > 0; }))
      if (stopped()) {
        eof_ = true;
        return {};
      }
    auto it = done_.find(nextToHand_);
    item = std::move(it->second);
    done_.erase(it);
    ++nextToHand_;
    lock.unlock();
    cv_.notify_all();
  }

  // What reading the stream itself would have told.
  const uint64_t got = static_cast<uint64_t>(item.block.Size());
  pos_ += got;
  eof_ = item.ended || item.failed || (length_ > 0 && pos_ >= length_);
  failed_ = item.failed || (item.ended && pos_ < length_);
  if (stopped()) {
    eof_ = true;
    return {};
  }
  if (item.markers && got > 0) {
    known_[knownNext_] = {item.block.Segments()[0].data, item.block.Size(), item.markers};
    knownNext_ = (knownNext_ + 1) % known_.size();
  }
  return std::move(item.block);
}

const std::vector<uint32_t>* ChunkReader::MarkersIn(const fw::MemoryBlock::Segment& seg) const {
  // Most recent first: a buffer given back and reused holds the newer chunk.
  for (size_t k = 0; k < known_.size(); ++k) {
    const Known& e = known_[(knownNext_ + known_.size() - 1 - k) % known_.size()];
    if (e.data == seg.data && e.size == seg.size) return e.markers.get();
  }
  return nullptr;
}

}  // namespace imagescan
