#include "MemoryBlock.h"

#include <cstring>

namespace fw {

MemoryBlock::MemoryBlock(int64_t size) {
  if (size <= 0) return;
  auto v = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(size), 0);
  const uint8_t* d = v->data();
  addPart(std::move(v), d, size);
}

MemoryBlock MemoryBlock::FromBytes(std::string_view bytes) {
  MemoryBlock b;
  if (bytes.empty()) return b;
  auto v = std::make_shared<std::vector<uint8_t>>(bytes.begin(), bytes.end());
  const uint8_t* d = v->data();
  b.addPart(std::move(v), d, static_cast<int64_t>(bytes.size()));
  return b;
}

MemoryBlock MemoryBlock::Adopt(std::shared_ptr<std::vector<uint8_t>> storage, int64_t size) {
  MemoryBlock b;
  if (!storage || size <= 0) return b;
  if (size > static_cast<int64_t>(storage->size())) size = static_cast<int64_t>(storage->size());
  const uint8_t* d = storage->data();
  b.addPart(std::move(storage), d, size);
  return b;
}

MemoryBlock MemoryBlock::View(std::shared_ptr<const void> keep, const uint8_t* data, int64_t size) {
  MemoryBlock b;
  if (!keep || !data || size <= 0) return b;
  b.addPart(nullptr, data, size, std::move(keep));
  return b;
}

void MemoryBlock::addPart(std::shared_ptr<std::vector<uint8_t>> owner, const uint8_t* data, int64_t size,
                          std::shared_ptr<const void> keep) {
  parts_.push_back({std::move(owner), size_, std::move(keep)});
  segs_.push_back({data, size});
  size_ += size;
}

size_t MemoryBlock::segmentAt(int64_t off) const {
  if (segs_.size() == 1) return 0;
  size_t lo = 0, hi = parts_.size() - 1;
  while (lo < hi) {
    const size_t mid = (lo + hi + 1) / 2;
    if (parts_[mid].begin <= off) lo = mid;
    else hi = mid - 1;
  }
  return lo;
}

uint8_t MemoryBlock::Byte(int64_t off) const {
  if (off < 0 || off >= size_) return 0;
  const size_t s = segmentAt(off);
  return segs_[s].data[off - parts_[s].begin];
}

bool MemoryBlock::setByte(int64_t off, uint8_t v) {
  if (off < 0 || off >= size_) return false;
  const size_t s = segmentAt(off);
  if (!parts_[s].owner) return false;
  (*parts_[s].owner)[static_cast<size_t>(segs_[s].data - parts_[s].owner->data() + (off - parts_[s].begin))] = v;
  return true;
}

std::optional<int32_t> MemoryBlock::Int32Value(int64_t off) const {
  if (!Contains(off, 4)) return std::nullopt;
  uint32_t u = 0;
  for (int k = 3; k >= 0; --k) u = (u << 8) | Byte(off + k);
  return static_cast<int32_t>(u);
}

std::optional<std::string> MemoryBlock::PString(int64_t off) const {
  if (!Contains(off, 1)) return std::nullopt;
  const int64_t n = Byte(off);
  if (!Contains(off + 1, n)) return std::nullopt;
  return Bytes(off + 1, n);
}

std::string MemoryBlock::Bytes(int64_t off, int64_t len) const {
  std::string out;
  if (off < 0) {
    len += off;
    off = 0;
  }
  if (len <= 0 || off >= size_) return out;
  if (len > size_ - off) len = size_ - off;
  out.reserve(static_cast<size_t>(len));
  while (len > 0) {
    const size_t s = segmentAt(off);
    const int64_t within = off - parts_[s].begin;
    const int64_t take = std::min(len, segs_[s].size - within);
    out.append(reinterpret_cast<const char*>(segs_[s].data + within), static_cast<size_t>(take));
    off += take;
    len -= take;
  }
  return out;
}

MemoryBlock MemoryBlock::operator+(const MemoryBlock& right) const {
  MemoryBlock b;
  for (const MemoryBlock* m : {this, &right})
    for (size_t i = 0; i < m->parts_.size(); ++i)
      b.addPart(m->parts_[i].owner, m->segs_[i].data, m->segs_[i].size, m->parts_[i].keep);
  return b;
}

bool MemoryBlock::SameAs(const MemoryBlock& other) const {
  if (parts_.size() != other.parts_.size() || size_ != other.size_) return false;
  for (size_t i = 0; i < parts_.size(); ++i)
    if (parts_[i].owner != other.parts_[i].owner || parts_[i].keep != other.parts_[i].keep ||
        segs_[i].data != other.segs_[i].data)
      return false;
  return true;
}

}  // namespace fw
