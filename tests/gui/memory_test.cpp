// Running out of memory in the middle of a run: a file packed with record
// markers, read by "Fichier .cfg" and by "Image binaire (dd)" in a child
// process whose address space is limited, must end the run with what was
// found so far listed, closed like any run, and the investigator told.
//
// The child can be run by hand, e.g. with the whole 140 MB file and 3 GB:
//   memory_test --child image|cfg FILE 3072     (limit in MiB)
//   memory_test --child image|cfg FILE +200     (MiB above what it holds)
#include <sys/resource.h>

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "app/App.h"
#include "framework/core/Text.h"
#include "framework/gui/Seams.h"
#include "records/HexText.h"
#include "records/Results.h"
#include "ui/Messages.h"
#include "ui/ThreadDD.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

#include "gui_fixture.h"

namespace {

// The 14 bytes of a marker whose codes are 3 and 5: packed back to back,
// every one starts a record whose fields are the markers after it.
const std::string kMarker("\x04\x00\x03\x00\x00\x00\x04\x00\x05\x00\x00\x00\x08\x00", 14);
constexpr int kMarkers = 10'000'000;

// A count as the messages write it, digits grouped by three with a
// no-break space (C2 A0 in UTF-8): the tests' own writer, not the program's.
std::string grouped(long n) {
  std::string digits = std::to_string(n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<size_t>(at), "\xC2\xA0");
  return digits;
}

// Runs one source under the limit, then, the limit lifted, prints what the
// window shows.
int child(const std::string& kind, const std::string& file, const std::string& limit) {
  int argc = 1;
  char name[] = "memory_test";
  char* argv[] = {name, nullptr};
  QApplication qt(argc, argv);
  testing_gui::GuiFixture<> gui;
  App& app = gui.app();
  Window2* w = gui.window();
  if (kind == "text") {
    // `file` markers as hex text, packed as in the file, a hundred a line:
    // each starts a record, whose fields are the markers after it. Their
    // codes have the longest names, so that the lists need more memory
    // than the text's copies.
    const QString marker = QString::fromStdString(records::HexTextOf(
        fw::MemoryBlock::FromBytes(std::string("\x04\x00\x04\x00\x00\x00\x04\x00\x01\x00\x00\x00\x08\x00", 14))));
    QString text;
    const long count = std::stol(file);
    text.reserve((marker.size() + 1) * count);
    for (long i = 1; i <= count; ++i) {
      text += marker;
      if (i % 100 == 0) text += '\n';
    }
    w->Control<fw::TextArea>("TextSource")->SetText(text);
  }
  QApplication::processEvents();

  rlimit old{};
  ::getrlimit(RLIMIT_AS, &old);
  const long mib = std::stol(limit[0] == '+' ? limit.substr(1) : limit);
  rlimit low = old;
  low.rlim_cur = (static_cast<rlim_t>(limit[0] == '+' ? testing_gui::VmSizeKb() / 1024 : 0) + static_cast<rlim_t>(mib))
                 << 20;
  if (::setrlimit(RLIMIT_AS, &low) != 0) return 3;

  testutil::ScriptedSeams seams;
  seams.files.push_back(file);
  if (kind == "cfg") {
    w->FichierPB1_Action();
  } else if (kind == "hidden") {
    w->FichierPB11_Action();
  } else if (kind == "text") {
    w->ChampTextePB_Action();
  } else {
    w->ImagePB1_Action();
    QElapsedTimer t;
    t.start();
    while (ThreadDD::Running() && t.elapsed() < 120000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  ::setrlimit(RLIMIT_AS, &old);

  const int rows = w->List("Listbox1")->LastIndex() + 1;
  std::cout << "rows " << rows << "\n";
  std::cout << "unique " << w->List("Listbox2")->LastIndex() + 1 << "\n";
  // The closing step was done: the export text starts with its header and
  // holds a line per row.
  const std::string text = app.Pressepapier[0];
  const bool closed =
      text.rfind(records::EnteteTabule + "\r", 0) == 0 && std::count(text.begin(), text.end(), '\r') == rows;
  std::cout << "closed " << (closed ? "yes" : "no") << "\n";
  for (const QString& m : seams.messages) std::cout << "message " << m.toStdString() << "\n";
  std::cout.flush();
  return 0;
}

}  // namespace

class MemoryTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  std::string packed_;

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    // 10,000,000 markers, 140 MB.
    packed_ = dir_.filePath("packed.bin").toStdString();
    std::string bytes;
    bytes.reserve(kMarker.size() * kMarkers);
    for (int i = 0; i < kMarkers; ++i) bytes += kMarker;
    std::ofstream(packed_, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  // The file's 10,000,000 records take about 1.7 GB now, which fits in
  // 3 GB: the child gets 1000 MiB above what it holds once started instead,
  // where they do not fit (and which leaves the scan's threads and reading
  // buffers their room). The pasted text of 2,000,000 markers: its copies
  // fit in 450 MiB more (400 under the sanitizer), its records do not.
  void runOutOfMemory_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("limit");
    QTest::addColumn<long>("total");
    QTest::addColumn<QString>("unique");  // a pattern
    const QString packed = QString::fromStdString(packed_);
    QTest::newRow("Fichier .cfg") << "cfg" << packed << "+1000" << long{kMarkers} << "1";
    QTest::newRow("Image binaire (dd)") << "image" << packed << "+1000" << long{kMarkers} << "1";
    // The sanitizer's allocator takes more for the text's copies and keeps
    // no arena per thread: its margin between the two is another.
#if defined(__SANITIZE_ADDRESS__)
    const QString textRoom = "+400";
#else
    const QString textRoom = "+450";
#endif
    QTest::newRow("Champ texte") << "text"
                                 << "2000000" << textRoom << 2'000'000L << "\\d+";
    // The hidden twin fills the all-records list alone.
    QTest::newRow("hidden file button") << "hidden" << packed << "+1000" << long{kMarkers} << "0";
  }
  void runOutOfMemory() {
    QFETCH(QString, kind);
    QFETCH(QString, source);
    QFETCH(QString, limit);
    QFETCH(long, total);
    QFETCH(QString, unique);
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {"--child", kind, source, limit});
    QVERIFY(p.waitForFinished(180000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
             qPrintable(out + QString::fromUtf8(p.readAllStandardError())));
    const QRegularExpressionMatch rows =
        QRegularExpression("^rows (\\d+)$", QRegularExpression::MultilineOption).match(out);
    QVERIFY2(rows.hasMatch(), qPrintable(out));
    const long n = rows.captured(1).toLong();
    // Some records were kept, not all of them.
    QVERIFY2(n > 0 && n < total, qPrintable(out));
    QVERIFY2(QRegularExpression("\nunique " + unique + "\n").match(out).hasMatch(), qPrintable(out));
    QVERIFY2(out.contains("\nclosed yes\n"), qPrintable(out));
    const QString message =
        QString::fromStdString("message Mémoire insuffisante : la recherche s'est arrêtée après " + grouped(n) +
                               " enregistrements ; les résultats affichés ne portent que sur cette partie.\n");
    QVERIFY2(out.contains(message), qPrintable(out));
    QCOMPARE(out.count("message "), 1);
  }

  // French takes the singular below 2.
  void countInTheMessage() {
    const std::string tail = " ; les résultats affichés ne portent que sur cette partie.";
    const std::string head = "Mémoire insuffisante : la recherche s'est arrêtée après ";
    auto said = [](uint64_t kept) {
      const records::Outcome o{records::RunEnd::MemoryShort, 0, kept, true};
      return ui::EndMessage(ui::SourceKind::File, "x.cfg", o).value_or(QString()).toStdString();
    };
    QCOMPARE(said(0), head + "0 enregistrement" + tail);
    QCOMPARE(said(1), head + "1 enregistrement" + tail);
    QCOMPARE(said(2), head + "2 enregistrements" + tail);
    QCOMPARE(said(1234567), head + "1\u00a0234\u00a0567 enregistrements" + tail);
  }
};

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--child") return child(argv[2], argv[3], argv[4]);
  QApplication qt(argc, argv);
  MemoryTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "memory_test.moc"
