// The scan's search window over data of any length read in small chunks,
// so that it slides many times: the markers it gives, as image offsets,
// are exactly the byte-by-byte markers of the data read. The source may
// report its end only with an empty chunk, may fail part way, and may hand
// over the markers of its chunks as the scan's reader does.
#include <memory>

#include "FuzzInput.h"
#include "imagescan/SearchWindow.h"
#include "records/MarkerSearch.h"
#include "records/Record.h"

namespace {
std::vector<uint32_t> markersOf(std::string_view d) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i + records::kMarkerSize <= d.size(); ++i)
    if (records::IsMarkerAt(reinterpret_cast<const uint8_t*>(d.data()) + i)) out.push_back(static_cast<uint32_t>(i));
  return out;
}

class Source : public imagescan::ChunkSource {
 public:
  Source(std::string_view d, int64_t chunk, uint8_t flags, int64_t failAt)
      : d_(d), chunk_(chunk), endAtLength_(flags & 1), knowsMarkers_(flags & 4), failAt_(failAt) {}
  uint64_t Length() const override { return d_.size(); }
  imagescan::Chunk Next() override {
    imagescan::Chunk c;
    c.offset = static_cast<uint64_t>(pos_);
    c.ended = c.failed = failed_;
    if (ended_) {
      c.ended = true;
      return c;
    }
    int64_t take = std::min<int64_t>(chunk_, static_cast<int64_t>(d_.size()) - pos_);
    if (failAt_ >= 0 && pos_ + take > failAt_) {
      take = std::max<int64_t>(failAt_ - pos_, 0);
      failed_ = ended_ = true;
    }
    const std::string_view bytes = d_.substr(static_cast<size_t>(pos_), static_cast<size_t>(take));
    c.bytes = fw::MemoryBlock::FromBytes(bytes);
    if (knowsMarkers_) c.markers = std::make_shared<const std::vector<uint32_t>>(markersOf(bytes));
    pos_ += take;
    if (take == 0 || (endAtLength_ && pos_ == static_cast<int64_t>(d_.size()))) ended_ = true;
    c.ended = ended_;
    c.failed = failed_;
    return c;
  }
  int64_t pos() const { return pos_; }

 private:
  std::string_view d_;
  int64_t chunk_;
  bool endAtLength_, knowsMarkers_;
  int64_t failAt_;
  int64_t pos_ = 0;
  bool ended_ = false, failed_ = false;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  const uint8_t flags = in.byte();
  const int64_t chunk = 14 + in.byte() % 50;  // a marker spans at most two chunks
  const uint16_t rawFail = in.u16();
  const std::string_view d = in.rest();
  const int64_t failAt = (flags & 2) ? rawFail % (static_cast<int64_t>(d.size()) + 1) : -1;
  Source src(d, chunk, flags, failAt);

  // As the scan runs it: fill, then every marker from the one after the last.
  imagescan::SearchWindow w(src, chunk);
  w.Fill();
  std::vector<uint32_t> got;
  for (int64_t p = w.Find(0); p < w.View().Size(); p = w.Find(p + 1))
    got.push_back(static_cast<uint32_t>(static_cast<int64_t>(w.Offset()) + p));

  FUZZ_CHECK(got == markersOf(d.substr(0, static_cast<size_t>(src.pos()))));
  FUZZ_CHECK(w.End() == static_cast<uint64_t>(src.pos()));
  return 0;
}
