// Text functions the rest of the program is written against. Byte strings
// are std::string; display texts are UTF-8 std::string; character-indexed
// texts (the pasted hex text) are std::u32string so that positions count
// characters, not bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fw {

// Decimal text of an integer.
std::string Str(int64_t n);
// Shortest text that reads back as the same double, in plain decimal
// notation with "." whatever the locale, and never an exponent.
std::string Str(double d);

// The value of one hexadecimal digit, -1 for any other character.
int HexDigitValue(char32_t c);

// "&h" followed by hexadecimal digits gives their value; otherwise the
// leading decimal number of the text, 0 when there is none.
double Val(std::string_view s);
double Val(std::u32string_view s);

// 1-based character positions; out-of-range parts give fewer characters.
std::u32string Mid(std::u32string_view s, int64_t start, int64_t count);
std::string Mid(std::string_view s, int64_t start, int64_t count);
inline int64_t Len(std::u32string_view s) { return static_cast<int64_t>(s.size()); }
inline int64_t LenB(std::string_view s) { return static_cast<int64_t>(s.size()); }
std::string Chr(uint32_t codePoint);  // as UTF-8
std::string Hex(uint64_t n);          // upper-case digits, no leading zeros

// n rounded to a whole number, its thousands grouped with a no-break space
// ("1 234 567"), as the counts are shown; CDbl reads such a text back.
std::string GroupedThousands(double n);
double CDbl(std::string_view s);
// A count for the messages: the grouped number and its unit, singular
// below 2 as French has it ("0 octet", "1 octet", "2 octets").
std::string Counted(uint64_t n, std::string_view unit);

// Windows-1252 bytes to UTF-8. Every byte value maps to a character; the
// five that Windows-1252 leaves undefined map to the C1 control of the same
// value, so no stored byte is lost or hidden.
std::string Windows1252ToUtf8(std::string_view bytes);
char32_t Windows1252ToUnicode(uint8_t b);

std::u32string Utf8ToU32(std::string_view s);
std::string U32ToUtf8(std::u32string_view s);

}  // namespace fw
