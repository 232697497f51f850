#include "Record.h"

#include "framework/core/Text.h"

namespace records {

std::string PrecisionLibelle(int code, Decoder d) {
  switch (code) {
    case 1: return "centre ville";
    case 2: return "Croisement";
    case 3: return d == Decoder::Scan ? "Numéro de rue" : "No de rue";
    case 4: return "N'importe où";
    default: return "ERREUR";
  }
}

std::string TypeLibelle(int code) {
  switch (code) {
    case 1: return "Saisie à partir de la carte ou d'un code postal";
    case 3: return "Favoris";
    case 4: return "Domicile";
    case 5: return "Saisie par adresse";
    case 6: return "Saisie à partir du POI";
    case 7: return "Départ du dernier trajet calculé";
    default: return "ERREUR";
  }
}

std::string CodeText(int code, const std::string& name) {
  // Appended piece by piece: "(" + a temporary trips GCC 12's false
  // -Wrestrict in optimised builds.
  std::string t = "(";
  t += fw::Str(static_cast<int64_t>(code));
  t += ") ";
  t += name;
  return t;
}

std::string CoordinateText(int32_t v) {
  // Str of the quotient as a double gives the same digits: the double nearest
  // to v / 100000 always prints back as those five decimals at most.
  return fw::Str(static_cast<double>(v) / static_cast<double>(CoordinateScale));
}

bool ReadScanAddress(const fw::MemoryBlock& mb, int64_t start, int32_t& length, std::string& text, bool emptyIsWhole) {
  text.clear();
  if (!mb.Contains(start, 1)) {
    length = 0;
    return false;
  }
  length = static_cast<int32_t>(mb.Byte(start)) - AddressLengthBias;
  if (length < 1) return emptyIsWhole && length == 0;
  for (int32_t i = 1; i <= length; ++i) {
    // The window ending inside the string stops it as a control byte does.
    if (!mb.Contains(start + i, 1) || mb.Byte(start + i) < 32) {
      length = i - 1;
      text = mb.Bytes(start + 1, length);
      return false;
    }
  }
  text = mb.Bytes(start + 1, length);
  return true;
}

RecordTexts DecodeRecord(const fw::MemoryBlock& mb, int64_t a, Decoder d) {
  RecordTexts r;
  auto& t = r.text;
  if (mb.Contains(a + kPrecisionCodeAt, 1)) {
    const int code = mb.Byte(a + kPrecisionCodeAt);
    t[kPrecision] = CodeText(code, PrecisionLibelle(code, d));
  }
  if (mb.Contains(a + kTypeCodeAt, 1))
    t[kType] = CodeText(mb.Byte(a + kTypeCodeAt), TypeLibelle(mb.Byte(a + kTypeCodeAt)));
  for (int k = 0; k < 4; ++k)
    if (auto v = mb.Int32Value(a + kCoordinateAt[k])) t[kLon1 + k] = CoordinateText(*v);

  int64_t q = a + kAddressesAt;
  if (d == Decoder::MainWindow) {
    // An address whose length byte or text lies outside the buffer, or whose
    // length byte is below the bias, shows "", and so do the ones after it:
    // their position depends on a length that cannot be trusted.
    for (int k = 0; k < kAddressCount; ++k) {
      if (!mb.Contains(q, 1)) break;
      const int n = mb.Byte(q) - AddressLengthBias;
      if (n < 0 || !mb.Contains(q + 1, n)) break;
      t[kAddr1 + k] = fw::Windows1252ToUtf8(mb.Bytes(q + 1, n));
      q += n + 1;
    }
    return r;
  }
  r.written = kAddr1;
  for (int k = 0; k < kAddressCount; ++k) {
    int32_t n = 0;
    std::string text;
    // An empty address is a valid string: it shows "" and the next length
    // byte follows it, as in the main window's decoder, so that the same
    // bytes give the same texts.
    if (!ReadScanAddress(mb, q, n, text, /*emptyIsWhole=*/true)) break;
    t[kAddr1 + k] = fw::Windows1252ToUtf8(text);
    r.written = kAddr1 + k + 1;
    q += n + 1;
  }
  return r;
}

int32_t Octet(const fw::MemoryBlock& mb, int64_t a) {
  const int v = (mb.Byte(2 * a) - 48) * 16 + mb.Byte(2 * a + 1) - 48;
  return v & 0xFF;
}

}  // namespace records
