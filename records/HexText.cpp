#include "HexText.h"

#include <algorithm>

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
      if (at + 1 >= rest.size()) {
        *cut = HexCut::TextEnd;
      } else {
        const auto c = static_cast<char32_t>(rest[digitAt(static_cast<int64_t>(at)) ? at + 1 : at]);
        *cut = IsHexSeparator(c) ? HexCut::Separator : HexCut::Other;
      }
    }
  }
  fw::MemoryBlock mb(valid);  // never empty: the match starts with the pair 04
  hexaOf(mb, rest.substr(0, static_cast<size_t>(charAt(valid))));
  return mb;
}

// The text without its separators goes through a buffer of fixed size, each
// character marked with whether separators stood before it; the last
// characters of a buffer, which may begin a match, start the next one.
template <class Char>
uint64_t countSplitMarkers(std::basic_string_view<Char> text) {
  const auto isSeparator = [](Char c) { return IsHexSeparator(static_cast<char32_t>(c)); };
  if (std::none_of(text.begin(), text.end(), isSeparator)) return 0;
  constexpr size_t kCapacity = 8192;
  constexpr size_t kTail = kPatternLength - 1;
  std::array<Char, kCapacity> chars;
  std::array<bool, kCapacity> afterSeparator;
  size_t size = 0, from = 0;
  bool separated = false;
  uint64_t split = 0;
  auto search = [&] {
    const std::basic_string_view<Char> part(chars.data(), size);
    for (size_t m = findHexMarker(part, from); m != std::basic_string_view<Char>::npos; m = findHexMarker(part, from)) {
      const bool* inside = afterSeparator.data() + m + 1;
      if (std::find(inside, inside + kTail, true) != inside + kTail) ++split;
      from = m + kPatternLength;
    }
  };
  for (const Char c : text) {
    if (isSeparator(c)) {
      separated = true;
      continue;
    }
    if (size == kCapacity) {
      search();
      const size_t keep = std::max(from, size - kTail);
      std::copy(chars.begin() + static_cast<std::ptrdiff_t>(keep), chars.end(), chars.begin());
      std::copy(afterSeparator.begin() + static_cast<std::ptrdiff_t>(keep), afterSeparator.end(),
                afterSeparator.begin());
      size -= keep;
      from = 0;
    }
    chars[size] = c;
    afterSeparator[size] = separated;
    separated = false;
    ++size;
  }
  search();
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
int64_t hexa(fw::MemoryBlock& mb, std::string_view s) { return hexaOf(mb, s); }
size_t FindHexMarker(std::u32string_view t, size_t from) { return findHexMarker(t, from); }
size_t FindHexMarker(std::string_view t, size_t from) { return findHexMarker(t, from); }
fw::MemoryBlock HexRecordBytes(std::u32string_view text, size_t pos, HexCut* cut) {
  return hexRecordBytes(text, pos, cut);
}
fw::MemoryBlock HexRecordBytes(std::string_view text, size_t pos, HexCut* cut) {
  return hexRecordBytes(text, pos, cut);
}
uint64_t CountSplitMarkers(std::u32string_view text) { return countSplitMarkers(text); }
uint64_t CountSplitMarkers(std::string_view text) { return countSplitMarkers(text); }

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
