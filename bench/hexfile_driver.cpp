// Runs the hidden file button's handler (a file turned into hex text and
// searched) on one file in an offscreen main window, for its time and, under
// /usr/bin/time -v, its peak memory.
//
//   hexfile_driver FILE                 (an existing file)
//   hexfile_driver --generate FILE MB   (random bytes with a record every 100 kB, then the run)
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/App.h"
#include "framework/gui/Seams.h"
#include "recordgen.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

namespace {

void generate(const std::string& path, uint64_t megabytes) {
  std::ofstream out(path, std::ios::binary);
  recordgen::Rng rng{11};
  const recordgen::Place p{3, 5, 229448, 4885837, 229413, 4885812, "5 avenue Anatole France", "75007 Paris", "France"};
  const std::string record = recordgen::encodeRecord(p);
  const uint64_t size = megabytes * 1'000'000;
  for (uint64_t written = 0; written < size;) {
    std::string block = rng.bytes(100'000 - record.size());
    for (char& c : block)
      if (c == 4) c = 5;  // no stray markers
    block += record;
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    written += block.size();
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string path;
  if (argc == 4 && std::string(argv[1]) == "--generate") {
    path = argv[2];
    generate(path, std::strtoull(argv[3], nullptr, 10));
  } else if (argc == 2) {
    path = argv[1];
  } else {
    std::fprintf(stderr, "usage: hexfile_driver FILE | hexfile_driver --generate FILE MB\n");
    return 2;
  }
  QApplication qt(argc, argv);
  App app;
  Window2* w = Window2::instance();
  testutil::ScriptedSeams seams;
  seams.openMs = 0;
  seams.files.push_back(path);
  const auto start = std::chrono::steady_clock::now();
  w->FichierPB11_Action();
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%d records in %.2f s\n", w->List("Listbox1")->LastIndex() + 1, s);
  for (const QString& m : seams.messages) std::printf("message: %s\n", qPrintable(m));
  return 0;
}
