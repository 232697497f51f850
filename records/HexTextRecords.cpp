#include "HexTextRecords.h"

#include "records/HexText.h"

namespace records {

template <class Char>
HexTextRecords<Char>::HexTextRecords(std::basic_string_view<Char> text)
    : HexTextRecords(text, RunEnd::Done, text.size()) {}

template <class Char>
HexTextRecords<Char>::HexTextRecords(std::basic_string_view<Char> text, RunEnd textEnd, uint64_t bytes)
    : text_(text), textEnd_(textEnd), bytes_(bytes) {}

template <class Char>
Found HexTextRecords<Char>::Next() {
  constexpr size_t npos = std::basic_string_view<Char>::npos;
  if (!started_) {
    started_ = true;
    // Made from a file whose first read failed: there was nothing to search.
    if (text_.empty() && textEnd_ != RunEnd::Done) {
      match_ = npos;
      return Found::Ended(textEnd_, 0);
    }
    match_ = FindHexMarker(text_, 0);
    // Counted as the run's end counts it: the text's own source.
    return Found::ReadSoFar(bytes_);
  }
  if (match_ == npos) return Found::Ended(textEnd_, bytes_);
  fw::MemoryBlock bytes;
  if constexpr (kPasted) {
    HexCut cut = HexCut::None;
    bytes = HexRecordBytes(text_, match_, &cut);
    switch (cut) {
      case HexCut::None: break;
      case HexCut::TextEnd: ++cuts_.endCutRecords; break;
      case HexCut::Separator: ++cuts_.cutRecords; break;
      case HexCut::Other:
        ++cuts_.cutRecords;
        ++cuts_.cutByOther;
        break;
    }
  } else {
    bytes = HexRecordBytes(text_, match_);
  }
  Found f = Found::Of(DecodeRecord(bytes, 0, Decoder::MainWindow));
  match_ = FindHexMarker(text_, match_ + kPatternLength);
  return f;
}

template <class Char>
HexTextFaults HexTextRecords<Char>::Faults() const requires std::same_as<Char, char32_t> {
  HexTextFaults f = cuts_;
  // Clang instantiates it for the byte form too, with the whole class.
  if constexpr (kPasted) {
    f.splitMarkers = CountSplitMarkers(text_);
    f.otherCharacters = CountOtherCharacters(text_);
  }
  return f;
}

template class HexTextRecords<char>;
template class HexTextRecords<char32_t>;

std::vector<RecordTexts> FindRecordsInHexText(std::u32string_view text) {
  HexTextRecords<char32_t> src(text);
  return Collect(src);
}

std::vector<RecordTexts> FindRecordsInHexText(std::string_view text) {
  HexTextRecords<char> src(text);
  return Collect(src);
}

}  // namespace records
