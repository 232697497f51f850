// Times, with the real main window offscreen:
//  - the results step fed 100k and 200k records (half of them repeated
//    points), one record at a time and in batches;
//  - about 10 MB of pasted hexadecimal text: setting it into the text area,
//    and the "Champ texte" finder on it;
//  - a 100 MB settings file through the "Fichier .cfg" finder.
// Usage: bench_finders [--quick]   (QT_QPA_PLATFORM=offscreen is set if unset)
// Environment: BENCH_ONLY=results|hex|cfg runs one part; BENCH_BATCH=1|1000|0
// one batch size of the results step (0: all records at once);
// BENCH_HEX_BYTES the size of the hex text (default 10000000).
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/App.h"
#include "framework/gui/Seams.h"
#include "recordgen.h"
#include "records/HexText.h"
#include "records/HexTextRecords.h"
#include "records/Results.h"
#include "settingsgen.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

namespace {

using Clock = std::chrono::steady_clock;
double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// n records: n / 2 distinct points, then each of them again, shuffled in.
std::vector<records::RecordTexts> resultRecords(size_t n, uint64_t seed) {
  recordgen::Rng rng{seed};
  std::vector<records::RecordTexts> distinct;
  for (size_t i = 0; i < n / 2; ++i) {
    const recordgen::Place p = recordgen::randomPlace(rng);
    const std::string bytes = recordgen::encodeRecord(p);
    records::RecordTexts r = records::DecodeRecord(fw::MemoryBlock::FromBytes(bytes), 0, records::Decoder::MainWindow);
    // Distinct points for sure: the coordinate texts carry the index.
    r.text[records::kLon1] = std::to_string(i) + "." + std::to_string(p.lon1 & 0xFFFF);
    distinct.push_back(std::move(r));
  }
  std::vector<records::RecordTexts> out = distinct;
  for (size_t i = 0; i < n - n / 2; ++i) out.push_back(distinct[rng.below(distinct.size())]);
  for (size_t i = out.size() - 1; i > 0; --i) std::swap(out[i], out[rng.below(i + 1)]);
  return out;
}

double feed(const std::vector<records::RecordTexts>& recs, size_t batch) {
  records::ResultsHost& host = Window2::instance()->Results();
  host.NameTab(0);
  const auto t0 = Clock::now();
  for (size_t i = 0; i < recs.size(); i += batch) {
    const size_t n = std::min(batch, recs.size() - i);
    records::ajoutePoints(host, {recs.data() + i, n});
  }
  records::ClosingStep(host);
  QApplication::processEvents();
  const auto t1 = Clock::now();
  const int unique = Window2::instance()->List("Listbox2")->LastIndex() + 1;
  if (unique != static_cast<int>(recs.size() / 2)) std::printf("  !! unique rows %d\n", unique);
  return seconds(t0, t1);
}

void benchResults(bool quick) {
  std::printf("Results step (real lists, offscreen)\n");
  const size_t sizes[2] = {quick ? size_t{20000} : size_t{100000}, quick ? size_t{40000} : size_t{200000}};
  const std::vector<records::RecordTexts> small = resultRecords(sizes[0], 11), large = resultRecords(sizes[1], 12);
  const char* only = std::getenv("BENCH_BATCH");
  for (size_t batch : {size_t{1}, size_t{1000}, size_t{0}}) {
    if (only && std::strtoull(only, nullptr, 10) != batch) continue;
    const size_t b0 = batch ? batch : small.size(), b1 = batch ? batch : large.size();
    const double t0 = feed(small, b0), t1 = feed(large, b1);
    std::printf("  batch %-8s %7zu records: %7.3f s (%9.0f rec/s)   %7zu records: %7.3f s (%9.0f rec/s)   ratio %.2f\n",
                batch ? std::to_string(batch).c_str() : "all", small.size(), t0, small.size() / t0, large.size(), t1,
                large.size() / t1, t1 / t0);
  }
  Window2::instance()->Results().NameTab(0);
}

// About `bytes` of hex text made of whole records, each followed by `sep`.
std::string hexText(size_t bytes, const std::string& sep, size_t& count) {
  recordgen::Rng rng{5};
  std::string text;
  text.reserve(bytes + 4096);
  count = 0;
  while (text.size() < bytes) {
    text += recordgen::toHexUpper(recordgen::encodeRecord(recordgen::randomPlace(rng)));
    text += sep;
    ++count;
  }
  return text;
}

// Sets `text` into the area and runs "Champ texte" on it; prints the times.
void hexRun(const char* name, const std::string& utf8, size_t count) {
  Window2* w = Window2::instance();
  auto* area = w->Control<fw::TextArea>("TextSource");
  const QString qtext = QString::fromStdString(utf8);
  const auto t0 = Clock::now();
  area->SetText(qtext);
  QApplication::processEvents();
  const auto t1 = Clock::now();
  const QString back = area->Text();
  const auto t2 = Clock::now();
  const QList<uint> ucs4 = back.toUcs4();
  const std::u32string chars(ucs4.begin(), ucs4.end());
  const auto t3 = Clock::now();
  const auto found = records::FindRecordsInHexText(chars);
  const auto t4 = Clock::now();
  w->ChampTextePB_Action();
  const auto t4b = Clock::now();
  QApplication::processEvents();
  const auto t5 = Clock::now();
  std::printf("  %-18s %5.1f MB, %zu records (found %zu, listed %d)\n", name, utf8.size() / 1e6, count, found.size(),
              w->List("Listbox1")->LastIndex() + 1);
  std::printf("    set text into the area + first paint %7.3f s\n", seconds(t0, t1));
  std::printf("    read the area's text                 %7.3f s\n", seconds(t1, t2));
  std::printf("    text to characters                   %7.3f s\n", seconds(t2, t3));
  std::printf("    finder alone (decoded records)       %7.3f s\n", seconds(t3, t4));
  std::printf("    whole ChampTextePB_Action            %7.3f s (then %.3f s to repaint)\n", seconds(t4, t4b),
              seconds(t4b, t5));
  const auto t6 = Clock::now();
  area->SetText(QString());
  QApplication::processEvents();
  std::printf("    emptying the area                    %7.3f s\n", seconds(t6, Clock::now()));
}

void benchHexText(size_t hexBytes) {
  std::printf("Hex text (\"Champ texte\", real window, offscreen)\n");
  size_t count = 0;
  const std::string lines = hexText(hexBytes, "\n", count);
  hexRun("a line per record", lines, count);
  // One long line is how hex text is usually pasted. Laying it out may grow
  // faster than its length: probe with 1 MB before trying the full size.
  const std::string probe = hexText(1'000'000, "", count);
  Window2* w = Window2::instance();
  auto* area = w->Control<fw::TextArea>("TextSource");
  const auto p0 = Clock::now();
  area->SetText(QString::fromStdString(probe));
  QApplication::processEvents();
  const double probeTime = seconds(p0, Clock::now());
  area->SetText(QString());
  QApplication::processEvents();
  std::printf("  one line, 1 MB probe: set text into the area %7.3f s\n", probeTime);
  if (probeTime * hexBytes / 1e6 > 60) {
    std::printf("  one line, %.0f MB: skipped (a linear layout would already take over a minute)\n", hexBytes / 1e6);
    return;
  }
  const std::string line = hexText(hexBytes, "", count);
  hexRun("one line", line, count);
}

void benchSettings() {
  std::printf("Settings file (\"Fichier .cfg\", real window, offscreen)\n");
  recordgen::Rng rng{9};
  const size_t size = 100'000'000, count = 50'000;
  const auto g0 = Clock::now();
  const recordgen::SettingsBlob blob = recordgen::buildSettings(rng, count, size);
  const std::string path = "/tmp/bench_finders_" + std::to_string(::getpid()) + ".cfg";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(blob.bytes.data(), static_cast<std::streamsize>(blob.bytes.size()));
  }
  const auto g1 = Clock::now();
  std::printf("  (generated %zu bytes, %zu records in %.1f s)\n", blob.bytes.size(), blob.records.size(),
              seconds(g0, g1));
  Window2* w = Window2::instance();
  for (int run = 0; run < 2; ++run) {
    testutil::ScriptedSeams seams;
    seams.openMs = 0;
    seams.files.push_back(path);
    const auto t0 = Clock::now();
    w->FichierPB1_Action();
    QApplication::processEvents();
    const auto t1 = Clock::now();
    std::printf("  run %d: %7.3f s, %d rows, %d unique\n", run + 1, seconds(t0, t1),
                w->List("Listbox1")->LastIndex() + 1, w->List("Listbox2")->LastIndex() + 1);
  }
  std::remove(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qt(argc, argv);
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  App app;
  Window2::instance();
  app.Event_Open();
  QApplication::processEvents();
  const char* only = std::getenv("BENCH_ONLY");
  const char* hexSize = std::getenv("BENCH_HEX_BYTES");
  const size_t hexBytes = hexSize ? std::strtoull(hexSize, nullptr, 10) : 10'000'000;
  if (!only || std::string(only) == "results") benchResults(quick);
  if (!only || std::string(only) == "hex") benchHexText(hexBytes);
  if (!only || std::string(only) == "cfg") benchSettings();
  return 0;
}
