#include "ChunkReader.h"

#include <algorithm>
#include <new>

#include "records/MarkerSearch.h"
#include "records/Record.h"

namespace imagescan {

namespace {
// Bytes per read while a worker searches a chunk: what a core's cache holds.
constexpr int64_t kSlice = 256 * 1024;
}  // namespace

int ChunkReader::DefaultWorkers() {
  const unsigned n = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(n / 2, 1u, 4u));
}

ChunkReader::ChunkReader(fw::BinaryStream& s, int64_t chunk, int workers, std::stop_token stop)
    : s_(s), chunk_(chunk), length_(s.Length()), stop_(std::move(stop)), pool_(BufferPool::Make(chunk)) {
  // A stream that knows its length is not read past it; one that does not
  // (it says 0) is read until a read comes back short.
  const uint64_t c = static_cast<uint64_t>(chunk);
  limit_ = length_ > 0 ? (length_ + c - 1) / c : UINT64_MAX;
  // Enough to keep every worker busy, few enough to keep the memory small.
  ahead_ = static_cast<uint64_t>(std::max(workers, 0)) + 1;
  // A slot for each chunk that may be in flight: handing a chunk over never
  // allocates, so it cannot fail when memory is short.
  done_.resize(ahead_);
  for (int k = 0; k < workers; ++k) workers_.emplace_back([this](std::stop_token st) { worker(st); });
}

// The workers' threads are asked to end and joined by their own destructors.
ChunkReader::~ChunkReader() = default;

Chunk ChunkReader::readChunk(uint64_t index, bool findMarkers, std::stop_token shutdown) {
  auto buf = pool_->Acquire();
  uint8_t* data = buf.get();
  Chunk c;
  c.offset = index * static_cast<uint64_t>(chunk_);
  std::shared_ptr<std::vector<uint32_t>> found;
  if (findMarkers) found = std::make_shared<std::vector<uint32_t>>();
  // Read in slices and search each one at once, while its bytes are still
  // in this core's cache: the chunk is then brought from memory only once.
  // The length taken at open bounds the scan: what the image gains while it
  // is read is not read.
  const int64_t want = length_ > 0
                           ? static_cast<int64_t>(std::min<uint64_t>(static_cast<uint64_t>(chunk_), length_ - c.offset))
                           : chunk_;
  int64_t got = 0, searched = 0;
  while (got < want) {
    // A slow or failing card reader must not hold a stopped scan for whole
    // chunks: the partial chunk is never handed out once stopped.
    if (stop_.stop_requested() || shutdown.stop_requested()) {
      c.ended = true;
      break;
    }
    const int64_t slice = findMarkers ? std::min(kSlice, want - got) : want - got;
    const auto r = s_.ReadAt(c.offset + static_cast<uint64_t>(got), data + got, slice);
    got += r.got;
    if (findMarkers) {
      // Positions whose bytes have all been read by now.
      for (int64_t p = records::FindMarker(data, got, searched, got - records::kMarkerSize); p >= 0;
           p = records::FindMarker(data, got, p + 1, got - records::kMarkerSize))
        found->push_back(static_cast<uint32_t>(p));
      searched = std::max(searched, got - (records::kMarkerSize - 1));
    }
    if (r.ended || r.failed) {
      c.ended = r.ended;
      c.failed = r.failed;
      break;
    }
  }
  c.markers = std::move(found);
  c.bytes = fw::MemoryBlock::View(std::move(buf), data, got);
  return c;
}

void ChunkReader::worker(std::stop_token shutdown) {
  for (;;) {
    uint64_t index;
    {
      std::unique_lock lock(m_);
      if (!cv_.wait(lock, shutdown, [&] { return nextToRead_ < limit_ && nextToRead_ < nextToHand_ + ahead_; })) return;
      index = nextToRead_++;
    }
    Chunk c;
    if (stop_.stop_requested()) {
      c.offset = index * static_cast<uint64_t>(chunk_);
      c.ended = true;
    } else {
      c = readOrShort(index, true, shutdown);
    }
    {
      std::lock_guard lock(m_);
      // Nothing after a chunk that met the end is worth reading.
      if (c.ended || c.failed) limit_ = std::min(limit_, index + 1);
      done_[index % ahead_] = std::move(c);
    }
    cv_.notify_all();
  }
}

Chunk ChunkReader::readOrShort(uint64_t index, bool findMarkers, std::stop_token shutdown) {
  try {
    return readChunk(index, findMarkers, shutdown);
  } catch (const std::bad_alloc&) {
    // No memory for the chunk: the image ends there, and says why.
    Chunk c;
    c.offset = index * static_cast<uint64_t>(chunk_);
    c.failed = c.outOfMemory = true;
    return c;
  }
}

Chunk ChunkReader::endChunk() const {
  Chunk c;
  c.offset = pos_;
  c.ended = true;
  c.failed = failed_;
  c.outOfMemory = outOfMemory_;
  return c;
}

Chunk ChunkReader::Next() {
  if (ended_ || stop_.stop_requested()) {
    ended_ = true;
    return endChunk();
  }
  Chunk c;
  if (workers_.empty()) {
    c = readOrShort(nextToHand_++, false, {});
  } else {
    std::unique_lock lock(m_);
    std::optional<Chunk>& slot = done_[nextToHand_ % ahead_];
    // A stop wakes this wait at once.
    if (!cv_.wait(lock, stop_, [&] { return slot.has_value(); })) {
      ended_ = true;
      return endChunk();
    }
    c = std::move(*slot);
    slot.reset();
    ++nextToHand_;
    lock.unlock();
    cv_.notify_all();
  }

  // What reading the stream itself would have told.
  pos_ += static_cast<uint64_t>(c.bytes.Size());
  ended_ = c.ended || c.failed || (length_ > 0 && pos_ >= length_);
  failed_ = c.failed || (c.ended && pos_ < length_);
  outOfMemory_ = c.outOfMemory;
  c.ended = ended_;
  c.failed = failed_;
  if (stop_.stop_requested()) {
    ended_ = true;
    return endChunk();
  }
  return c;
}

}  // namespace imagescan
