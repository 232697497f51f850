#include "MarkerSearch.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__SSE2__)
#include <immintrin.h>
#define GRAVELIN_X86 1
#endif

namespace records {

bool IsMarkerAt(const uint8_t* p) {
  return p[0] == 4 && p[1] == 0 && p[3] == 0 && p[4] == 0 && p[5] == 0 && p[6] == 4 && p[7] == 0 &&
         p[9] == 0 && p[10] == 0 && p[11] == 0 && p[12] == 8 && p[13] == 0;
}

namespace {

using Finder = int64_t (*)(const uint8_t*, int64_t, int64_t, int64_t);

int64_t findScalar(const uint8_t* p, int64_t /*size*/, int64_t i, int64_t last) {
  for (; i <= last; ++i)
    if (IsMarkerAt(p + i)) return i;
  return -1;
}

#ifdef GRAVELIN_X86
// Candidates need 04 at +0 and +6 and 08 00 at +12: four compares over 16 or
// 32 positions at a time; the rare candidate is then confirmed in full.
int64_t findSse2(const uint8_t* p, int64_t size, int64_t i, int64_t last) {
  const __m128i k4 = _mm_set1_epi8(4), k8 = _mm_set1_epi8(8), k0 = _mm_setzero_si128();
  // Loads reach i + 13 + 15, which must stay inside the buffer.
  const int64_t vecLast = std::min(last, size - 29);
  for (; i <= vecLast; i += 16) {
    const uint8_t* q = p + i;
    __m128i m = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q)), k4);
    m = _mm_and_si128(m, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 6)), k4));
    m = _mm_and_si128(m, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 12)), k8));
    m = _mm_and_si128(m, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 13)), k0));
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

__attribute__((target("avx2"))) int64_t findAvx2(const uint8_t* p, int64_t size, int64_t i,
                                                 int64_t last) {
  const __m256i k4 = _mm256_set1_epi8(4), k8 = _mm256_set1_epi8(8), k0 = _mm256_setzero_si256();
  const int64_t vecLast = std::min(last, size - 45);
  for (; i <= vecLast; i += 32) {
    const uint8_t* q = p + i;
    __m256i m = _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q)), k4);
    m = _mm256_and_si256(m, _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 6)), k4));
    m = _mm256_and_si256(m, _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 12)), k8));
    m = _mm256_and_si256(m, _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 13)), k0));
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
  last = std::min(last, size - 14);
  if (start > last) return -1;
  return kFind(p, size, start, last);
}

int64_t FindMarker(const fw::MemoryBlock& mb, int64_t start, int64_t last) {
  if (start < 0) start = 0;
  last = std::min(last, mb.Size() - 14);
  int64_t base = 0;
  const auto& segs = mb.Segments();
  for (size_t s = 0; s < segs.size() && start <= last; ++s) {
    const int64_t end = base + segs[s].size;  // one past this segment
    if (start < end) {
      // Positions whose 14 bytes all lie in this segment.
      const int64_t r = FindMarker(segs[s].data, segs[s].size, start - base, std::min(last, end - 14) - base);
      if (r >= 0) return base + r;
      // Positions that straddle into the following segments.
      for (int64_t i = std::max(start, end - 13); i < end && i <= last; ++i) {
        uint8_t tmp[14];
        for (int k = 0; k < 14; ++k) tmp[k] = mb.Byte(i + k);
        if (IsMarkerAt(tmp)) return i;
      }
      start = end;
    }
    base = end;
  }
  return -1;
}

int64_t chercheNextStart(const fw::MemoryBlock& mb, int64_t start) {
  const int64_t r = FindMarker(mb, start, mb.Size() - 14);
  return r >= 0 ? r : mb.Size() + 1;
}

}  // namespace records
