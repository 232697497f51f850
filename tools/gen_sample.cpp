// Prints the 67 sample records as one line of upper-case hex, the form in which an
// investigator pastes data copied from a hex editor.
#include "recordgen.h"

#include <cstdio>
#include <cstring>

int main() {
  using namespace recordgen;
  std::string hex;
  std::vector<std::size_t> starts;
  for (const Place& p : samplePlaces()) {
    starts.push_back(hex.size());
    hex += toHexUpper(encodeRecord(p));
  }

  // A text search for the marker sees nibbles, not bytes: make sure the leftmost,
  // non-overlapping matches are exactly the record starts, so that no coordinate or
  // address happens to spell a marker, not even shifted by half a byte.
  static constexpr char pattern[] = "0400..0000000400..0000000800";
  constexpr std::size_t len = sizeof pattern - 1;
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i + len <= hex.size();) {
    std::size_t k = 0;
    while (k < len && (pattern[k] == '.' || pattern[k] == hex[i + k])) ++k;
    if (k == len) {
      found.push_back(i);
      i += len;
    } else {
      ++i;
    }
  }
  if (found != starts || samplePlaces().size() != 67) {
    std::fprintf(stderr, "gen_sample: %zu marker matches for %zu records\n", found.size(), starts.size());
    for (std::size_t i = 0; i < found.size(); ++i)
      if (i >= starts.size() || found[i] != starts[i]) {
        std::fprintf(stderr, "gen_sample: first unexpected match at hex position %zu\n", found[i]);
        break;
      }
    std::abort();
  }
  std::fwrite(hex.data(), 1, hex.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
