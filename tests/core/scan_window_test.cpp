// The scan's search window over images built here, the chunk reader, and a
// whole scan through the engine.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/core/BinaryStream.h"
#include "framework/core/MemoryBlock.h"
#include "framework/core/Text.h"
#include "imagescan/ChunkReader.h"
#include "imagescan/ScanEngine.h"
#include "imagescan/SearchWindow.h"
#include "records/Record.h"

using imagescan::TailleBloc;

namespace {
constexpr int64_t M10 = 10'000'000;

void putMarker(std::string& img, int64_t at, uint8_t prec = 3, uint8_t type = 5) {
  const char m[14] = {4, 0, static_cast<char>(prec), 0, 0, 0, 4, 0, static_cast<char>(type), 0, 0, 0, 8, 0};
  std::copy(m, m + 14, img.begin() + at);
}

// Every marker position, tested byte by byte.
std::vector<int64_t> reference(const std::string& img) {
  std::vector<int64_t> out;
  const auto* p = reinterpret_cast<const uint8_t*>(img.data());
  for (int64_t i = 0; i + 14 <= static_cast<int64_t>(img.size()); ++i) {
    const uint8_t* q = p + i;
    if (q[0] == 4 && q[1] == 0 && q[3] == 0 && q[4] == 0 && q[5] == 0 && q[6] == 4 && q[7] == 0 && q[9] == 0 &&
        q[10] == 0 && q[11] == 0 && q[12] == 8 && q[13] == 0)
      out.push_back(i);
  }
  return out;
}

// An image in memory. With `eofAtLength` false it reports its end only once
// a read has come back empty, as a stream whose length it does not know.
class MemorySource : public imagescan::ChunkSource {
 public:
  explicit MemorySource(const std::string& img, bool eofAtLength = true, int64_t failAt = -1)
      : img_(img), eofAtLength_(eofAtLength), failAt_(failAt) {}
  uint64_t Length() const override { return length_ ? *length_ : img_.size(); }
  bool Eof() const override { return eof_; }
  bool Failed() const override { return failed_; }
  fw::MemoryBlock Read(int64_t count) override {
    ++reads;
    if (eof_) return {};
    int64_t take = std::min<int64_t>(count, static_cast<int64_t>(img_.size()) - pos_);
    if (failAt_ >= 0 && pos_ + take > failAt_) {
      take = failAt_ - pos_;
      failed_ = eof_ = true;
    }
    fw::MemoryBlock b = fw::MemoryBlock::FromBytes(std::string_view(img_).substr(static_cast<size_t>(pos_), static_cast<size_t>(take)));
    pos_ += take;
    if (take == 0 || (eofAtLength_ && pos_ == static_cast<int64_t>(img_.size()))) eof_ = true;
    return b;
  }
  void ReportLength(uint64_t n) { length_ = n; }
  int reads = 0;

 private:
  const std::string& img_;
  bool eofAtLength_;
  int64_t failAt_;
  int64_t pos_ = 0;
  bool eof_ = false, failed_ = false;
  std::optional<uint64_t> length_;
};

// The caller's side of the window, as the scan sets it up: the first one or
// two chunks read, then every marker through the window.
struct Window {
  fw::MemoryBlock fenetre, blocActuel, blocSuivant;
  MemorySource& src;
  int64_t chunk;
  std::vector<int64_t> progress;  // chunk sizes added by slides
  int64_t base = 0;               // image offset of fenetre's first byte

  Window(MemorySource& s, int64_t c) : src(s), chunk(c) {
    blocActuel = src.Read(chunk);
    fenetre = blocActuel;
    if (!src.Eof()) {
      fw::MemoryBlock b = src.Read(chunk);
      if (b.Size() > 0) {
        blocSuivant = b;
        fenetre = fenetre + blocSuivant;
      }
    }
  }
  int64_t search(int64_t start) {
    const int readsBefore = src.reads;
    const int64_t r = imagescan::chercheNextStartImage(fenetre, blocActuel, blocSuivant, start, src, chunk,
                                                       [this](int64_t s) { progress.push_back(s); });
    base += chunk * (src.reads - readsBefore);  // one read per slide, empty or not
    return r;
  }
  // Image offsets of every marker, in the scan's calling order.
  std::vector<int64_t> all() {
    std::vector<int64_t> out;
    for (int64_t p = search(0); p < fenetre.Size(); p = search(p + 1)) out.push_back(base + p);
    return out;
  }
};

std::string zeros(int64_t n) { return std::string(static_cast<size_t>(n), '\0'); }

// Dense markers, near misses and overlapping candidates everywhere.
std::string dense(int64_t size, uint64_t seed) {
  std::string img(static_cast<size_t>(size), '\0');
  uint64_t s = seed;
  auto next = [&s] {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return s >> 33;
  };
  const char nearMiss[14] = {4, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 9, 0};
  for (int64_t i = 0; i + 14 <= size;) {
    const uint64_t r = next() % 8;
    if (r == 0) putMarker(img, i, static_cast<uint8_t>(next()), static_cast<uint8_t>(next()));
    else if (r == 1) std::copy(nearMiss, nearMiss + 14, img.begin() + i);
    else if (r == 2) img[static_cast<size_t>(i)] = 4;
    i += 1 + static_cast<int64_t>(next() % 40);
  }
  return img;
}
}  // namespace

TEST(SearchWindow, TwentyMillionByteWindow) {
  std::string img = zeros(3 * M10);
  putMarker(img, M10 + 1);
  putMarker(img, M10 + 20);
  MemorySource src(img);
  Window w(src, TailleBloc);
  ASSERT_EQ(w.fenetre.Size(), 2 * M10);
  const fw::MemoryBlock before = w.fenetre;

  // 10,000,000 itself never slides; a marker at 10,000,001 comes back as is.
  EXPECT_EQ(w.search(M10), M10 + 1);
  EXPECT_TRUE(w.fenetre.SameAs(before));
  EXPECT_EQ(src.reads, 2);
  // The next search, from 10,000,002, slides at once.
  EXPECT_EQ(w.search(M10 + 2), 20);
  EXPECT_EQ(src.reads, 3);
  EXPECT_EQ(w.progress, std::vector<int64_t>{M10});
  EXPECT_EQ(w.fenetre.Size(), 2 * M10);
  EXPECT_EQ(w.fenetre.Byte(20), 4);
}

TEST(SearchWindow, SlideAtTenMillionAndOne) {
  std::string img = zeros(3 * M10);
  putMarker(img, M10 + 2);
  MemorySource src(img);
  Window w(src, TailleBloc);
  const fw::MemoryBlock second = w.blocSuivant;
  // No marker at 10,000,001: the window slides there and the next position
  // tested is 2, the image byte after 10,000,001.
  EXPECT_EQ(w.search(M10), 2);
  EXPECT_TRUE(w.blocActuel.SameAs(second));
  EXPECT_EQ(w.fenetre.Size(), 2 * M10);
  EXPECT_EQ(w.base, M10);
}

TEST(SearchWindow, StartsThatFindNothingAtOnce) {
  std::string img = zeros(3 * M10);
  MemorySource src(img);
  Window w(src, TailleBloc);
  EXPECT_EQ(w.search(2 * M10 - 13), 2 * M10 + 1);
  EXPECT_EQ(src.reads, 2);  // no read, no slide
  std::string tiny = zeros(13);
  MemorySource small(tiny);
  Window t(small, TailleBloc);
  EXPECT_EQ(t.search(0), 14);
}

TEST(SearchWindow, TwentyFiveMillionByteImage) {
  std::string img = zeros(25'000'000);
  putMarker(img, 0);
  putMarker(img, 24'999'986);  // its last byte is the image's last
  MemorySource src(img);
  Window w(src, TailleBloc);
  EXPECT_EQ(src.reads, 2);
  EXPECT_EQ(w.all(), (std::vector<int64_t>{0, 24'999'986}));
  // The first slide read the last 5,000,000 bytes; the last window holds
  // 15,000,000 bytes and never slid again.
  EXPECT_EQ(w.progress, std::vector<int64_t>{5'000'000});
  EXPECT_EQ(w.fenetre.Size(), 15'000'000);
  EXPECT_EQ(src.reads, 3);
}

TEST(SearchWindow, ImagesOfWholeChunks) {
  for (int64_t size : {M10, 2 * M10}) {
    std::string img = zeros(size);
    std::vector<int64_t> at = {7, size - 14};
    if (size > M10) at.insert(at.begin() + 1, M10 - 7);
    for (int64_t a : at) putMarker(img, a);
    MemorySource src(img);
    Window w(src, TailleBloc);
    EXPECT_EQ(w.all(), at) << size;
    EXPECT_TRUE(w.progress.empty()) << size;
    EXPECT_EQ(src.reads, size / M10) << size;
  }
}

TEST(SearchWindow, SlideWhoseReadBringsNothing) {
  // Twenty million bytes from a stream that only notices its end on an
  // empty read: the slide reads nothing, the window keeps the second chunk
  // alone, no progress is added and every byte is still tested once.
  std::string img = zeros(2 * M10);
  for (int64_t at : {int64_t{5}, M10 - 5, M10 + 40, 2 * M10 - 14}) putMarker(img, at);
  MemorySource src(img, /*eofAtLength=*/false);
  Window w(src, TailleBloc);
  const fw::MemoryBlock second = w.blocSuivant;
  EXPECT_EQ(w.all(), reference(img));
  EXPECT_EQ(src.reads, 3);
  EXPECT_TRUE(w.progress.empty());
  EXPECT_TRUE(w.fenetre.SameAs(second));
  EXPECT_EQ(w.fenetre.Size(), M10);
}

TEST(SearchWindow, MarkerAtEveryChunkBorderOffset) {
  std::string img = zeros(3 * M10);
  for (int k = -13; k <= 0; ++k) {
    // One marker straddling (or starting) each of the two borders.
    putMarker(img, M10 + k);
    putMarker(img, 2 * M10 + k);
    MemorySource src(img);
    Window w(src, TailleBloc);
    EXPECT_EQ(w.all(), (std::vector<int64_t>{M10 + k, 2 * M10 + k})) << k;
    std::fill(img.begin() + M10 - 13, img.begin() + M10 + 14, '\0');
    std::fill(img.begin() + 2 * M10 - 13, img.begin() + 2 * M10 + 14, '\0');
  }
}

TEST(SearchWindow, EveryPositionTestedOnce) {
  // Over many slides of a small chunk and over the real chunk size.
  for (int64_t chunk : {int64_t{997}, int64_t{4096}}) {
    for (bool eofAtLength : {true, false}) {
      for (int64_t size : {chunk * 37, chunk * 37 + 5, chunk * 2 + 13}) {
        const std::string img = dense(size, static_cast<uint64_t>(size + chunk));
        MemorySource src(img, eofAtLength);
        Window w(src, chunk);
        EXPECT_EQ(w.all(), reference(img)) << chunk << " " << size << " " << eofAtLength;
      }
    }
  }
  const std::string big = dense(25'000'000, 7);
  MemorySource src(big);
  Window w(src, TailleBloc);
  EXPECT_EQ(w.all(), reference(big));
}

// ---- chunk reader ----------------------------------------------------------

namespace {
struct TempFile {
  std::string path;
  explicit TempFile(const std::string& bytes) {
    char name[] = "/tmp/gravelin_scan_XXXXXX";
    const int fd = ::mkstemp(name);
    path = name;
    const ssize_t w = ::write(fd, bytes.data(), bytes.size());
    EXPECT_EQ(w, static_cast<ssize_t>(bytes.size()));
    ::close(fd);
  }
  ~TempFile() { std::remove(path.c_str()); }
};

std::vector<std::string> chunksOf(imagescan::ChunkSource& s, int64_t chunk, std::vector<bool>* eofs = nullptr) {
  std::vector<std::string> out;
  while (!s.Eof()) {
    const fw::MemoryBlock b = s.Read(chunk);
    out.push_back(b.Bytes(0, b.Size()));
    if (eofs) eofs->push_back(s.Eof());
  }
  return out;
}
}  // namespace

TEST(ChunkReader, SameChunksWithOrWithoutReadAhead) {
  std::string img;
  for (int i = 0; i < 100'000; ++i) img += static_cast<char>(i * 7 + i / 256);
  TempFile f(img);
  for (int64_t chunk : {int64_t{1000}, int64_t{4096}, int64_t{100'000}, int64_t{200'000}}) {
    auto direct = fw::BinaryStream::Open(f.path);
    imagescan::StreamChunks plain(*direct);
    std::vector<bool> eofPlain, eofAhead;
    const auto expected = chunksOf(plain, chunk, &eofPlain);
    for (int workers : {0, 1, 3}) {
      auto s = fw::BinaryStream::Open(f.path);
      imagescan::ChunkReader reader(*s, chunk, workers);
      EXPECT_EQ(reader.Length(), img.size());
      eofAhead.clear();
      EXPECT_EQ(chunksOf(reader, chunk, &eofAhead), expected) << chunk;
      EXPECT_EQ(eofAhead, eofPlain) << chunk;
      EXPECT_FALSE(reader.Failed());
      EXPECT_TRUE(reader.Read(chunk).Size() == 0);
    }
  }
}

TEST(ChunkReader, BuffersAreReused) {
  // A whole scan over many chunks keeps to a few buffers.
  std::string img(1'000'000, '\x01');
  putMarker(img, 123'456);
  putMarker(img, 999'986);
  TempFile f(img);
  auto s = fw::BinaryStream::Open(f.path);
  imagescan::ChunkReader reader(*s, 4096, 3);
  fw::MemoryBlock a = reader.Read(4096), b = reader.Read(4096);
  fw::MemoryBlock fenetre = a + b;
  std::vector<int64_t> found;
  int64_t base = 0;
  int64_t p = imagescan::chercheNextStartImage(fenetre, a, b, 0, reader, 4096, [&](int64_t) { base += 4096; });
  while (p < fenetre.Size()) {
    found.push_back(base + p);
    p = imagescan::chercheNextStartImage(fenetre, a, b, p + 1, reader, 4096, [&](int64_t) { base += 4096; });
  }
  EXPECT_EQ(found, (std::vector<int64_t>{123'456, 999'986}));
  // Chunks read ahead (one per worker, and one more), the two of the window
  // and one on its way back: nothing grows with the image.
  EXPECT_LE(reader.Pool().Allocated(), 3 + 1 + 2 + 1);
}

TEST(ChunkReader, MarkersFoundByTheWorkersAreTheSearchsOwn) {
  // Chunks smaller and larger than the workers' reads, so that markers
  // straddle their reads as well as the chunks.
  const std::string img = dense(3'000'000, 11);
  TempFile f(img);
  for (int64_t chunk : {int64_t{4096}, int64_t{600'000}, int64_t{1'000'000}}) {
    for (int workers : {0, 1, 3}) {
      auto s = fw::BinaryStream::Open(f.path);
      imagescan::ChunkReader reader(*s, chunk, workers);
      fw::MemoryBlock a = reader.Read(chunk), b = reader.Read(chunk);
      fw::MemoryBlock fenetre = a + b;
      EXPECT_EQ(reader.MarkersIn(a.Segments()[0]) != nullptr, workers > 0);
      std::vector<int64_t> found;
      int64_t base = 0;
      auto slid = [&](int64_t) { base += chunk; };
      for (int64_t p = imagescan::chercheNextStartImage(fenetre, a, b, 0, reader, chunk, slid); p < fenetre.Size();
           p = imagescan::chercheNextStartImage(fenetre, a, b, p + 1, reader, chunk, slid))
        found.push_back(base + p);
      EXPECT_EQ(found, reference(img)) << chunk << " " << workers;
    }
  }
}

TEST(ChunkReader, FileTruncatedWhileRead) {
  std::string img(50'000, 'x');
  TempFile f(img);
  auto s = fw::BinaryStream::Open(f.path);
  ASSERT_EQ(::truncate(f.path.c_str(), 25'000), 0);
  imagescan::ChunkReader reader(*s, 10'000, 2);
  int64_t total = 0;
  while (!reader.Eof()) total += reader.Read(10'000).Size();
  EXPECT_EQ(total, 25'000);
  EXPECT_TRUE(reader.Failed());
}

TEST(ChunkReader, StopEndsTheReads) {
  std::string img(50'000, 'x');
  TempFile f(img);
  auto s = fw::BinaryStream::Open(f.path);
  std::atomic<bool> stop{false};
  imagescan::ChunkReader reader(*s, 10'000, 2, &stop);
  EXPECT_EQ(reader.Read(10'000).Size(), 10'000);
  stop = true;
  EXPECT_EQ(reader.Read(10'000).Size(), 0);
  EXPECT_TRUE(reader.Eof());
}

// ---- the engine ----------------------------------------------------------

namespace {
struct Recorder : imagescan::ScanObserver {
  std::vector<std::string> events;
  std::vector<records::RecordTexts> found;
  std::atomic<bool>* stopAfterFirstBatch = nullptr;
  void Started(uint64_t length) override { events.push_back("started " + std::to_string(length)); }
  void FirstChunk() override { events.push_back("first"); }
  void Progress(uint64_t bytes) override { events.push_back("progress " + std::to_string(bytes)); }
  void Records(std::vector<records::RecordTexts>&& batch) override {
    events.push_back("records " + std::to_string(batch.size()));
    found.insert(found.end(), batch.begin(), batch.end());
    if (stopAfterFirstBatch) *stopAfterFirstBatch = true;
  }
  void Finished(imagescan::ScanEnd end, uint64_t bytes) override {
    const char* names[] = {"done", "empty", "read error", "stopped"};
    events.push_back(std::string(names[static_cast<int>(end)]) + " " + std::to_string(bytes));
  }
};

// A full record whose first longitude tells where it lies.
void putRecord(std::string& img, int64_t at, const std::string& addr1) {
  putMarker(img, at, 3, 5);
  const int32_t v = static_cast<int32_t>(at);
  for (int k = 0; k < 4; ++k) img[static_cast<size_t>(at + 14 + k)] = static_cast<char>((v >> (8 * k)) & 0xFF);
  img[static_cast<size_t>(at + 22)] = 8;
  img[static_cast<size_t>(at + 32)] = static_cast<char>(addr1.size() + 27);
  std::copy(addr1.begin(), addr1.end(), img.begin() + at + 33);
  img[static_cast<size_t>(at + 33) + addr1.size()] = 27;
  img[static_cast<size_t>(at + 34) + addr1.size()] = 27;
}
std::string lon(int64_t at) { return records::CoordinateText(static_cast<int32_t>(at)); }
}  // namespace

TEST(ScanEngine, EventsInOrder) {
  std::string img = zeros(25'000);
  putRecord(img, 3, "Rue A");
  putRecord(img, 9'990, "Rue B");  // straddles the first border
  putRecord(img, 24'950, "Rue C");
  MemorySource src(img);
  Recorder rec;
  std::atomic<bool> stop{false};
  imagescan::RunScan(src, rec, stop, {10'000, 4096});
  EXPECT_EQ(rec.events, (std::vector<std::string>{"started 25000", "first", "progress 10000", "progress 20000",
                                                  "records 2", "progress 25000", "records 1", "done 25000"}));
  ASSERT_EQ(rec.found.size(), 3u);
  EXPECT_EQ(rec.found[0].text[records::kLon1], lon(3));
  EXPECT_EQ(rec.found[1].text[records::kAddr1], "Rue B");
  EXPECT_EQ(rec.found[2].text[records::kLon1], lon(24'950));
  EXPECT_EQ(rec.found[2].text[records::kPrecision], "(3) Numéro de rue");
}

TEST(ScanEngine, RealChunkSizeOverAFile) {
  std::string img = zeros(25'000'000);
  for (int64_t at : {int64_t{0}, M10 - 20, 2 * M10 - 1, int64_t{24'999'900}}) putRecord(img, at, "x");
  TempFile f(img);
  auto s = fw::BinaryStream::Open(f.path);
  imagescan::ChunkReader reader(*s, TailleBloc, 3);
  Recorder rec;
  std::atomic<bool> stop{false};
  imagescan::RunScan(reader, rec, stop);
  std::vector<std::string> lons;
  for (const auto& r : rec.found) lons.push_back(r.text[records::kLon1]);
  EXPECT_EQ(lons, (std::vector<std::string>{lon(0), lon(M10 - 20), lon(2 * M10 - 1), lon(24'999'900)}));
  EXPECT_EQ(rec.events.back(), "done 25000000");
  EXPECT_EQ(rec.events[2], "progress 10000000");
  EXPECT_EQ(rec.events[3], "progress 20000000");
}

TEST(ScanEngine, EmptyImage) {
  const std::string img;
  MemorySource src(img);
  Recorder rec;
  std::atomic<bool> stop{false};
  imagescan::RunScan(src, rec, stop, {10'000, 16});
  EXPECT_EQ(rec.events, (std::vector<std::string>{"started 0", "empty 0"}));
}

TEST(ScanEngine, NoRecord) {
  const std::string img(15'000, '\x04');
  MemorySource src(img);
  Recorder rec;
  std::atomic<bool> stop{false};
  imagescan::RunScan(src, rec, stop, {10'000, 16});
  EXPECT_EQ(rec.events, (std::vector<std::string>{"started 15000", "first", "progress 10000", "progress 15000",
                                                  "done 15000"}));
}

TEST(ScanEngine, ReadFailureMidImage) {
  std::string img = zeros(50'000);
  putRecord(img, 100, "a");
  putRecord(img, 26'000, "b");
  putRecord(img, 31'000, "c");  // beyond the failure
  MemorySource src(img, true, 27'000);
  Recorder rec;
  std::atomic<bool> stop{false};
  imagescan::RunScan(src, rec, stop, {10'000, 16});
  EXPECT_EQ(rec.found.size(), 2u);
  EXPECT_EQ(rec.events.back(), "read error 27000");
}

TEST(ScanEngine, FirstReadFails) {
  const std::string img = zeros(50'000);
  MemorySource src(img, true, 0);
  Recorder rec;
  std::atomic<bool> stop{false};
  imagescan::RunScan(src, rec, stop, {10'000, 16});
  EXPECT_EQ(rec.events, (std::vector<std::string>{"started 50000", "read error 0"}));
}

TEST(ScanEngine, StopFlag) {
  std::string img = zeros(200'000);
  for (int64_t at = 0; at + 40 < 200'000; at += 40) putRecord(img, at, "");
  TempFile f(img);
  auto s = fw::BinaryStream::Open(f.path);
  std::atomic<bool> stop{false};
  imagescan::ChunkReader reader(*s, 10'000, 2, &stop);
  Recorder rec;
  rec.stopAfterFirstBatch = &stop;
  imagescan::RunScan(reader, rec, stop, {10'000, 16});
  EXPECT_EQ(rec.found.size(), 16u);
  EXPECT_EQ(rec.events.back().rfind("stopped", 0), 0u);
}

TEST(ScanEngine, ProgressValue) {
  using imagescan::ProgressValue;
  EXPECT_EQ(ProgressValue(0, 25'000'000), 0);
  EXPECT_EQ(ProgressValue(10'000'000, 25'000'000), 20000);
  EXPECT_EQ(ProgressValue(1, 3), 16666);  // truncated
  EXPECT_EQ(ProgressValue(2, 3), 33333);
  EXPECT_EQ(ProgressValue(3, 3), 50000);
  EXPECT_EQ(ProgressValue(7, 3), 50000);  // never above the maximum
  EXPECT_EQ(ProgressValue(uint64_t{1} << 62, (uint64_t{1} << 62) + 1), 49999);
  EXPECT_FALSE(ProgressValue(10, 0).has_value());
}

TEST(MemoryBlockView, ReadOnlyBytesHeldElsewhere) {
  auto bytes = std::make_shared<std::vector<uint8_t>>(std::vector<uint8_t>{1, 2, 3, 4, 5});
  const fw::MemoryBlock v = fw::MemoryBlock::View(bytes, bytes->data() + 1, 3);
  bytes.reset();  // the view keeps them alive
  ASSERT_EQ(v.Size(), 3);
  EXPECT_EQ(v.Byte(0), 2);
  EXPECT_EQ(v.Byte(2), 4);
  EXPECT_EQ(v.Byte(3), 0);
  fw::MemoryBlock w = v;
  EXPECT_FALSE(w.setByte(0, 9));
  EXPECT_EQ(w.MutableData(), nullptr);
  EXPECT_TRUE(w.SameAs(v));
  const fw::MemoryBlock joined = v + fw::MemoryBlock::FromBytes("\x06\x07");
  EXPECT_EQ(joined.Bytes(0, 5), std::string("\x02\x03\x04\x06\x07"));
  EXPECT_EQ(fw::MemoryBlock::View(nullptr, nullptr, 3).Size(), 0);
}
