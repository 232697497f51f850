#include "ScanDecoder.h"

namespace imagescan {

records::RecordTexts Decoupe(const fw::MemoryBlock& mb, int64_t p) {
  return records::DecodeRecord(mb, p, records::Decoder::Scan);
}

int32_t calcval(const fw::MemoryBlock& mb, int64_t off) { return mb.Int32Value(off).value_or(0); }

bool getChaine(const fw::MemoryBlock& mb, int64_t start, int32_t& length, std::string& text) {
  return records::ReadScanAddress(mb, start, length, text);
}

}  // namespace imagescan
