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

 private:
  const std::basic_string_view<Char> text_;
  const RunEnd textEnd_;
  const uint64_t bytes_;
  bool started_ = false;
  size_t match_ = 0;
};

extern template class HexTextRecords<char>;
extern template class HexTextRecords<char32_t>;

// Every record of the text, in order.
std::vector<RecordTexts> FindRecordsInHexText(std::u32string_view text);
std::vector<RecordTexts> FindRecordsInHexText(std::string_view text);

}  // namespace records
