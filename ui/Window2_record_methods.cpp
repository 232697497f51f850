// The main window's record methods, each thin over the function that does
// the work (see Window2.h).
#include "Window2.h"
#include "imagescan/SearchWindow.h"
#include "records/HexText.h"
#include "records/MarkerSearch.h"

void Window2::Decoupe(const fw::MemoryBlock& mb, int64_t a) {
  ShowRecord(records::DecodeRecord(mb, a, records::Decoder::MainWindow));
}

int32_t Window2::calcval(const fw::MemoryBlock& mb, int64_t off) { return mb.Int32Value(off).value_or(0); }

int64_t Window2::chercheNextStart(const fw::MemoryBlock& mb, int64_t start) {
  return records::chercheNextStart(mb, start);
}

void Window2::hexa(fw::MemoryBlock& mb, const std::u32string& s) { records::hexa(mb, s); }

int32_t Window2::octet(const fw::MemoryBlock& mb, int64_t a) { return records::Octet(mb, a); }

// The window's own variant of the search window: chunks of
// TailleBlocFenetre bytes, and no progress shown.
int32_t Window2::chercheNextStartImage(fw::MemoryBlock& fenetre, fw::MemoryBlock& blocActuel,
                                       fw::MemoryBlock& blocSuivant, int32_t start, fw::BinaryStream& stream) {
  return static_cast<int32_t>(
      imagescan::chercheNextStartImage(fenetre, blocActuel, blocSuivant, start, stream, imagescan::TailleBlocFenetre));
}

std::string Window2::Hex2Text(const fw::MemoryBlock& mb) { return records::HexTextOf(mb); }
