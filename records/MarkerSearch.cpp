#include "MarkerSearch.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__SSE2__)
#include <immintrin.h>
#define GRAVELIN_X86 1
#endif

namespace records {

namespace {

using Finder = int64_t (*)(const uint8_t*, int64_t, int64_t, int64_t);

int64_t findScalar(const uint8_t* p, int64_t /*size*/, int64_t i, int64_t last) {
  for (; i <= last; ++i)
    if (IsMarkerAt(p + i)) return i;
  return -1;
}

#ifdef GRAVELIN_X86
// Candidates need the marker's bytes at +0, +6, +12 and +13 (04, 04, 08, 00):
// four compares over 16 or 32 positions at a time; the rare candidate is
// then confirmed in full.
constexpr int kProbe[4] = {0, 6, 12, 13};
static_assert(!IsMarkerCode(kProbe[0]) && !IsMarkerCode(kProbe[1]) && !IsMarkerCode(kProbe[2]) &&
              !IsMarkerCode(kProbe[3]));
constexpr char probeByte(int k) { return static_cast<char>(RecordMarker[kProbe[k]]); }
int64_t findSse2(const uint8_t* p, int64_t size, int64_t i, int64_t last) {
  const __m128i b0 = _mm_set1_epi8(probeByte(0)), b1 = _mm_set1_epi8(probeByte(1)), b2 = _mm_set1_epi8(probeByte(2)),
                b3 = _mm_set1_epi8(probeByte(3));
  // Loads reach i + 13 + 15, which must stay inside the buffer.
  const int64_t vecLast = std::min(last, size - (kProbe[3] + 16));
  for (; i <= vecLast; i += 16) {
    const uint8_t* q = p + i;
    __m128i m = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + kProbe[0])), b0);
    m = _mm_and_si128(m, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + kProbe[1])), b1));
    m = _mm_and_si128(m, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + kProbe[2])), b2));
    m = _mm_and_si128(m, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + kProbe[3])), b3));
    unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(m));
    while (bits) {
      const int64_t c = i + __builtin_ctz(bits);
      if (c > last) return -1;
      if (IsMarkerAt(p + c)) return c;
      bits &= bits - 1;
    }
  }
  return findScalar(p, size, i, last);
}

__attribute__((target("avx2"))) int64_t findAvx2(const uint8_t* p, int64_t size, int64_t i, int64_t last) {
  const __m256i b0 = _mm256_set1_epi8(probeByte(0)), b1 = _mm256_set1_epi8(probeByte(1)),
                b2 = _mm256_set1_epi8(probeByte(2)), b3 = _mm256_set1_epi8(probeByte(3));
  const int64_t vecLast = std::min(last, size - (kProbe[3] + 32));
  for (; i <= vecLast; i += 32) {
    const uint8_t* q = p + i;
    __m256i m = _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + kProbe[0])), b0);
    m = _mm256_and_si256(m, _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + kProbe[1])), b1));
    m = _mm256_and_si256(m, _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + kProbe[2])), b2));
    m = _mm256_and_si256(m, _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + kProbe[3])), b3));
    unsigned bits = static_cast<unsigned>(_mm256_movemask_epi8(m));
    while (bits) {
      const int64_t c = i + __builtin_ctz(bits);
      if (c > last) return -1;
      if (IsMarkerAt(p + c)) return c;
      bits &= bits - 1;
    }
  }
  return findSse2(p, size, i, last);
}

Finder pickFinder() { return __builtin_cpu_supports("avx2") ? findAvx2 : findSse2; }
#else
Finder pickFinder() { return findScalar; }
#endif

const Finder kFind = pickFinder();

}  // namespace

int64_t FindMarker(const uint8_t* p, int64_t size, int64_t start, int64_t last) {
  if (start < 0) start = 0;
  last = std::min(last, size - kMarkerSize);
  if (start > last) return -1;
  return kFind(p, size, start, last);
}

int64_t FindMarker(const fw::MemoryBlock& mb, int64_t start, int64_t last) {
  if (start < 0) start = 0;
  last = std::min(last, mb.Size() - kMarkerSize);
  int64_t base = 0;
  const auto& segs = mb.Segments();
  for (size_t s = 0; s < segs.size() && start <= last; ++s) {
    const int64_t end = base + segs[s].size;  // one past this segment
    if (start < end) {
      // Positions whose bytes all lie in this segment.
      const int64_t r = FindMarker(segs[s].data, segs[s].size, start - base, std::min(last, end - kMarkerSize) - base);
      if (r >= 0) return base + r;
      // Positions that straddle into the following segments.
      for (int64_t i = std::max(start, end - (kMarkerSize - 1)); i < end && i <= last; ++i) {
        uint8_t tmp[kMarkerSize];
        for (int k = 0; k < kMarkerSize; ++k) tmp[k] = mb.Byte(i + k);
        if (IsMarkerAt(tmp)) return i;
      }
      start = end;
    }
    base = end;
  }
  return -1;
}

int64_t chercheNextStart(const fw::MemoryBlock& mb, int64_t start) {
  const int64_t r = FindMarker(mb, start, mb.Size() - kMarkerSize);
  return r >= 0 ? r : mb.Size() + 1;
}

}  // namespace records
