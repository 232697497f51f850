// The hex-text finder on any text: every record it returns starts at a
// match of the marker pattern, and it never reads past the text; nor does
// what it tells of separators and other characters, and no more records
// are cut than found.
#include "FuzzInput.h"
#include "framework/core/Text.h"
#include "records/HexText.h"
#include "records/HexTextRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Any bytes, valid UTF-8 or not, as the pasted text.
  const std::u32string text = fw::Utf8ToU32(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::vector<records::RecordTexts> found = records::FindRecordsInHexText(text);
  size_t matches = 0;
  for (size_t at = records::FindHexMarker(text, 0); at != std::u32string::npos;
       at = records::FindHexMarker(text, at + records::kPatternLength))
    ++matches;
  FUZZ_CHECK(found.size() == matches);
  records::HexTextRecords<char32_t> source(text);
  const std::vector<records::RecordTexts> again = records::Collect(source);
  const records::HexTextFaults faults = source.Faults();
  FUZZ_CHECK(again == found);
  FUZZ_CHECK(faults.cutRecords + faults.endCutRecords <= found.size());
  FUZZ_CHECK(faults.splitMarkers <= text.size() / records::kPatternLength);
  uint64_t others = 0;
  for (const char32_t c : text) others += fw::HexDigitValue(c) < 0 && !records::IsHexSeparator(c);
  FUZZ_CHECK(faults.otherCharacters == others);
  FUZZ_CHECK(faults.cutByOther <= faults.cutRecords && (faults.cutByOther == 0 || others != 0));
  return 0;
}
