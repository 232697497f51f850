#include "HexText.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "framework/core/Text.h"

namespace records {

namespace {
bool isLineBreak(char32_t c) { return c == '\n' || c == '\r' || c == 0x2028 || c == 0x2029; }

template <class Char>
int64_t hexaOf(fw::MemoryBlock& mb, std::basic_string_view<Char> s) {
  const int64_t pairs = static_cast<int64_t>(s.size() / 2);
  int64_t d = 0;
  for (; d < pairs && d < mb.Size(); ++d) {
    const int hi = fw::HexDigitValue(s[2 * d]), lo = fw::HexDigitValue(s[2 * d + 1]);
    if (hi < 0 || lo < 0) break;
    mb.setByte(d, static_cast<uint8_t>(hi * 16 + lo));
  }
  return d;
}

template <class Char>
size_t findHexMarker(std::basic_string_view<Char> t, size_t from) {
  if (t.size() < kPatternLength) return std::u32string_view::npos;
  const size_t last = t.size() - kPatternLength;
  // The first two characters are fixed: a cheap test before the whole match.
  const char32_t first = static_cast<char32_t>(RecordMarkerPattern[0]);
  const char32_t second = static_cast<char32_t>(RecordMarkerPattern[1]);
  for (size_t i = from; i <= last; ++i) {
    if (t[i] != first || t[i + 1] != second) continue;
    bool ok = true;
    for (size_t k = 2; k < kPatternLength && ok; ++k) {
      const char32_t want = static_cast<char32_t>(RecordMarkerPattern[k]);
      const auto c = static_cast<char32_t>(t[i + k]);
      ok = want == '.' ? !isLineBreak(c) : c == want;
    }
    if (ok) return i;
  }
  return std::u32string_view::npos;
}

// A record byte's first character, counted from the record's first one.
constexpr int64_t charAt(int64_t byteOffset) { return kCharsPerByte * byteOffset; }

// A character's code: a byte of the text made from a file counts unsigned.
template <class Char>
constexpr char32_t codeOf(Char c) {
  if constexpr (sizeof(Char) == 1) return static_cast<unsigned char>(c);
  else return static_cast<char32_t>(c);
}

// Whether nothing of a record can follow `at`: the text holds from there
// only separators and at most one hexadecimal digit. It stops at the second
// character that is no separator, so a record cut inside the text looks at
// little more than the separators where it is cut.
template <class Char>
bool onlyTheEndFrom(std::basic_string_view<Char> t, size_t at) {
  bool digit = false;
  for (; at < t.size(); ++at) {
    const char32_t c = codeOf(t[at]);
    if (IsHexSeparator(c)) continue;
    if (digit || fw::HexDigitValue(c) < 0) return false;
    digit = true;
  }
  return true;
}

template <class Char>
fw::MemoryBlock hexRecordBytes(std::basic_string_view<Char> text, size_t pos, HexCut* cut) {
  const auto p = static_cast<int64_t>(pos) + 1;  // 1-based, as Mid counts
  // The length a pair of digits spells; the value of two digits is whole.
  auto lengthAt = [&](int64_t at) {
    std::basic_string<Char> pair = {Char('&'), Char('h')};
    pair += fw::Mid(text, at, kCharsPerByte);
    return static_cast<int32_t>(fw::Val(std::basic_string_view<Char>(pair))) - AddressLengthBias;
  };
  const int32_t l1 = lengthAt(p + charAt(kAddressesAt));
  const int32_t l2 = lengthAt(p + charAt(kAddressesAt + 1 + l1));
  const int32_t l3 = lengthAt(p + charAt(kAddressesAt + 2 + l1 + l2));
  const int64_t n = charAt(kFixedRecordSize + l1 + l2 + l3);
  // A length below zero makes n too short for the fields in front of it:
  // those fields (the coordinates, the addresses before the bad length byte)
  // are still whole in the text and are kept, up to and with the bad length
  // byte, where the decoder stops.
  int64_t fieldsEnd = kAddressesAt;
  for (const int32_t len : {l1, l2, l3}) {
    if (len < 0) {
      ++fieldsEnd;
      break;
    }
    fieldsEnd += 1 + len;
  }
  const int64_t want = std::max<int64_t>(n / kCharsPerByte, fieldsEnd);
  const std::basic_string_view<Char> rest = text.substr(pos);
  int64_t valid = 0;
  auto digitAt = [&rest](int64_t at) { return fw::HexDigitValue(rest[static_cast<size_t>(at)]) >= 0; };
  while (valid < want && charAt(valid) + 1 < static_cast<int64_t>(rest.size()) && digitAt(charAt(valid)) &&
         digitAt(charAt(valid) + 1))
    ++valid;
  if (cut) {
    *cut = HexCut::None;
    if (valid < want) {
      const auto at = static_cast<size_t>(charAt(valid));
      if (onlyTheEndFrom(rest, at)) {
        *cut = HexCut::TextEnd;
      } else {
        // Not the end: a digit at the cut has a character after it.
        const char32_t c = codeOf(rest[digitAt(static_cast<int64_t>(at)) ? at + 1 : at]);
        *cut = IsHexSeparator(c) ? HexCut::Separator : HexCut::Other;
      }
    }
  }
  fw::MemoryBlock mb(valid);  // never empty: the match starts with the pair 04
  hexaOf(mb, rest.substr(0, static_cast<size_t>(charAt(valid))));
  return mb;
}

// The first separator at or after `i`, or the text's size. Hex text is
// digits and letters: blocks holding no control, space or character past
// U+0084 are passed over whole, 16 characters at a time.
size_t nextSeparator(std::u32string_view t, size_t i) {
  constexpr size_t kBlock = 16;
  for (; i + kBlock <= t.size(); i += kBlock) {
    bool suspect = false;
#if defined(__SSE2__)
    const auto* p = reinterpret_cast<const __m128i*>(t.data() + i);
    const __m128i low = _mm_set1_epi32(0x21), high = _mm_set1_epi32(0x84);
    __m128i any = _mm_setzero_si128();
    for (int k = 0; k < 4; ++k) {
      const __m128i v = _mm_loadu_si128(p + k);  // code points fit a signed 32-bit lane
      any = _mm_or_si128(any, _mm_or_si128(_mm_cmplt_epi32(v, low), _mm_cmpgt_epi32(v, high)));
    }
    suspect = _mm_movemask_epi8(any) != 0;
#else
    for (size_t k = 0; k < kBlock; ++k) suspect |= (t[i + k] <= U' ') | (t[i + k] >= 0x85);
#endif
    if (!suspect) continue;
    for (size_t k = 0; k < kBlock; ++k)
      if (IsHexSeparator(t[i + k])) return i + k;
  }
  for (; i < t.size(); ++i)
    if (IsHexSeparator(t[i])) return i;
  return t.size();
}

// A split marker has a first separator run inside it: it is counted there,
// once. Its characters in front of that run stand together right before it
// (after the run before), at most 27 of them; the rest follow the run, up to
// 27 characters that are no separators. Only the runs' surroundings are
// looked at.
uint64_t countSplitMarkers(std::u32string_view text) {
  constexpr size_t kTail = kPatternLength - 1;
  std::array<char32_t, 2 * kTail> window;
  uint64_t split = 0;
  size_t runEnd = 0;  // of the run before
  for (size_t run = nextSeparator(text, 0); run < text.size(); run = nextSeparator(text, runEnd)) {
    const size_t before = std::min(kTail, run - runEnd);
    std::copy(text.begin() + static_cast<std::ptrdiff_t>(run - before), text.begin() + static_cast<std::ptrdiff_t>(run),
              window.begin());
    runEnd = run;
    while (runEnd < text.size() && IsHexSeparator(text[runEnd])) ++runEnd;
    // A marker begins "04": most runs have none of it in front of them.
    const auto begins = [&](size_t k) { return window[k] == U'0' && (k + 1 == before || window[k + 1] == U'4'); };
    size_t first = 0;
    while (first < before && !begins(first)) ++first;
    if (first == before) continue;
    size_t size = before;
    for (size_t i = runEnd; i < text.size() && size < window.size(); ++i)
      if (!IsHexSeparator(text[i])) window[size++] = text[i];
    const std::u32string_view around(window.data(), size);
    for (size_t m = findHexMarker(around, first); m < before; m = findHexMarker(around, m + 1)) ++split;
  }
  return split;
}

}  // namespace

bool IsHexSeparator(char32_t c) {
  switch (c) {
    case U'\t':
    case U'\n':
    case U'\v':
    case U'\f':
    case U'\r':
    case U' ':
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000: return true;
    default: return c >= 0x2000 && c <= 0x200A;
  }
}

int64_t hexa(fw::MemoryBlock& mb, std::u32string_view s) { return hexaOf(mb, s); }
size_t FindHexMarker(std::u32string_view t, size_t from) { return findHexMarker(t, from); }
size_t FindHexMarker(std::string_view t, size_t from) { return findHexMarker(t, from); }
fw::MemoryBlock HexRecordBytes(std::u32string_view text, size_t pos, HexCut* cut) {
  return hexRecordBytes(text, pos, cut);
}
fw::MemoryBlock HexRecordBytes(std::string_view text, size_t pos) { return hexRecordBytes(text, pos, nullptr); }
uint64_t CountSplitMarkers(std::u32string_view text) { return countSplitMarkers(text); }

uint64_t CountOtherCharacters(std::u32string_view t) {
  const auto other = [](char32_t c) { return fw::HexDigitValue(c) < 0 && !IsHexSeparator(c); };
  uint64_t n = 0;
  size_t i = 0;
#if defined(__SSE2__)
  // Hex text is digits and letters: blocks of them alone are passed over
  // whole, 16 characters at a time.
  constexpr size_t kBlock = 16;
  const __m128i zeroBelow = _mm_set1_epi32('0' - 1), nineAbove = _mm_set1_epi32('9' + 1);
  const __m128i aBelow = _mm_set1_epi32('a' - 1), fAbove = _mm_set1_epi32('f' + 1), lower = _mm_set1_epi32(0x20);
  for (; i + kBlock <= t.size(); i += kBlock) {
    const auto* p = reinterpret_cast<const __m128i*>(t.data() + i);
    __m128i all = _mm_set1_epi32(-1);
    for (int k = 0; k < 4; ++k) {
      const __m128i v = _mm_loadu_si128(p + k);  // code points fit a signed 32-bit lane
      const __m128i digit = _mm_and_si128(_mm_cmpgt_epi32(v, zeroBelow), _mm_cmplt_epi32(v, nineAbove));
      const __m128i l = _mm_or_si128(v, lower);
      const __m128i letter = _mm_and_si128(_mm_cmpgt_epi32(l, aBelow), _mm_cmplt_epi32(l, fAbove));
      all = _mm_and_si128(all, _mm_or_si128(digit, letter));
    }
    if (_mm_movemask_epi8(all) == 0xFFFF) continue;
    for (size_t k = 0; k < kBlock; ++k) n += other(t[i + k]);
  }
#endif
  for (; i < t.size(); ++i) n += other(t[i]);
  return n;
}

std::string HexTextOf(const fw::MemoryBlock& mb) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.resize(static_cast<size_t>(mb.Size()) * 2);
  size_t o = 0;
  for (const fw::MemoryBlock::Segment& seg : mb.Segments())
    for (int64_t i = 0; i < seg.size; ++i) {
      out[o++] = kDigits[seg.data[i] >> 4];
      out[o++] = kDigits[seg.data[i] & 15];
    }
  return out;
}

}  // namespace records
