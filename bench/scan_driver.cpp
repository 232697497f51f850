// Times a whole scan of a card image through the scan's own code (the
// chunk reader, the search window, the decoder; with --ui also the scan
// thread and the results step in an offscreen main window), and in the
// same run plain 10,000,000-byte reads of the same file to /dev/null.
//
//   scan_driver --image FILE [--repeat N] [--workers N] [--ui]
//   scan_driver --generate FILE --size BYTES [--records N] [--sparse] [--keep] [...]
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/App.h"
#include "framework/core/BinaryStream.h"
#include "framework/gui/Seams.h"
#include "imagescan/ChunkReader.h"
#include "imagescan/ScanEngine.h"
#include "recordgen.h"
#include "ui/ThreadDD.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr int64_t kRead = 10'000'000;

[[noreturn]] void usage() {
  std::fprintf(stderr,
               "usage: scan_driver --image FILE [--repeat N] [--workers N] [--ui]\n"
               "       scan_driver --generate FILE --size BYTES [--records N] [--sparse] [--keep] [...]\n");
  std::exit(2);
}

// Zeros, a quarter of the 1 MiB stretches random, and records spread over
// the whole image. A sparse image writes only the records.
void generate(const std::string& path, uint64_t size, uint64_t count, bool sparse) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    std::perror(path.c_str());
    std::exit(1);
  }
  recordgen::Rng rng{7};
  const uint64_t stretch = 1 << 20;
  if (!sparse) {
    std::string noise;
    for (uint64_t off = 0; off + stretch <= size; off += stretch) {
      if (!rng.chance(25)) continue;
      noise = rng.bytes(stretch);
      for (char& c : noise)
        if (c == 4) c = 5;  // no stray markers: the record count is exact
      if (::pwrite(fd, noise.data(), noise.size(), static_cast<off_t>(off)) < 0) std::exit(1);
    }
  }
  const auto& places = recordgen::samplePlaces();
  for (uint64_t k = 0; k < count; ++k) {
    const std::string r = recordgen::encodeRecord(places[k % places.size()]);
    const uint64_t slot = size / count;
    const uint64_t off = k * slot + rng.below(slot > r.size() ? slot - r.size() : 1);
    if (off + r.size() > size) break;
    if (::pwrite(fd, r.data(), r.size(), static_cast<off_t>(off)) < 0) std::exit(1);
  }
  ::close(fd);
}

double plainRead(const std::string& path, uint64_t& bytes) {
  std::vector<char> buf(kRead);
  const int in = ::open(path.c_str(), O_RDONLY);
  const int out = ::open("/dev/null", O_WRONLY);
  const auto t0 = Clock::now();
  bytes = 0;
  for (;;) {
    const ssize_t r = ::read(in, buf.data(), buf.size());
    if (r <= 0) break;
    bytes += static_cast<uint64_t>(r);
    if (::write(out, buf.data(), static_cast<size_t>(r)) < 0) break;
  }
  const double s = std::chrono::duration<double>(Clock::now() - t0).count();
  ::close(in);
  ::close(out);
  return s;
}

struct Counter : records::RecordSink {
  uint64_t records = 0, bytes = 0;
  records::RunEnd end{};
  void Begin() override {}
  bool Read(uint64_t b) override { return bytes = b, true; }
  bool Records(std::vector<records::RecordTexts>&& batch) override { return records += batch.size(), true; }
  void Finish(records::RunEnd e, uint64_t b) override { end = e, bytes = b; }
};

double engineScan(const std::string& path, Counter& c, int workers) {
  const auto t0 = Clock::now();
  auto stream = fw::BinaryStream::Open(path);
  if (!stream) usage();
  {
    imagescan::ChunkReader reader(*stream, imagescan::TailleBloc, workers);
    imagescan::RunScan(reader, c, {});
  }
  stream->Close();
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// `stall`: the longest the event loop went without turning during the scan.
double uiScan(const std::string& path, int& rows, double& stall) {
  testutil::ScriptedSeams seams;
  seams.openMs = 0;
  seams.files.push_back(path);
  Window2* w = Window2::instance();
  const auto t0 = Clock::now();
  w->ImagePB1_Action();
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!ThreadDD::Running()) loop.quit();
  });
  auto last = Clock::now();
  stall = 0;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    const auto now = Clock::now();
    stall = std::max(stall, std::chrono::duration<double>(now - last).count());
    last = now;
  });
  poll.start(1);
  loop.exec();
  const double s = std::chrono::duration<double>(Clock::now() - t0).count();
  rows = w->List("Listbox1")->LastIndex() + 1;
  return s;
}

long peakRssKb() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}
}  // namespace

int main(int argc, char** argv) {
  std::string image, generated;
  uint64_t size = 0, count = 3000;
  bool sparse = false, ui = false, keep = false;
  int repeat = 3;
  int workers = imagescan::ChunkReader::DefaultWorkers();
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) usage();
      return argv[++i];
    };
    if (a == "--image") image = value();
    else if (a == "--generate") generated = value();
    else if (a == "--size") size = std::stoull(value());
    else if (a == "--records") count = std::stoull(value());
    else if (a == "--repeat") repeat = std::stoi(value());
    else if (a == "--workers") workers = std::stoi(value());
    else if (a == "--sparse") sparse = true;
    else if (a == "--ui") ui = true;
    else if (a == "--keep") keep = true;
    else usage();
  }
  if (image.empty() == generated.empty()) usage();
  if (!generated.empty()) {
    if (size == 0) usage();
    generate(generated, size, count, sparse);
    image = generated;
  }

  double bestRead = 1e30, bestScan = 1e30;
  uint64_t bytes = 0;
  Counter c;
  for (int k = 0; k < repeat; ++k) {
    bestRead = std::min(bestRead, plainRead(image, bytes));
    c = Counter{};
    bestScan = std::min(bestScan, engineScan(image, c, workers));
  }
  const double gb = static_cast<double>(bytes) / 1e9;
  std::printf("image        %s, %llu bytes, %llu records\n", image.c_str(), static_cast<unsigned long long>(bytes),
              static_cast<unsigned long long>(c.records));
  std::printf("plain read   %.3f s  %.2f GB/s  (10,000,000-byte reads to /dev/null)\n", bestRead, gb / bestRead);
  std::printf("scan         %.3f s  %.2f GB/s  (%.0f%% of plain read, %d reading threads)%s\n", bestScan, gb / bestScan,
              100.0 * bestRead / bestScan, workers, c.end == records::RunEnd::Done ? "" : "  NOT DONE");
  std::printf("peak RSS     %ld KiB (engine)\n", peakRssKb());

  if (ui) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication qt(argc, argv);
    App app;
    double best = 1e30, worstStall = 0;
    int rows = 0;
    for (int k = 0; k < repeat; ++k) {
      double stall = 0;
      best = std::min(best, uiScan(image, rows, stall));
      worstStall = std::max(worstStall, stall);
    }
    std::printf("scan + UI    %.3f s  %.2f GB/s  (%.0f%% of plain read), %d rows, event loop stalled %.0f ms at most\n",
                best, gb / best, 100.0 * bestRead / best, rows, worstStall * 1000);
    std::printf("peak RSS     %ld KiB (with the window)\n", peakRssKb());
  }
  if (!generated.empty() && !keep) std::remove(generated.c_str());
  return 0;
}
