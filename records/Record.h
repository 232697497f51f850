// The location record that navigation devices keep, its code tables and its
// decoding into the nine texts of the details panel.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/core/MemoryBlock.h"
#include "records/Layout.h"

namespace records {

inline constexpr int CoordinateScale = 100000;
inline constexpr int TailleTamponChaine = 200;

// A record's fields, in the details panel's order and the lists' columns.
inline constexpr int kFieldCount = 9;
enum Field { kPrecision, kType, kLon1, kLat1, kLon2, kLat2, kAddr1, kAddr2, kAddr3 };

// The nine display texts of one record (UTF-8). `written` counts the labels
// a decoder writes, in panel order: the scan's decoder leaves the addresses
// after a refused one unwritten.
struct RecordTexts {
  std::array<std::string, kFieldCount> text;
  int written = kFieldCount;
  bool operator==(const RecordTexts& o) const { return text == o.text; }
};

// The two decoders: they differ in these rules for the addresses, in the
// one precision name that the scan's gives differently, and in that only
// the scan's tells how many texts it wrote.
enum class Decoder {
  MainWindow,  // addresses read by their length byte alone
  Scan,        // addresses refused when of negative length or holding a byte below 32
};

std::string PrecisionLibelle(int code, Decoder d = Decoder::MainWindow);
std::string TypeLibelle(int code);
std::string CodeText(int code, const std::string& name);  // "(3) Favoris"
// The stored integer divided by CoordinateScale, exactly.
std::string CoordinateText(int32_t v);

// Decodes the record whose first byte is at offset a. Only bytes inside mb
// are read: a field that does not lie wholly inside shows "".
RecordTexts DecodeRecord(const fw::MemoryBlock& mb, int64_t a, Decoder d);

// Address string at `start` (its length byte) by the scan decoder's rule.
// True when read whole; otherwise `length` and `text` hold what the rule
// gives (the length byte minus the bias, or the characters before a byte
// below 32) and no label is written from it. An empty address (length 0)
// is refused unless `emptyIsWhole`.
bool ReadScanAddress(const fw::MemoryBlock& mb, int64_t start, int32_t& length, std::string& text,
                     bool emptyIsWhole = false);

// Two ASCII digit characters at 2a and 2a+1 read as the halves of one byte.
int32_t Octet(const fw::MemoryBlock& mb, int64_t a);

}  // namespace records
