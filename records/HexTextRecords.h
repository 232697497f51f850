// The records written as hexadecimal text in a text: every match of the
// marker pattern in turn, each next search starting right after the
// previous match's 28 characters (a marker inside a record is a record of
// its own, and a match is decoded wherever it begins, also at an odd
// position), decoded by the main window's rule. The text is taken as
// characters (pasted text) or as bytes (text made here from a file).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "records/Search.h"

namespace records {

// What text copied with separators (from a hex dump: bytes in lines, or
// spaced) does to a search that expects each record's characters in one
// piece: rows whose fields stop at the cut, and records not found at all.
struct HexTextFaults {
  // Records found whose characters, before their end, hold a character
  // that is not a hexadecimal digit: their fields after it are empty.
  uint64_t cutRecords = 0;
  // Whether one of them was cut by a character that is no separator.
  bool cutByOther = false;
  // Markers split by a separator, and so not found (CountSplitMarkers).
  uint64_t splitMarkers = 0;

  bool Any() const { return cutRecords != 0 || splitMarkers != 0; }
};

template <class Char>
class HexTextRecords : public RecordSource {
 public:
  // `textEnd` and `bytes` are how the text's own source ended, for a text
  // made from a file that could not be read whole. Any text, even an empty
  // one, has content for a run (the caller decides whether it may be
  // empty), unless it is empty because its source could not be read.
  explicit HexTextRecords(std::basic_string_view<Char> text);
  HexTextRecords(std::basic_string_view<Char> text, RunEnd textEnd, uint64_t bytes);
  Found Next() override;
  // The records cut among those given so far, and the markers split in the
  // whole text (a look at every character, so only when asked).
  HexTextFaults Faults() const;

 private:
  const std::basic_string_view<Char> text_;
  const RunEnd textEnd_;
  const uint64_t bytes_;
  bool started_ = false;
  size_t match_ = 0;
  uint64_t cut_ = 0;
  bool cutByOther_ = false;
};

extern template class HexTextRecords<char>;
extern template class HexTextRecords<char32_t>;

// Every record of the text, in order.
std::vector<RecordTexts> FindRecordsInHexText(std::u32string_view text);
std::vector<RecordTexts> FindRecordsInHexText(std::string_view text);

}  // namespace records
