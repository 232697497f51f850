// The records written as hexadecimal text in a text: every match of the
// marker pattern in turn, each next search starting right after the
// previous match's 28 characters (a marker inside a record is a record of
// its own, and a match is decoded wherever it begins, also at an odd
// position), decoded by the main window's rule. The text is taken as
// characters (pasted text) or as bytes (text made here from a file).
#pragma once

#include <concepts>
#include <string>
#include <string_view>
#include <vector>

#include "records/Search.h"

namespace records {

// What a pasted text's own characters do to a search that expects each
// record's characters in one piece, two hexadecimal digits a byte: rows
// whose fields stop at a cut, records the text ends inside, and records not
// found at all.
struct HexTextFaults {
  // Records found whose characters stop, before their end, at a character
  // that is not a hexadecimal digit with more of the text after it: their
  // fields after it are empty.
  uint64_t cutRecords = 0;
  // Those of them cut by a character that is no separator; a separator cut
  // the others.
  uint64_t cutByOther = 0;
  // Markers split by a separator, and so not found (CountSplitMarkers).
  uint64_t splitMarkers = 0;
  // Characters that are neither hexadecimal digits nor separators: they
  // may cut or hide records that no count tells of.
  uint64_t otherCharacters = 0;
  // Records found that the text ends inside (a selection that stops in a
  // record): their fields after its end are empty. The text's end, not
  // what stands in it.
  uint64_t endCutRecords = 0;

  // Whether what stands in the text cut a record or may have hidden one.
  bool Any() const { return cutRecords != 0 || splitMarkers != 0 || otherCharacters != 0; }
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
  // Of pasted text (a text made from a file is hexadecimal digits alone):
  // the records cut among those given so far, and what the whole text
  // holds (a look at every character, so only when asked).
  HexTextFaults Faults() const requires std::same_as<Char, char32_t>;

 private:
  static constexpr bool kPasted = std::same_as<Char, char32_t>;
  const std::basic_string_view<Char> text_;
  const RunEnd textEnd_;
  const uint64_t bytes_;
  bool started_ = false;
  size_t match_ = 0;
  HexTextFaults cuts_;  // the records cut so far
};

extern template class HexTextRecords<char>;
extern template class HexTextRecords<char32_t>;

// Every record of the text, in order.
std::vector<RecordTexts> FindRecordsInHexText(std::u32string_view text);
std::vector<RecordTexts> FindRecordsInHexText(std::string_view text);

}  // namespace records
