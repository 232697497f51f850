// A byte buffer with 0-based offsets. Copies share the bytes (assigning a
// block to another variable names the same block), and `+` makes a block
// that holds both operands' bytes without copying them: the memory-image
// scan joins two 10 MB chunks on every slide of its window, and copying them
// each time would cost as much as reading them.
//
// Reads outside the block never touch memory outside it: Byte gives 0,
// Int32Value and PString give nothing, and Contains lets a caller ask first.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

class MemoryBlock {
 public:
  struct Segment {
    const uint8_t* data;
    int64_t size;
  };

  MemoryBlock() = default;             // size 0
  explicit MemoryBlock(int64_t size);  // zero-filled
  static MemoryBlock FromBytes(std::string_view bytes);
  // Takes ownership of storage the caller filled (a file read straight into
  // a block).
  static MemoryBlock Adopt(std::shared_ptr<std::vector<uint8_t>> storage, int64_t size);
  // Read-only view of bytes held elsewhere, kept alive by `keep` for as
  // long as a block refers to them (setByte refuses to write into them).
  static MemoryBlock View(std::shared_ptr<const void> keep, const uint8_t* data, int64_t size);

  int64_t Size() const { return size_; }
  bool Contains(int64_t off, int64_t len) const { return off >= 0 && len >= 0 && off <= size_ && len <= size_ - off; }
  uint8_t Byte(int64_t off) const;
  bool setByte(int64_t off, uint8_t v);                  // false, and nothing written, outside
  std::optional<int32_t> Int32Value(int64_t off) const;  // little-endian
  // The bytes after the length byte at `off`, as many as it says.
  std::optional<std::string> PString(int64_t off) const;
  std::string Bytes(int64_t off, int64_t len) const;  // clipped to the block

  MemoryBlock operator+(const MemoryBlock& right) const;
  bool SameAs(const MemoryBlock& other) const;  // the very same block

  // Contiguous runs of bytes in offset order; a block made by `+` has several.
  const std::vector<Segment>& Segments() const { return segs_; }

 private:
  struct Part {
    std::shared_ptr<std::vector<uint8_t>> owner;  // none for a view
    int64_t begin;                                // offset of this part within the block
    std::shared_ptr<const void> keep;             // what holds a view's bytes
  };
  std::vector<Part> parts_;
  std::vector<Segment> segs_;
  int64_t size_ = 0;

  // Index of the segment holding `off` (which must be inside).
  size_t segmentAt(int64_t off) const;
  void addPart(std::shared_ptr<std::vector<uint8_t>> owner, const uint8_t* data, int64_t size,
               std::shared_ptr<const void> keep = nullptr);
};

}  // namespace fw
