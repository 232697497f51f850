// A million records through the real main window, offscreen: the time from
// a run's start to its last row, the longest turn of the event loop, the
// peak memory and what each record costs on top of the empty program, and
// a digest of both export texts and both lists to compare two builds.
// A plain driver: it prints its figures and asserts nothing.
//
//   million_bench gen-image FILE --records N [--points P]
//   million_bench gen-cfg FILE --records N [--points P]
//   million_bench image FILE       "Image binaire (dd)", then a clear-all
//   million_bench cfg FILE         "Fichier .cfg", then a clear-all
//   million_bench hex --records N  "Champ texte" on N records of pasted text
//   million_bench feed --records N the results step alone, fed batches of
//                                  4,096 distinct records: the dearest batch
//                                  and where, the closing step, a clear-all
// BENCH_NO_DIGEST=1 leaves the digests out (for a profiler).
//
// Generated records are distinct points unless --points P, which repeats P
// points. Records lie back to back with zero gaps, so nothing but them forms
// a marker.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "app/App.h"
#include "framework/gui/Seams.h"
#include "recordgen.h"
#include "records/Results.h"
#include "ui/ThreadDD.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

namespace {
using Clock = std::chrono::steady_clock;
double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

[[noreturn]] void usage() {
  std::fprintf(stderr,
               "usage: million_bench gen-image|gen-cfg FILE --records N [--points P]\n"
               "       million_bench image|cfg FILE\n"
               "       million_bench hex --records N\n");
  std::exit(2);
}

// Record k: a sample place whose first point is made unique by k (or by k
// modulo the number of points).
std::string recordBytes(recordgen::Rng& rng, uint64_t k, uint64_t points) {
  for (;;) {
    recordgen::Place p = recordgen::randomPlace(rng);
    const uint64_t id = points ? k % points : k;
    p.lon1 = static_cast<int32_t>(100000 + id % 3000000);
    p.lat1 = static_cast<int32_t>(4000000 + id / 3000000);
    const std::string r = recordgen::encodeRecord(p);
    if (recordgen::markerPositions(r + std::string(16, '\0')).size() == 1) return r;
  }
}

void generate(const std::string& path, uint64_t count, uint64_t points, bool settings) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  recordgen::Rng rng{13};
  // The gap keeps a record's tail from forming a marker with the next one.
  const std::string gap(16, '\0');
  if (settings) out << "MAPSETTINGS\x01";
  std::string buf;
  for (uint64_t k = 0; k < count; ++k) {
    buf += recordBytes(rng, k, points);
    buf += gap;
    if (buf.size() > (1 << 20)) {
      out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
      buf.clear();
    }
  }
  out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
}

long statusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field, 0) == 0) return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
  return 0;
}
// Makes the peak start again from the memory held now.
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The longest the event loop went without turning while `run` was going.
struct Watch {
  QTimer tick;
  Clock::time_point last = Clock::now();
  double longest = 0;
  Watch() {
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [this] {
      const auto now = Clock::now();
      longest = std::max(longest, std::chrono::duration<double>(now - last).count());
      last = now;
    });
    tick.start(10);
  }
  void restart() {
    last = Clock::now();
    longest = 0;
  }
};

// Turns the event loop until `done`.
void spin(const std::function<bool()>& done) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done()) loop.quit();
  });
  poll.start(1);
  loop.exec();
}

std::string digest(const std::string& s) {
  return QCryptographicHash::hash(QByteArrayView(s.data(), static_cast<qsizetype>(s.size())),
                                  QCryptographicHash::Sha256)
      .toHex()
      .left(16)
      .toStdString();
}

std::string listDigest(const char* name, int& rows) {
  fw::Listbox* l = Window2::instance()->List(name);
  rows = l->LastIndex() + 1;
  QCryptographicHash h(QCryptographicHash::Sha256);
  std::string row;
  for (int r = 0; r < rows; ++r) {
    row.clear();
    for (int c = 0; c < records::kFieldCount; ++c) {
      row += l->Cell(r, c);
      row += c + 1 < records::kFieldCount ? '\t' : '\n';
    }
    h.addData(QByteArrayView(row.data(), static_cast<qsizetype>(row.size())));
  }
  return h.result().toHex().left(16).toStdString();
}

void report(const char* what, double seconds, uint64_t records, double stall, long baseKb) {
  const long peakKb = statusKb("VmHWM:");
  std::printf("%s: %.3f s to the last row, %llu rows, longest event-loop turn %.0f ms\n", what, seconds,
              static_cast<unsigned long long>(records), stall * 1000);
  std::printf("  memory: empty program %ld KiB, peak %ld KiB, %.0f bytes per record over the empty program\n", baseKb,
              peakKb, records ? (peakKb - baseKb) * 1024.0 / static_cast<double>(records) : 0.0);
  if (std::getenv("BENCH_NO_DIGEST")) return;
  int rows0 = 0, rows1 = 0;
  const std::string l0 = listDigest("Listbox1", rows0), l1 = listDigest("Listbox2", rows1);
  const std::string e0 = App::instance().Pressepapier[0], e1 = App::instance().Pressepapier[1];
  std::printf("  digests: list 0 %s (%d rows), list 1 %s (%d rows), export 0 %s (%zu bytes), export 1 %s (%zu bytes)\n",
              l0.c_str(), rows0, l1.c_str(), rows1, digest(e0).c_str(), e0.size(), digest(e1).c_str(), e1.size());
}

// Scrolling to the last row and selecting it, painted.
void scrollAndSelect() {
  fw::Listbox* l = Window2::instance()->List("Listbox1");
  const auto t0 = Clock::now();
  l->scrollToBottom();
  l->selectRow(l->LastIndex());
  QApplication::processEvents();
  const double s1 = since(t0);
  const auto t1 = Clock::now();
  l->scrollToTop();
  l->selectRow(l->LastIndex() / 2);
  QApplication::processEvents();
  std::printf("  scroll to the last row and select it: %.1f ms; to the top, select the middle row: %.1f ms\n",
              s1 * 1000, since(t1) * 1000);
}

// The results step alone, batch by batch.
void feed(uint64_t count) {
  recordgen::Rng rng{3};
  std::vector<records::RecordTexts> all;
  all.reserve(count);
  for (uint64_t k = 0; k < count; ++k) {
    const std::string bytes = recordBytes(rng, k, 0);
    all.push_back(records::DecodeRecord(fw::MemoryBlock::FromBytes(bytes), 0, records::Decoder::MainWindow));
  }
  records::ResultsHost& host = Window2::instance()->Results();
  host.NameTab(0);
  const size_t batch = 4096;
  double worst = 0, total = 0;
  size_t worstAt = 0;
  for (size_t at = 0; at < all.size(); at += batch) {
    const auto t0 = Clock::now();
    records::ajoutePoints(host, std::span(all).subspan(at, std::min(batch, all.size() - at)));
    const double s = since(t0);
    total += s;
    if (s > worst) worst = s, worstAt = at;
    if (std::getenv("BENCH_SLOW") && s > 0.008) std::printf("  batch at %zu rows: %.1f ms\n", at, s * 1000);
  }
  std::printf(
      "results step alone: %llu records in batches of %zu: %.3f s, dearest batch %.1f ms at %zu rows held, "
      "mean %.2f ms\n",
      static_cast<unsigned long long>(count), batch, total, worst * 1000, worstAt,
      total * 1000 / static_cast<double>((all.size() + batch - 1) / batch));
  const auto t1 = Clock::now();
  records::ClosingStep(host);
  std::printf("  closing step: %.3f ms\n", since(t1) * 1000);
  const auto t2 = Clock::now();
  host.NameTab(0);
  std::printf("  clear-all: %.1f ms\n", since(t2) * 1000);
}

// A clear-all of what the run left, timed as the event loop sees it.
void clearAll(Watch& watch) {
  watch.restart();
  const auto t0 = Clock::now();
  bool done = false;
  QTimer::singleShot(0, [&] {
    App::instance().NameTab(0);
    done = true;
  });
  spin([&] { return done && since(t0) > 0.3; });
  std::printf("  clear-all: longest event-loop turn %.0f ms\n", watch.longest * 1000);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) usage();
  const std::string mode = argv[1];
  std::string file;
  uint64_t count = 0, points = 0;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--records" && i + 1 < argc) count = std::stoull(argv[++i]);
    else if (a == "--points" && i + 1 < argc) points = std::stoull(argv[++i]);
    else if (file.empty() && a[0] != '-') file = a;
    else usage();
  }
  if (mode == "gen-image" || mode == "gen-cfg") {
    if (file.empty() || count == 0) usage();
    generate(file, count, points, mode == "gen-cfg");
    return 0;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qt(argc, argv);
  App app;
  app.Event_Open();
  Window2* w = Window2::instance();
  QApplication::processEvents();

  if (mode == "feed") {
    if (count == 0) usage();
    feed(count);
    return 0;
  }
  if (mode == "hex") {
    if (count == 0) usage();
    recordgen::Rng rng{5};
    std::string text;
    for (uint64_t k = 0; k < count; ++k) {
      text += recordgen::toHexUpper(recordBytes(rng, k, points));
      text += '\n';
    }
    w->Control<fw::TextArea>("TextSource")->SetText(QString::fromStdString(text));
    text = std::string();
    QApplication::processEvents();
  } else if (file.empty()) {
    usage();
  }

  Watch watch;
  spin([t0 = Clock::now()] { return since(t0) > 0.2; });
  const long baseKb = statusKb("VmRSS:");
  resetPeak();
  watch.restart();
  const auto t0 = Clock::now();
  double seconds = 0;
  if (mode == "image") {
    testutil::ScriptedSeams seams;
    seams.openMs = 0;
    seams.files.push_back(file);
    w->ImagePB1_Action();
    spin([] { return !ThreadDD::Running(); });
    seconds = since(t0);
  } else {
    testutil::ScriptedSeams seams;
    seams.openMs = 0;
    seams.files.push_back(file);
    bool done = false;
    QTimer::singleShot(0, [&] {
      if (mode == "cfg") w->FichierPB1_Action();
      else w->ChampTextePB_Action();
      seconds = since(t0);
      done = true;
    });
    spin([&] { return done; });
  }
  const double stall = watch.longest;
  const uint64_t rows = static_cast<uint64_t>(w->List("Listbox1")->LastIndex() + 1);
  const char* what = mode == "image" ? "Image binaire (dd)" : mode == "cfg" ? "Fichier .cfg" : "Champ texte";
  report(what, seconds, rows, stall, baseKb);
  scrollAndSelect();
  clearAll(watch);
  return 0;
}
