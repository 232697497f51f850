// The end of a scan shown while the scan's thread is still ending: the end
// message is a modal box, whose event loop delivers the thread's end and
// whatever that lets go of. Whatever box or window is open when a scan
// ends, the results the message speaks of stay, the program goes on (a new
// scan, then "Quitter" with status 0), and nothing it freed is used.
//
// Each case runs in a child process through the program's own start-up,
// event loop and exit; a failing card reader is stood in by the stream's
// positioned read: the second chunk fails with EIO, and every read further
// on takes 0.8 s, so that the thread ends well after its end is shown.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <cerrno>
#include <fstream>
#include <iostream>
#include <thread>

#include "app/Startup.h"
#include "framework/core/BinaryStream.h"
#include "recordgen.h"
#include "run_state.h"
#include "ui/About_W.h"
#include "ui/ThreadDD.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

using namespace testing_gui;

namespace {
constexpr int64_t M10 = 10'000'000;

// The failing image, by inode: reads of other files go through unchanged.
std::atomic<ino_t> failingIno{0};

ssize_t FailingCardRead(int fd, void* buf, size_t n, off_t off) {
  struct stat st {};
  if (failingIno.load() != 0 && ::fstat(fd, &st) == 0 && st.st_ino == failingIno.load()) {
    if (off >= M10 && off < 2 * M10) {
      errno = EIO;
      return -1;
    }
    if (off >= 2 * M10) std::this_thread::sleep_for(std::chrono::milliseconds(800));
  }
  return ::pread(fd, buf, n, off);
}

// An image of `size` bytes with `records` sample records near its start.
void WriteImage(const std::string& path, int64_t size, int records) {
  std::string bytes(1000, '\0');
  for (int k = 0; k < records; ++k) {
    bytes += recordgen::encodeRecord(recordgen::samplePlaces()[static_cast<size_t>(k)]);
    bytes += std::string(30, '\0');
  }
  bytes.resize(static_cast<size_t>(size), '\0');
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The child: `how` is "read-error", "real-box", "ok-box", "about" or
// "memory". It prints
// what it saw, one fact per line, and returns the program's exit status.
int Child(const std::string& how, const std::string& failing, const std::string& good) {
  int argc = 1;
  char name[] = "scan_end_test";
  char* argv[] = {name, nullptr};
  QApplication qt(argc, argv);
  QApplication::setQuitOnLastWindowClosed(true);
  struct stat st {};
  if (::stat(failing.c_str(), &st) != 0) return 3;
  if (how != "memory") failingIno = st.st_ino;
  fw::BinaryStream::SetPositionedRead(FailingCardRead);

  testutil::ScriptedSeams seams;
  seams.files = {failing, good};
  QPointer<ThreadDD> first;
  bool firstEnded = false;
  rlimit unlimited{};
  ::getrlimit(RLIMIT_AS, &unlimited);
  std::optional<RunState> shownWithTheEnd;
  // Every box stays open until the first scan's thread has ended.
  seams.closeWhen = [&] { return first.isNull() || first->isFinished(); };
  seams.whileOpen = [&](const QString& text) {
    std::cout << "box " << text.toStdString() << std::endl;
    if (text.startsWith("Erreur") || text.startsWith("Mémoire")) {
      ::setrlimit(RLIMIT_AS, &unlimited);
      shownWithTheEnd = Capture();
    }
  };

  QTimer::singleShot(0, [&] {
    Window2* w = Window2::instance();
    QObject::connect(w, &QObject::destroyed, [] { std::cout << "window destroyed" << std::endl; });
    if (how == "memory") {
      // Room for the reader's threads and buffers, not for the records. The
      // sanitizer's allocator keeps no address space per thread, where the
      // system's keeps an arena for each: it needs less above its start.
#if defined(__SANITIZE_ADDRESS__)
      constexpr long kRoomMiB = 400;
#else
      constexpr long kRoomMiB = 1000;
#endif
      rlimit low = unlimited;
      low.rlim_cur = static_cast<rlim_t>(VmSizeKb() / 1024 + kRoomMiB) << 20;
      ::setrlimit(RLIMIT_AS, &low);
    }
    w->ImagePB1_Action();
    first = ThreadDD::Running();
    QObject::connect(first, &ThreadDD::Ended, [&] { firstEnded = true; });
    std::cout << (first ? "scan started" : "no scan") << std::endl;
    if (how == "about") About_W::instance(w)->Show();
    if (how == "ok-box") {
      // "OK" with nothing to copy: its box is open when the scan ends.
      w->Control<fw::TabPanel>("TabPanel1")->setCurrentIndex(2);
      w->PushButton1_Action();
    }
  });

  // Once the first scan's end has been shown and its box closed: the
  // results as the message found them, then a second scan, then quitting.
  int step = 0;
  seams.realMessageBoxes = how == "real-box";
  bool realBoxSeen = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    Window2* w = Window2::instance();
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      // The real box: looked at as it opens, closed with Return once the
      // scan's thread has ended.
      if (!realBoxSeen) {
        realBoxSeen = true;
        seams.whileOpen(box->text());
        std::cout << "plain text " << (box->textFormat() == Qt::PlainText ? "yes" : "no") << std::endl;
      }
      if (first.isNull() || first->isFinished()) QTest::keyClick(box, Qt::Key_Return);
      return;
    }
    if (step == 0 && firstEnded && seams.boxesOpen == 0) {
      step = 1;
      std::cout << "thread gone " << (first.isNull() ? "yes" : "no") << std::endl;
      std::cout << "results kept " << (shownWithTheEnd && Capture() == *shownWithTheEnd ? "yes" : "no") << std::endl;
      std::cout << "rows " << w->List("Listbox1")->LastIndex() + 1 << std::endl;
      if (About_W::isOpen()) About_W::instance()->close();
      w->Control<fw::TabPanel>("TabPanel1")->setCurrentIndex(0);
      w->ImagePB1_Action();
      std::cout << (ThreadDD::Running() ? "second scan started" : "no second scan") << std::endl;
    } else if (step == 1 && !ThreadDD::Running()) {
      step = 2;
      std::cout << "second rows " << w->List("Listbox1")->LastIndex() + 1 << std::endl;
      std::cout << "second export " << (App::instance().ExportText(0).rfind(kHeader + "\r", 0) == 0 ? "yes" : "no")
                << std::endl;
      w->Control<fw::PushButton>("PushButton2")->click();
    }
  });
  poll.start(10);
  return RunEventLoop();
}
}  // namespace

class ScanEndTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  std::string failing, good, packed;

 private slots:
  void initTestCase() {
    QVERIFY(dir.isValid());
    failing = dir.filePath("failing.img").toStdString();
    WriteImage(failing, 6 * M10, 12);
    good = dir.filePath("good.img").toStdString();
    WriteImage(good, 3 * M10 + 5, 5);
    // 10,000,000 markers packed back to back: each starts a record, more
    // than fit in the memory the child is given.
    packed = dir.filePath("packed.img").toStdString();
    const std::string marker("\x04\x00\x03\x00\x00\x00\x04\x00\x05\x00\x00\x00\x08\x00", 14);
    std::string bytes;
    bytes.reserve(marker.size() * 10'000'000);
    for (int i = 0; i < 10'000'000; ++i) bytes += marker;
    std::ofstream(packed, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  void theEndOutlivesItsBox_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("message");
    const QString readError =
        "box Erreur de lecture : l'analyse s'est arrêtée après 10\u00a0000\u00a0000 octets ; les résultats affichés "
        "ne portent que sur cette partie de l'image.";
    QTest::newRow("read error") << "read-error" << readError;
    QTest::newRow("read error, the real box") << "real-box" << readError;
    QTest::newRow("\"OK\" box open") << "ok-box" << readError;
    QTest::newRow("about window open") << "about" << readError;
    QTest::newRow("memory short") << "memory"
                                  << "box Mémoire insuffisante : la recherche s'est arrêtée après ";
  }
  void theEndOutlivesItsBox() {
    QFETCH(QString, how);
    QFETCH(QString, message);
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(),
            {"--child", how, QString::fromStdString(how == "memory" ? packed : failing), QString::fromStdString(good)});
    QVERIFY(p.waitForFinished(240000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, qPrintable(out + err));
    QVERIFY2(out.contains("scan started\n"), qPrintable(out));
    QVERIFY2(out.contains(message), qPrintable(out));
    // The thread had ended and its objects had gone by the time the box
    // closed: the case the box's own event loop makes.
    QVERIFY2(out.contains("thread gone yes\n"), qPrintable(out));
    QVERIFY2(out.contains("results kept yes\n"), qPrintable(out));
    if (how != "memory") QVERIFY2(out.contains("\nrows 12\n"), qPrintable(out));
    if (how == "real-box") QVERIFY2(out.contains("\nplain text yes\n"), qPrintable(out));
    QVERIFY2(out.contains("second scan started\n"), qPrintable(out));
    QVERIFY2(out.contains("second rows 5\n"), qPrintable(out));
    QVERIFY2(out.contains("second export yes\n"), qPrintable(out));
  }
};

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--child") return Child(argv[2], argv[3], argv[4]);
  QApplication qt(argc, argv);
  ScanEndTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "scan_end_test.moc"
