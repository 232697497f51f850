#include "Text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace fw {

std::string Str(int64_t n) { return std::to_string(n); }

std::string Str(double d) {
  if (std::isnan(d)) return "NAN";
  if (std::isinf(d)) return d < 0 ? "-INF" : "INF";
  std::array<char, 400> buf{};
  auto r = std::to_chars(buf.data(), buf.data() + buf.size(), d, std::chars_format::fixed);
  const std::string_view s(buf.data(), static_cast<size_t>(r.ptr - buf.data()));
  return std::string(s == "-0" ? "0" : s);
}

int HexDigitValue(char32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}

namespace {
template <class View>
double valImpl(View s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  if (i + 1 < s.size() && s[i] == '&' && (s[i + 1] == 'h' || s[i + 1] == 'H')) {
    double v = 0;
    for (i += 2; i < s.size() && HexDigitValue(s[i]) >= 0; ++i) v = v * 16 + HexDigitValue(s[i]);
    return v;
  }
  std::string ascii;
  for (; i < s.size() && s[i] < 128; ++i) ascii.push_back(static_cast<char>(s[i]));
  double v = 0;
  const char* b = ascii.data();
  if (!ascii.empty() && ascii[0] == '+') ++b;
  std::from_chars(b, ascii.data() + ascii.size(), v);
  return v;
}

template <class S, class View>
S midImpl(View s, int64_t start, int64_t count) {
  if (start < 1) start = 1;
  const auto n = static_cast<int64_t>(s.size());
  if (count <= 0 || start > n) return S();
  const int64_t avail = n - (start - 1);
  return S(s.substr(static_cast<size_t>(start - 1), static_cast<size_t>(std::min(count, avail))));
}
}  // namespace

double Val(std::string_view s) { return valImpl(s); }
double Val(std::u32string_view s) { return valImpl(s); }

std::u32string Mid(std::u32string_view s, int64_t start, int64_t count) {
  return midImpl<std::u32string>(s, start, count);
}
std::string Mid(std::string_view s, int64_t start, int64_t count) { return midImpl<std::string>(s, start, count); }

std::string Chr(uint32_t cp) { return U32ToUtf8(std::u32string(1, static_cast<char32_t>(cp))); }

std::string Hex(uint64_t n) {
  std::array<char, 17> buf{};
  auto r = std::to_chars(buf.data(), buf.data() + buf.size(), n, 16);
  std::string s(buf.data(), r.ptr);
  for (char& c : s) c = static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
  return s;
}

// U+00A0, the framework's grouping character: a number in the progress count
// must not break across lines and must read back through CDbl.
static const std::string kGroupSep = "\xC2\xA0";

std::string GroupedThousands(double n) {
  const bool neg = n < 0;
  double a = std::floor(std::fabs(n) + 0.5);
  std::array<char, 400> buf{};
  auto r = std::to_chars(buf.data(), buf.data() + buf.size(), a, std::chars_format::fixed, 0);
  std::string digits(buf.data(), r.ptr);
  if (digits == "0") return neg ? "-0" : "0";  // a sign kept though the value rounds to zero
  std::string out;
  const size_t len = digits.size();
  for (size_t i = 0; i < len; ++i) {
    if (i > 0 && (len - i) % 3 == 0) out += kGroupSep;
    out.push_back(digits[i]);
  }
  return neg ? "-" + out : out;
}

std::string Counted(uint64_t n, std::string_view unit) {
  std::string out = GroupedThousands(static_cast<double>(n));
  out += ' ';
  out += unit;
  if (n >= 2) out += 's';
  return out;
}

double CDbl(std::string_view s) {
  std::string clean;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s.compare(i, kGroupSep.size(), kGroupSep) == 0) {
      i += kGroupSep.size() - 1;
      continue;
    }
    const char c = s[i];
    if (c == ' ' || c == ',') continue;
    clean.push_back(c);
  }
  double v = 0;
  std::from_chars(clean.data(), clean.data() + clean.size(), v);
  return v;
}

char32_t Windows1252ToUnicode(uint8_t b) {
  static constexpr char32_t k80[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  if (b >= 0x80 && b < 0xA0) return k80[b - 0x80];
  return b;
}

namespace {
void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}
}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char ch : bytes) appendUtf8(out, Windows1252ToUnicode(static_cast<uint8_t>(ch)));
  return out;
}

std::string U32ToUtf8(std::u32string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char32_t c : s) appendUtf8(out, c);
  return out;
}

std::u32string Utf8ToU32(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<uint8_t>(s[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= s.size()) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? b : (b & (0x3F >> extra));
    for (int k = 1; k <= extra; ++k) c = (c << 6) | (static_cast<uint8_t>(s[i + k]) & 0x3F);
    out.push_back(c);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

}  // namespace fw
