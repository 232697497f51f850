// A card or file whose reads fail from a given offset, as a failing reader
// does (EIO): the message counts the bytes read, the progress is hidden,
// and a first read that fails leaves the earlier results as they were.
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <fstream>

#include "app/App.h"
#include "framework/gui/Seams.h"
#include "recordgen.h"
#include "run_state.h"
#include "ui/ThreadDD.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

#include "gui_fixture.h"

namespace {
// The file whose reads fail (by device and inode), and the offset from
// which they do; reads of every other file go through unchanged.
std::atomic<dev_t> failDev{0};
std::atomic<ino_t> failIno{0};
std::atomic<int64_t> failFrom{0};

ssize_t failingPread(int fd, void* buf, size_t n, off_t off) {
  struct stat st {};
  if (failIno.load() != 0 && ::fstat(fd, &st) == 0 && st.st_ino == failIno.load() && st.st_dev == failDev.load()) {
    if (off >= failFrom.load()) {
      errno = EIO;
      return -1;
    }
    n = std::min<size_t>(n, static_cast<size_t>(failFrom.load() - off));
  }
  return static_cast<ssize_t>(::syscall(SYS_pread64, fd, buf, n, off));
}
}  // namespace

// The stream's positioned reads resolve to these in this test program.
extern "C" ssize_t pread(int fd, void* buf, size_t n, off_t off) { return failingPread(fd, buf, n, off); }
extern "C" ssize_t pread64(int fd, void* buf, size_t n, off64_t off) { return failingPread(fd, buf, n, off); }

using namespace testing_gui;

class ReadFailureTest : public QObject {
  Q_OBJECT
  GuiFixture<> gui;
  QTemporaryDir dir;

  // A file holding records, whose reads fail from `from` on.
  std::string failingFile(int64_t from) {
    std::string bytes(4000, '\0');
    const std::string r = recordgen::encodeRecord(recordgen::samplePlaces()[0]);
    for (size_t at : {0, 1500, 3000}) std::copy(r.begin(), r.end(), bytes.begin() + static_cast<int64_t>(at));
    const std::string path = dir.filePath("failing.img").toStdString();
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    struct stat st {};
    ::stat(path.c_str(), &st);
    failFrom = from;
    failDev = st.st_dev;
    failIno = st.st_ino;
    return path;
  }

 private slots:
  void initTestCase() { QVERIFY(dir.isValid()); }
  void cleanup() { failIno = 0; }

  void readsThatFail_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("message");
    const QString scan =
        "Erreur de lecture : l'analyse s'est arrêtée après %1 ; les résultats affichés ne portent "
        "que sur cette partie de l'image.";
    const QString file =
        "Erreur de lecture : la lecture s'est arrêtée après %1 ; les résultats affichés ne portent "
        "que sur cette partie du fichier.";
    const QString nothing = "Erreur de lecture : « failing.img » n'a pas pu être lu ; aucun résultat n'en provient.";
    QTest::newRow("scan, first read") << "ImagePB1" << 0 << nothing;
    QTest::newRow("scan, after one byte") << "ImagePB1" << 1 << scan.arg("1 octet");
    QTest::newRow("scan, after 1500 bytes") << "ImagePB1" << 1500 << scan.arg("1\u00a0500 octets");
    QTest::newRow("settings file, first read") << "FichierPB1" << 0 << nothing;
    QTest::newRow("settings file, after one byte") << "FichierPB1" << 1 << file.arg("1 octet");
  }
  void readsThatFail() {
    QFETCH(QString, source);
    QFETCH(int, from);
    QFETCH(QString, message);
    Window2* w = Window2::instance();
    // Earlier results: the sample text's records, header and captions.
    {
      testutil::ScriptedSeams seams;
      w->ChampTextePB_Action();
    }
    const RunState before = Capture();
    QVERIFY(!before.rows[0].empty());

    testutil::ScriptedSeams seams;
    seams.files.push_back(failingFile(from));
    if (source == "ImagePB1") {
      w->ImagePB1_Action();
      QTRY_VERIFY_WITH_TIMEOUT(ThreadDD::Running() == nullptr, 60000);
    } else {
      w->FichierPB1_Action();
    }
    QCOMPARE(seams.messages, std::vector<QString>{message});
    for (const char* name : {"ProgressBar1", "CurProgressionST", "MaxProgressionST"})
      QVERIFY2(!w->ControlVisible(w->ControlByName(name)), name);
    for (const char* name : {"ImagePB1", "FichierPB1", "ChampTextePB"})
      QVERIFY2(w->ControlByName(name)->isEnabled(), name);
    const RunState after = Capture();
    if (from == 0) {
      // Nothing was read: the earlier results stand, their header once.
      const std::string d = Difference(after, before);
      QVERIFY2(d.empty(), d.c_str());
    } else {
      // What was read is searched: the first record when it was read whole.
      QCOMPARE(after.rows[0].size(), size_t{from >= 1500 ? 1u : 0u});
      QVERIFY(after.texts[0].rfind(kHeader, 0) == 0);
      QVERIFY(after.texts[0].find(kHeader, 1) == std::string::npos);
    }
  }
};

QTEST_MAIN(ReadFailureTest)
#include "read_failure_test.moc"
