// The scan's search window over data of any length read in small chunks,
// so that it slides many times: the markers it gives, as image offsets,
// are exactly the byte-by-byte markers of the data read. The source may
// report its end only after an empty read, and may fail part way.
#include "FuzzInput.h"
#include "imagescan/SearchWindow.h"
#include "records/MarkerSearch.h"
#include "records/Record.h"

namespace {
class Source : public imagescan::ChunkSource {
 public:
  Source(std::string_view d, bool eofAtLength, int64_t failAt) : d_(d), eofAtLength_(eofAtLength), failAt_(failAt) {}
  uint64_t Length() const override { return d_.size(); }
  bool Eof() const override { return eof_; }
  bool Failed() const override { return failed_; }
  fw::MemoryBlock Read(int64_t count) override {
    ++reads;
    if (eof_) return {};
    int64_t take = std::min<int64_t>(count, static_cast<int64_t>(d_.size()) - pos_);
    if (failAt_ >= 0 && pos_ + take > failAt_) {
      take = std::max<int64_t>(failAt_ - pos_, 0);
      failed_ = eof_ = true;
    }
    fw::MemoryBlock b = fw::MemoryBlock::FromBytes(d_.substr(static_cast<size_t>(pos_), static_cast<size_t>(take)));
    pos_ += take;
    if (take == 0 || (eofAtLength_ && pos_ == static_cast<int64_t>(d_.size()))) eof_ = true;
    return b;
  }
  int64_t pos() const { return pos_; }
  int reads = 0;

 private:
  std::string_view d_;
  bool eofAtLength_;
  int64_t failAt_;
  int64_t pos_ = 0;
  bool eof_ = false, failed_ = false;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  const uint8_t flags = in.byte();
  const int64_t chunk = 14 + in.byte() % 50;  // a marker spans at most two chunks
  const uint16_t rawFail = in.u16();
  const std::string_view d = in.rest();
  const int64_t failAt = (flags & 2) ? rawFail % (static_cast<int64_t>(d.size()) + 1) : -1;
  Source src(d, flags & 1, failAt);

  // The caller's side, as the scan sets it up: one or two chunks, then
  // every marker; each slide reads once and moves the window by `chunk`.
  fw::MemoryBlock blocActuel = src.Read(chunk), blocSuivant, fenetre = blocActuel;
  if (!src.Eof()) {
    fw::MemoryBlock b = src.Read(chunk);
    if (b.Size() > 0) {
      blocSuivant = b;
      fenetre = fenetre + blocSuivant;
    }
  }
  std::vector<int64_t> got;
  int64_t base = 0;
  const auto search = [&](int64_t start) {
    const int before = src.reads;
    const int64_t r = imagescan::chercheNextStartImage(fenetre, blocActuel, blocSuivant, start, src, chunk);
    base += chunk * (src.reads - before);
    return r;
  };
  if (blocActuel.Size() > 0)
    for (int64_t p = search(0); p < fenetre.Size(); p = search(p + 1)) got.push_back(base + p);

  const std::string_view read = d.substr(0, static_cast<size_t>(src.pos()));
  std::vector<int64_t> want;
  for (int64_t i = 0; i + records::kMarkerSize <= static_cast<int64_t>(read.size()); ++i)
    if (records::IsMarkerAt(reinterpret_cast<const uint8_t*>(read.data()) + i)) want.push_back(i);
  FUZZ_CHECK(got == want);
  return 0;
}
