// Writes the small settings-file fixtures of the finder tests into a folder,
// or, with --check, compares that folder's files with what it would write
// and writes nothing:
//     gen_cfg_fixtures tests/fixtures
//     gen_cfg_fixtures --check tests/fixtures
// settings_sample.cfg and its listing come from gen_settings instead:
//     gen_settings settings_sample.cfg --seed 6 --records 14 > settings_sample.txt
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "recordgen.h"

namespace {

using recordgen::encodeRecord;
using recordgen::Place;

// A literal's bytes, NULs included.
template <std::size_t N>
std::string lit(const char (&s)[N]) {
  return std::string(s, N - 1);
}

std::string be32(uint32_t v) {
  std::string out;
  for (int i = 3; i >= 0; --i) out += char((v >> (8 * i)) & 0xFF);
  return out;
}

// The marker of precision 3 and type 6 with one fixed byte changed.
std::string nearMiss(std::size_t at, char value) {
  std::string m = recordgen::markerBytes(3, 6);
  m[at] = value;
  return m;
}

std::vector<std::pair<std::string, std::string>> fixtures() {
  const std::string eiffel = encodeRecord(
      {3, 6, 229448, 4885837, 229413, 4885812, "Tour Eiffel, 5 avenue Anatole France", "75007 Paris", "France"});
  const std::string lyon = encodeRecord({1, 1, 483566, 4576404, 483600, 4576420, "", "69002 Lyon", "Rh\xF4ne"});
  const std::string bordeauxHome =
      encodeRecord({3, 4, -57410, 4483912, -57430, 4483895, "27 rue Sainte-Catherine", "33000 Bordeaux", "Gironde"});
  const std::string bordeauxTrip =
      encodeRecord({3, 7, -57410, 4483912, -57430, 4483895, "27 rue Sainte-Catherine", "33000 Bordeaux", "Gironde"});
  const std::string trailer = lit("\x5a\x1c\x3e\x4f\x01\x00") + std::string(6, '\xFF');

  return {
      {"cfg_empty.cfg", ""},
      // The first 13 bytes of a marker.
      {"cfg_13_bytes.cfg", eiffel.substr(0, 13)},
      // Near misses only: 09 for 08 at +12, 01 for 00 at +1, 05 for 04 at +6.
      {"cfg_no_marker.cfg", lit("NVCF\x03\x00\x01\x00") + nearMiss(12, 9) + lit("Route.Type\x12") + nearMiss(1, 1) +
                                std::string(7, '\0') + nearMiss(6, 5) + "Voice.Language fr_FR"},
      {"cfg_record_at_zero.cfg", eiffel + trailer},
      // A record whose first address holds a whole record of its own.
      {"cfg_nested_marker.cfg", lit("\x01\x02\x03\x04\x05") +
                                    encodeRecord({2, 5, 483201, 4575781, 483217, 4575798, lyon, "69002 Lyon", ""}) +
                                    trailer},
      // One point saved twice, with other data between.
      {"cfg_same_point.cfg", lit("NVCF\x03\x00\x02\x00") + bordeauxHome + trailer +
                                 lit("Map.ZoomLevel\x10\x04\x00\x0c\x00\x00\x00") + bordeauxTrip + trailer},
      // A marker near the end: the record runs past the end of the file.
      {"cfg_cut_record.cfg", lit("Display.NightMode\x11\x01") + eiffel.substr(0, 22)},
      // A picture that happens to carry a record in a text chunk.
      {"other_kind.png", lit("\x89PNG\r\n\x1a\n") + be32(13) + "IHDR" + be32(1) + be32(1) +
                             lit("\x08\x02\x00\x00\x00") + lit("\x90\x77\x53\xde") + be32(uint32_t(lyon.size())) +
                             "tEXt" + lyon + std::string(4, '\0') + be32(0) + lit("IEND\xae\x42\x60\x82")},
  };
}

bool readFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
  if (!check && (argc != 2 || argv[1][0] == '-')) {
    std::cerr << "usage: gen_cfg_fixtures [--check] FOLDER\n";
    return 2;
  }
  const std::string dir = argv[argc - 1];
  int failed = 0;
  for (const auto& [name, bytes] : fixtures()) {
    const std::string path = dir + "/" + name;
    if (check) {
      std::string have;
      if (!readFile(path, have)) {
        std::cerr << "gen_cfg_fixtures: cannot read " << path << '\n';
        failed = 1;
      } else if (have != bytes) {
        std::cerr << "gen_cfg_fixtures: " << path << " differs from what the generator writes\n";
        failed = 1;
      }
      continue;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out.flush()) {
      std::cerr << "gen_cfg_fixtures: cannot write " << path << '\n';
      failed = 1;
    }
  }
  return failed;
}
