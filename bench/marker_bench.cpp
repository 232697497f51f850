// The marker search over 256 MB buffers of three kinds, beside memchr
// looking for the marker's first byte over the same buffers.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "framework/core/MemoryBlock.h"
#include "records/MarkerSearch.h"

namespace {
constexpr int64_t kSize = int64_t{256} << 20;

enum Kind { Zeros, Random, NearMisses };

const fw::MemoryBlock& buffer(Kind k) {
  static fw::MemoryBlock blocks[3];
  fw::MemoryBlock& b = blocks[k];
  if (b.Size() == 0) {
    auto v = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(kSize), 0);
    if (k == Random) {
      uint64_t s = 88172645463325252ull;
      for (auto& c : *v) {
        s ^= s << 13, s ^= s >> 7, s ^= s << 17;
        c = static_cast<uint8_t>(s >> 24);
      }
    } else if (k == NearMisses) {
      // 04 00 00 00 00 00 04 00 over and over: +0 and +6 match everywhere
      // it starts, +12 never holds 08.
      const uint8_t pat[8] = {4, 0, 0, 0, 0, 0, 4, 0};
      for (size_t i = 0; i < v->size(); ++i) (*v)[i] = pat[i % 8];
    }
    b = fw::MemoryBlock::Adopt(v, kSize);
  }
  return b;
}

void BM_chercheNextStart(benchmark::State& state) {
  const fw::MemoryBlock& mb = buffer(static_cast<Kind>(state.range(0)));
  int64_t found = 0;
  for (auto _ : state) {
    for (int64_t p = records::chercheNextStart(mb, 0); p < mb.Size(); p = records::chercheNextStart(mb, p + 1)) ++found;
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(state.iterations() * kSize);
}

void BM_memchr(benchmark::State& state) {
  const fw::MemoryBlock& mb = buffer(static_cast<Kind>(state.range(0)));
  const auto* p = mb.Segments()[0].data;
  int64_t found = 0;
  for (auto _ : state) {
    const uint8_t* q = p;
    const uint8_t* end = p + kSize;
    while (q < end) {
      const void* r = std::memchr(q, 4, static_cast<size_t>(end - q));
      if (!r) break;
      ++found;
      q = static_cast<const uint8_t*>(r) + 1;
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(state.iterations() * kSize);
}

void kinds(benchmark::internal::Benchmark* b) {
  b->ArgName("kind")->Arg(Zeros)->Arg(Random)->Arg(NearMisses)->Unit(benchmark::kMillisecond);
}
}  // namespace

BENCHMARK(BM_chercheNextStart)->Apply(kinds);
BENCHMARK(BM_memchr)->Apply(kinds);
BENCHMARK_MAIN();
