// Records written as hexadecimal text: two digits per byte, no separators
// inside a record. Positions count characters. The search takes the text as
// characters (pasted text, any character) or as bytes (text made here from
// a file, hexadecimal digits only, one byte each: half the memory of the
// characters' form for the same positions); what is told of a text's own
// characters is asked of pasted text alone.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/MemoryBlock.h"
#include "records/Record.h"

namespace records {

// Every byte of a record is two characters: a field's first character is at
// twice its byte offset.
inline constexpr int kCharsPerByte = 2;

// The marker as text: "0400..0000000400..0000000800", where "." is any
// character but a line break.
inline constexpr int kPatternLength = kCharsPerByte * kMarkerSize;
inline constexpr std::array<char, kPatternLength> kMarkerPatternChars = [] {
  std::array<char, kPatternLength> t{};
  for (int k = 0; k < kMarkerSize; ++k) {
    t[2 * k] = IsMarkerCode(k) ? '.' : "0123456789ABCDEF"[RecordMarker[k] >> 4];
    t[2 * k + 1] = IsMarkerCode(k) ? '.' : "0123456789ABCDEF"[RecordMarker[k] & 15];
  }
  return t;
}();
inline constexpr std::string_view RecordMarkerPattern(kMarkerPatternChars.data(), kPatternLength);
static_assert(RecordMarkerPattern == "0400..0000000400..0000000800");

// Writes the bytes spelled by s into mb from offset 0: floor(Len(s) / 2)
// pairs, stopping at the first pair that is not two hexadecimal digits and
// at the end of mb. Returns the number of bytes written.
int64_t hexa(fw::MemoryBlock& mb, std::u32string_view s);

// The next match of RecordMarkerPattern at or after character `from`
// (0-based), or npos.
size_t FindHexMarker(std::u32string_view text, size_t from);
size_t FindHexMarker(std::string_view text, size_t from);

// A space, a tab or a line break: what dump tools put between bytes and
// lines (every Unicode white space).
bool IsHexSeparator(char32_t c);

// Why a record's characters end before the end its length pairs give.
enum class HexCut {
  None,       // they do not
  TextEnd,    // the text ends inside them: after the cut stand only white
              // space and at most one digit, the first of a pair cut off
  Separator,  // a separator stands in them, with more of the text after it
  Other,      // another character that is not a hexadecimal digit does
};

// The bytes of the record whose first character is at `pos` (0-based): as
// many as its three length pairs say (and, when one of them is below the
// bias, at least the fields in front of it), cut at the first pair that is
// not hexadecimal and at the end of the text. `cut`, when given, says why
// they are fewer. The byte form is the hidden file button's, which never
// asks.
fw::MemoryBlock HexRecordBytes(std::u32string_view text, size_t pos, HexCut* cut = nullptr);
fw::MemoryBlock HexRecordBytes(std::string_view text, size_t pos);

// The markers that stand in the text once its separators are taken out but
// not in the text as it is: every match of the marker pattern in the text
// without separators whose characters a separator parts. Allocates nothing;
// hex text is looked at only around its separators.
uint64_t CountSplitMarkers(std::u32string_view text);

// The characters that are neither hexadecimal digits nor separators: what
// a dump tool writes beside the bytes (offsets, the bytes as characters,
// "0x" and commas), or anything else. Records may be cut or hidden among
// them, and no count can say how many.
uint64_t CountOtherCharacters(std::u32string_view text);

// Each byte of the block as two upper-case hexadecimal digits ("0" in front
// of a value below 16), nothing between bytes.
std::string HexTextOf(const fw::MemoryBlock& mb);

}  // namespace records
