// Chunk sources for the core tests: an image in memory that can hide its
// end or fail part-way, and a temporary file for the sources that read one.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "imagescan/Chunk.h"

namespace testutil {

// An image in memory. With `eofAtLength` false it reports its end only once
// a read has come back empty, as a stream whose length it does not know.
class MemorySource : public imagescan::ChunkSource {
 public:
  MemorySource(const std::string& img, int64_t chunk, bool eofAtLength = true, int64_t failAt = -1)
      : img_(img), chunk_(chunk), eofAtLength_(eofAtLength), failAt_(failAt) {}
  uint64_t Length() const override { return img_.size(); }
  imagescan::Chunk Next() override {
    ++reads;
    imagescan::Chunk c;
    c.offset = static_cast<uint64_t>(pos_);
    if (eof_) {
      c.ended = true;
      c.failed = failed_;
      return c;
    }
    int64_t take = std::min<int64_t>(chunk_, static_cast<int64_t>(img_.size()) - pos_);
    if (failAt_ >= 0 && pos_ + take > failAt_) {
      take = failAt_ - pos_;
      failed_ = eof_ = true;
    }
    c.bytes =
        fw::MemoryBlock::FromBytes(std::string_view(img_).substr(static_cast<size_t>(pos_), static_cast<size_t>(take)));
    pos_ += take;
    if (take == 0 || (eofAtLength_ && pos_ == static_cast<int64_t>(img_.size()))) eof_ = true;
    c.ended = eof_;
    c.failed = failed_;
    return c;
  }
  int reads = 0;

 private:
  const std::string& img_;
  const int64_t chunk_;
  bool eofAtLength_;
  int64_t failAt_;
  int64_t pos_ = 0;
  bool eof_ = false, failed_ = false;
};

struct TempFile {
  std::string path;
  explicit TempFile(const std::string& bytes) {
    char name[] = "/tmp/gravelin_scan_XXXXXX";
    const int fd = ::mkstemp(name);
    path = name;
    const ssize_t w = ::write(fd, bytes.data(), bytes.size());
    if (w != static_cast<ssize_t>(bytes.size())) path.clear();
    ::close(fd);
  }
  ~TempFile() {
    if (!path.empty()) std::remove(path.c_str());
  }
};

}  // namespace testutil
