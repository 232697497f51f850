// A vector in fixed pages: random access, appends that never move what is
// stored, and no allocation larger than a page, so that a table of a
// million entries never grows in one large step.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace fw {

template <class T, size_t PageSize = 65536>
class ChunkedVector {
 public:
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const T& operator[](size_t i) const { return pages_[i / PageSize][i % PageSize]; }
  T& operator[](size_t i) { return pages_[i / PageSize][i % PageSize]; }
  // Makes room for n more; push_back below this size allocates nothing.
  void reserveMore(size_t n) {
    while (pages_.size() * PageSize < size_ + n) {
      if (pages_.size() == pages_.capacity()) pages_.reserve(std::max<size_t>(16, 2 * pages_.size()));
      pages_.push_back(std::make_unique_for_overwrite<T[]>(PageSize));
    }
  }
  void push_back(T v) {
    reserveMore(1);
    (*this)[size_++] = v;
  }
  void pop_back() { --size_; }

 private:
  std::vector<std::unique_ptr<T[]>> pages_;
  size_t size_ = 0;
};

}  // namespace fw
