// The chunk reader: the same chunks as the stream read itself, its buffers
// reused, a file cut while read, and a stop.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include <stop_token>
#include <string>
#include <vector>

#include "framework/core/BinaryStream.h"
#include "imagescan/ChunkReader.h"
#include "imagescan/SearchWindow.h"
#include "util/Images.h"
#include "util/Sources.h"

using namespace testutil;

namespace {
struct Seen {
  std::vector<std::string> bytes;
  std::vector<uint64_t> offsets;
  std::vector<bool> ended;
};

Seen chunksOf(imagescan::ChunkSource& s) {
  Seen out;
  for (bool ended = false; !ended;) {
    const imagescan::Chunk c = s.Next();
    out.bytes.push_back(c.bytes.Bytes(0, c.bytes.Size()));
    out.offsets.push_back(c.offset);
    out.ended.push_back(c.ended);
    EXPECT_FALSE(c.failed);
    ended = c.ended;
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
    imagescan::StreamChunks plain(*direct, chunk);
    const Seen expected = chunksOf(plain);
    for (int workers : {0, 1, 3}) {
      auto s = fw::BinaryStream::Open(f.path);
      imagescan::ChunkReader reader(*s, chunk, workers);
      EXPECT_EQ(reader.Length(), img.size());
      const Seen got = chunksOf(reader);
      EXPECT_EQ(got.bytes, expected.bytes) << chunk;
      EXPECT_EQ(got.offsets, expected.offsets) << chunk;
      EXPECT_EQ(got.ended, expected.ended) << chunk;
      const imagescan::Chunk after = reader.Next();
      EXPECT_EQ(after.bytes.Size(), 0);
      EXPECT_TRUE(after.ended);
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
  imagescan::SearchWindow w(reader, 4096);
  w.Fill();
  std::vector<int64_t> found;
  for (int64_t p = w.Find(0); p < w.View().Size(); p = w.Find(p + 1))
    found.push_back(static_cast<int64_t>(w.Offset()) + p);
  EXPECT_EQ(found, (std::vector<int64_t>{123'456, 999'986}));
  // Chunks read ahead (one per worker, and one more), the two of the window
  // and one on its way back: nothing grows with the image.
  EXPECT_LE(reader.Pool().Allocated(), 3 + 1 + 2 + 1);
}

TEST(ChunkReader, MarkersFoundByTheWorkersAreTheChunksOwn) {
  // Each chunk carries the markers lying wholly inside it, as offsets in it.
  const std::string img = dense(3'000'000, 11);
  TempFile f(img);
  auto s = fw::BinaryStream::Open(f.path);
  imagescan::ChunkReader reader(*s, 600'000, 2);
  std::vector<int64_t> found;
  for (bool ended = false; !ended;) {
    const imagescan::Chunk c = reader.Next();
    ASSERT_TRUE(c.markers);
    for (uint32_t m : *c.markers) found.push_back(static_cast<int64_t>(c.offset + m));
    ended = c.ended;
  }
  std::vector<int64_t> inside;
  for (int64_t p : markerOracle(img))
    if (p / 600'000 == (p + records::kMarkerSize - 1) / 600'000) inside.push_back(p);
  EXPECT_EQ(found, inside);
}

TEST(ChunkReader, FileTruncatedWhileRead) {
  std::string img(50'000, 'x');
  TempFile f(img);
  auto s = fw::BinaryStream::Open(f.path);
  ASSERT_EQ(::truncate(f.path.c_str(), 25'000), 0);
  imagescan::ChunkReader reader(*s, 10'000, 2);
  int64_t total = 0;
  imagescan::Chunk c;
  do {
    c = reader.Next();
    total += c.bytes.Size();
  } while (!c.ended);
  EXPECT_EQ(total, 25'000);
  EXPECT_TRUE(c.failed);
}

TEST(ChunkReader, StopEndsTheReads) {
  std::string img(50'000, 'x');
  TempFile f(img);
  auto s = fw::BinaryStream::Open(f.path);
  std::stop_source stop;
  imagescan::ChunkReader reader(*s, 10'000, 2, stop.get_token());
  EXPECT_EQ(reader.Next().bytes.Size(), 10'000);
  stop.request_stop();
  const imagescan::Chunk c = reader.Next();
  EXPECT_EQ(c.bytes.Size(), 0);
  EXPECT_TRUE(c.ended);
}

// A worker that finds no memory for its chunk ends the image there, and the
// scan says why: memory, not a read error. In a child process whose address
// space is limited to what it holds and a little more: room for the
// worker's thread, not for the chunk's buffer.
TEST(ChunkReader, AChunkWithoutMemoryEndsTheImageAsSuch) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "a sanitizer's own allocator stops the process under an address space limit";
#else
  constexpr int64_t kChunk = 64 << 20;
  const std::string img = zeros(kChunk + 1000);
  TempFile f(img);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto s = fw::BinaryStream::Open(f.path);
    // Room for the worker's thread, not for the chunk's buffer.
    rlimit low{};
    ::getrlimit(RLIMIT_AS, &low);
    std::ifstream status("/proc/self/status");
    long vmKb = 0;
    for (std::string line; std::getline(status, line);)
      if (line.rfind("VmSize:", 0) == 0) vmKb = std::strtol(line.c_str() + 7, nullptr, 10);
    low.rlim_cur = static_cast<rlim_t>(vmKb + 24 * 1024) * 1024;
    if (::setrlimit(RLIMIT_AS, &low) != 0) ::_exit(10);
    imagescan::ChunkReader reader(*s, kChunk, 1);
    const imagescan::Chunk c = reader.Next();
    ::_exit(c.ended && c.failed && c.outOfMemory && c.bytes.Size() == 0 ? 0 : 11);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no limit set, 11: not a chunk without memory";
#endif
}
