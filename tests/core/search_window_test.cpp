// The scan's search window over images built here, set up as the engine
// sets it up, and one run of the same images over every chunk source.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/BinaryStream.h"
#include "imagescan/ChunkReader.h"
#include "imagescan/SearchWindow.h"
#include "util/Images.h"
#include "util/Sources.h"

using imagescan::TailleBloc;
using namespace testutil;

namespace {
constexpr int64_t M10 = 10'000'000;

// A window filled as the engine fills it; `progress` holds the chunk sizes
// added by slides.
struct Window {
  std::vector<int64_t> progress;
  bool filled = false;
  imagescan::SearchWindow w;

  Window(imagescan::ChunkSource& src, int64_t chunk)
      : w(src, chunk, [this](int64_t s) {
          if (filled) progress.push_back(s);
        }) {
    w.Fill();
    filled = true;
  }
  int64_t search(int64_t start) { return w.Find(start); }
  int64_t base() const { return static_cast<int64_t>(w.Offset()); }
  // Image offsets of every marker, in the scan's calling order.
  std::vector<int64_t> all() {
    std::vector<int64_t> out;
    for (int64_t p = search(0); p < w.View().Size(); p = search(p + 1)) out.push_back(base() + p);
    return out;
  }
};
}  // namespace

TEST(SearchWindow, TwentyMillionByteWindow) {
  std::string img = zeros(3 * M10);
  putMarker(img, M10 + 1);
  putMarker(img, M10 + 20);
  MemorySource src(img, TailleBloc);
  Window w(src, TailleBloc);
  ASSERT_EQ(w.w.View().Size(), 2 * M10);
  const fw::MemoryBlock before = w.w.View();

  // 10,000,000 itself never slides; a marker at 10,000,001 comes back as is.
  EXPECT_EQ(w.search(M10), M10 + 1);
  EXPECT_TRUE(w.w.View().SameAs(before));
  EXPECT_EQ(src.reads, 2);
  // The next search, from 10,000,002, slides at once.
  EXPECT_EQ(w.search(M10 + 2), 20);
  EXPECT_EQ(src.reads, 3);
  EXPECT_EQ(w.progress, std::vector<int64_t>{M10});
  EXPECT_EQ(w.w.View().Size(), 2 * M10);
  EXPECT_EQ(w.w.View().Byte(20), 4);
  EXPECT_EQ(w.base(), M10);
  EXPECT_EQ(w.w.End(), uint64_t{3 * M10});
}

TEST(SearchWindow, SlideAtTenMillionAndOne) {
  std::string img = zeros(3 * M10);
  putMarker(img, M10 + 2);
  MemorySource src(img, TailleBloc);
  Window w(src, TailleBloc);
  const fw::MemoryBlock second = w.w.Following().bytes;
  // No marker at 10,000,001: the window slides there and the next position
  // tested is 2, the image byte after 10,000,001.
  EXPECT_EQ(w.search(M10), 2);
  EXPECT_TRUE(w.w.Current().bytes.SameAs(second));
  EXPECT_EQ(w.w.View().Size(), 2 * M10);
  EXPECT_EQ(w.base(), M10);
}

TEST(SearchWindow, StartsThatFindNothingAtOnce) {
  std::string img = zeros(3 * M10);
  MemorySource src(img, TailleBloc);
  Window w(src, TailleBloc);
  EXPECT_EQ(w.search(2 * M10 - 13), 2 * M10 + 1);
  EXPECT_EQ(src.reads, 2);  // no read, no slide
  std::string tiny = zeros(13);
  MemorySource small(tiny, TailleBloc);
  Window t(small, TailleBloc);
  EXPECT_EQ(t.search(0), 14);
}

TEST(SearchWindow, TwentyFiveMillionByteImage) {
  std::string img = zeros(25'000'000);
  putMarker(img, 0);
  putMarker(img, 24'999'986);  // its last byte is the image's last
  MemorySource src(img, TailleBloc);
  Window w(src, TailleBloc);
  EXPECT_EQ(src.reads, 2);
  EXPECT_EQ(w.all(), (std::vector<int64_t>{0, 24'999'986}));
  // The first slide read the last 5,000,000 bytes; the last window holds
  // 15,000,000 bytes and never slid again.
  EXPECT_EQ(w.progress, std::vector<int64_t>{5'000'000});
  EXPECT_EQ(w.w.View().Size(), 15'000'000);
  EXPECT_EQ(src.reads, 3);
}

TEST(SearchWindow, ImagesOfWholeChunks) {
  for (int64_t size : {M10, 2 * M10}) {
    std::string img = zeros(size);
    std::vector<int64_t> at = {7, size - 14};
    if (size > M10) at.insert(at.begin() + 1, M10 - 7);
    for (int64_t a : at) putMarker(img, a);
    MemorySource src(img, TailleBloc);
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
  MemorySource src(img, TailleBloc, /*eofAtLength=*/false);
  Window w(src, TailleBloc);
  const fw::MemoryBlock second = w.w.Following().bytes;
  EXPECT_EQ(w.all(), markerOracle(img));
  EXPECT_EQ(src.reads, 3);
  EXPECT_TRUE(w.progress.empty());
  EXPECT_TRUE(w.w.View().SameAs(second));
  EXPECT_EQ(w.w.View().Size(), M10);
}

TEST(SearchWindow, MarkerAtEveryChunkBorderOffset) {
  std::string img = zeros(3 * M10);
  for (int k = -13; k <= 0; ++k) {
    // One marker straddling (or starting) each of the two borders.
    putMarker(img, M10 + k);
    putMarker(img, 2 * M10 + k);
    MemorySource src(img, TailleBloc);
    Window w(src, TailleBloc);
    EXPECT_EQ(w.all(), (std::vector<int64_t>{M10 + k, 2 * M10 + k})) << k;
    std::fill(img.begin() + M10 - 13, img.begin() + M10 + 14, '\0');
    std::fill(img.begin() + 2 * M10 - 13, img.begin() + 2 * M10 + 14, '\0');
  }
}

TEST(SearchWindow, RecordMethodKeepsTheCallersBlocks) {
  // The record method's form: the caller's three blocks, the rest read from
  // the stream; a slide replaces them, a search without one leaves them.
  std::string img = zeros(25'000);
  putMarker(img, 9'995);
  putMarker(img, 21'000);
  TempFile f(img);
  auto s = fw::BinaryStream::Open(f.path);
  fw::MemoryBlock a = s->ReadBlock(10'000), b = s->ReadBlock(10'000);
  fw::MemoryBlock fenetre = a + b;
  const fw::MemoryBlock firstA = a, firstB = b;
  std::vector<int64_t> slid;
  auto progress = [&](int64_t n) { slid.push_back(n); };
  EXPECT_EQ(imagescan::chercheNextStartImage(fenetre, a, b, 0, *s, 10'000, progress), 9'995);
  EXPECT_TRUE(a.SameAs(firstA));
  EXPECT_TRUE(b.SameAs(firstB));
  EXPECT_EQ(imagescan::chercheNextStartImage(fenetre, a, b, 9'996, *s, 10'000, progress), 11'000);
  EXPECT_TRUE(a.SameAs(firstB));
  EXPECT_EQ(fenetre.Size(), 15'000);
  EXPECT_EQ(slid, std::vector<int64_t>{5'000});
  EXPECT_EQ(imagescan::chercheNextStartImage(fenetre, a, b, 11'001, *s, 10'000, progress), 15'001);
}

// ---- the same images over every chunk source --------------------------------

namespace {
struct SourceKind {
  const char* name;
  // Makes the source over `img` (kept alive by `keep`).
  std::function<std::unique_ptr<imagescan::ChunkSource>(const std::string& img, int64_t chunk,
                                                        std::shared_ptr<void>& keep)>
      make;
  bool findsMarkers;
};

std::unique_ptr<imagescan::ChunkSource> overFile(const std::string& img, int64_t chunk, std::shared_ptr<void>& keep,
                                                 int workers) {
  struct Held {
    TempFile file;
    std::unique_ptr<fw::BinaryStream> stream;
    explicit Held(const std::string& bytes) : file(bytes), stream(fw::BinaryStream::Open(file.path)) {}
  };
  auto held = std::make_shared<Held>(img);
  keep = held;
  if (workers < 0) return std::make_unique<imagescan::StreamChunks>(*held->stream, chunk);
  return std::make_unique<imagescan::ChunkReader>(*held->stream, chunk, workers);
}

const SourceKind kSources[] = {
    {"memory",
     [](const std::string& img, int64_t c, std::shared_ptr<void>&) { return std::make_unique<MemorySource>(img, c); },
     false},
    {"memory, end seen late",
     [](const std::string& img, int64_t c, std::shared_ptr<void>&) {
       return std::make_unique<MemorySource>(img, c, false);
     },
     false},
    {"stream", [](const std::string& img, int64_t c, std::shared_ptr<void>& k) { return overFile(img, c, k, -1); },
     false},
    {"reader, no worker",
     [](const std::string& img, int64_t c, std::shared_ptr<void>& k) { return overFile(img, c, k, 0); }, false},
    {"reader, 1 worker",
     [](const std::string& img, int64_t c, std::shared_ptr<void>& k) { return overFile(img, c, k, 1); }, true},
    {"reader, 3 workers",
     [](const std::string& img, int64_t c, std::shared_ptr<void>& k) { return overFile(img, c, k, 3); }, true},
};

class EverySource : public testing::TestWithParam<size_t> {};
}  // namespace

TEST_P(EverySource, EveryPositionTestedOnce) {
  const SourceKind& kind = kSources[GetParam()];
  // Many slides of small chunks, chunks smaller and larger than the
  // workers' reads (so that markers straddle those too), and the odd sizes.
  struct Case {
    int64_t chunk, size;
  };
  const Case cases[] = {{997, 997 * 37},      {997, 997 * 37 + 5},    {997, 997 * 2 + 13},
                        {4096, 4096 * 37},    {4096, 4096 * 37 + 5},  {4096, 4096 * 2 + 13},
                        {600'000, 3'000'000}, {1'000'000, 3'000'000}, {13, 13}};
  for (const Case& c : cases) {
    const std::string img = dense(c.size, static_cast<uint64_t>(c.size + c.chunk));
    std::shared_ptr<void> keep;
    auto src = kind.make(img, c.chunk, keep);
    EXPECT_EQ(src->Length(), img.size());
    Window w(*src, c.chunk);
    EXPECT_EQ(w.w.Current().markers != nullptr, kind.findsMarkers && c.size > 0) << kind.name;
    EXPECT_EQ(w.all(), markerOracle(img)) << kind.name << " " << c.chunk << " " << c.size;
    EXPECT_FALSE(w.w.Failed());
    EXPECT_EQ(w.w.End(), img.size());
  }
}

TEST_P(EverySource, RealChunkSize) {
  const std::string big = dense(25'000'000, 7);
  std::shared_ptr<void> keep;
  auto src = kSources[GetParam()].make(big, TailleBloc, keep);
  Window w(*src, TailleBloc);
  EXPECT_EQ(w.all(), markerOracle(big));
}

INSTANTIATE_TEST_SUITE_P(Sources, EverySource, testing::Range<size_t>(0, std::size(kSources)),
                         [](const testing::TestParamInfo<size_t>& i) {
                           std::string n = kSources[i.param].name;
                           for (char& ch : n)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });
