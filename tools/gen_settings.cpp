// Writes a settings file like those a navigation device keeps, and lists the records in it
// (one per line, tab separated: offset, precision, type, lon1, lat1, lon2, lat2, then the
// three addresses converted to UTF-8) so a test can compare a scan against the truth.
#include "settingsgen.h"

#include <cstring>
#include <fstream>
#include <iostream>

namespace {

[[noreturn]] void usage() {
  std::cerr << "usage: gen_settings OUT.cfg [--seed N] [--records K] [--size BYTES] [--at-zero]\n";
  std::exit(2);
}

unsigned long long number(const char* s) {
  char* end = nullptr;
  const unsigned long long v = std::strtoull(s, &end, 10);
  if (!*s || *end) usage();
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') usage();
  const char* outPath = argv[1];
  uint64_t seed = 1;
  std::size_t records = 40, size = 0;
  bool atZero = false;
  for (int i = 2; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--at-zero") atZero = true;
    else if (i + 1 >= argc) usage();
    else if (a == "--seed") seed = number(argv[++i]);
    else if (a == "--records") records = number(argv[++i]);
    else if (a == "--size") size = number(argv[++i]);
    else usage();
  }

  recordgen::Rng rng{seed};
  recordgen::SettingsBlob blob;
  try {
    blob = recordgen::buildSettings(rng, records, size, atZero);
  } catch (const std::exception& e) {
    std::cerr << "gen_settings: " << e.what() << '\n';
    return 1;
  }
  std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
  out.write(blob.bytes.data(), std::streamsize(blob.bytes.size()));
  if (!out.flush()) {
    std::cerr << "gen_settings: cannot write " << outPath << '\n';
    return 1;
  }
  for (const auto& [offset, p] : blob.records)
    std::cout << offset << '\t' << int(p.precision) << '\t' << int(p.type) << '\t' << p.lon1 << '\t' << p.lat1 << '\t'
              << p.lon2 << '\t' << p.lat2 << '\t' << recordgen::cp1252ToUtf8(p.addr1) << '\t'
              << recordgen::cp1252ToUtf8(p.addr2) << '\t' << recordgen::cp1252ToUtf8(p.addr3) << '\n';
  return 0;
}
