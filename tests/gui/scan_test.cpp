// The card-image scan from its button: the dialog, the progress controls,
// the results in the lists and export texts, the buttons held during a run,
// read errors, and stopping when the program quits or the window closes.
#include <sys/stat.h>
#include <unistd.h>
#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <fstream>
#include <iostream>
#include <set>
#include <system_error>

#include "app/App.h"
#include "app/MenuBar1.h"
#include "app/Startup.h"
#include "framework/core/BinaryStream.h"
#include "framework/core/MemoryBlock.h"
#include "framework/core/Text.h"
#include "framework/gui/Seams.h"
#include "imagescan/ChunkReader.h"
#include "recordgen.h"
#include "records/Results.h"
#include "ui/DetailsPanel.h"
#include "ui/ThreadDD.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

#include "gui_fixture.h"

namespace {
constexpr int64_t M10 = 10'000'000;
constexpr int kWaitMs = 60000;
const char* const kSources[] = {"ImagePB1", "FichierPB1", "ChampTextePB", "CleanPB"};

std::string Count(uint64_t n) { return fw::GroupedThousands(static_cast<double>(n)); }

// An image in memory: zeros, a stretch of noise, and records at chosen
// offsets; it knows the rows a scan must list.
struct Image {
  std::string bytes;
  std::vector<std::string> recordBytes;  // in image order

  explicit Image(int64_t size) : bytes(static_cast<size_t>(size), '\0') {
    recordgen::Rng rng{42};
    // Noise that holds no marker (no byte 4).
    const int64_t noise = std::min<int64_t>(size / 3, 200'000);
    for (int64_t i = size / 3; i < size / 3 + noise; ++i) {
      char c = static_cast<char>(rng.next() >> 56);
      bytes[static_cast<size_t>(i)] = c == 4 ? 5 : c;
    }
  }
  void put(int64_t at, const recordgen::Place& p) {
    const std::string r = recordgen::encodeRecord(p);
    std::copy(r.begin(), r.end(), bytes.begin() + at);
    recordBytes.push_back(r);
  }
  records::RecordTexts expected(size_t k) const {
    return records::DecodeRecord(fw::MemoryBlock::FromBytes(recordBytes[k]), 0, records::Decoder::Scan);
  }
  std::string write(const QTemporaryDir& dir, const char* name) const {
    const std::string path = dir.filePath(name).toStdString();
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
};

const recordgen::Place& place(size_t k) { return recordgen::samplePlaces()[k % recordgen::samplePlaces().size()]; }

std::vector<std::string> row(fw::Listbox* l, int r) {
  std::vector<std::string> out;
  for (int c = 0; c < records::kFieldCount; ++c) out.push_back(l->Cell(r, c));
  return out;
}
std::vector<std::string> texts(const records::RecordTexts& t) { return {t.text.begin(), t.text.end()}; }
std::vector<std::string> panel(Window2* w) {
  std::vector<std::string> out;
  for (const char* n : ui::kPanelLabels) out.push_back(w->Label(n)->Text());
  return out;
}
bool shown(Window2* w, const char* name) { return w->ControlVisible(w->ControlByName(name)); }

// The child side of the quit tests: a scan of a huge image, then the
// program is quit (or its window closed) while the scan runs.
int quitDuringScan(int argc, char** argv) {
  QApplication qt(argc, argv);
  testing_gui::GuiFixture<> gui;
  Window2* w = gui.window();
  testutil::ScriptedSeams seams;
  seams.files.push_back(std::string(argv[2]));
  w->ImagePB1_Action();
  const bool close = std::string(argv[1]) == "--close-during-scan";
  QTimer::singleShot(300, [close] {
    std::cout << (ThreadDD::Running() ? "running" : "idle") << std::endl;
    if (close) Window2::instance()->close();
    else QCoreApplication::quit();
  });
  return qt.exec();
}
// The child side of the hanging-read tests: every read past the first
// chunk blocks in the kernel, on a pipe nobody writes to, as a failing card
// reader's does; once a read hangs, the program is quit in one of the
// user's three ways. The child runs the program's own event loop and exit.
int hangingReadPipe[2] = {-1, -1};
std::atomic<bool> aReadHangs{false};
ssize_t hangingRead(int fd, void* buf, size_t count, off_t offset) {
  if (offset >= M10) {
    aReadHangs = true;
    char c;
    return ::read(hangingReadPipe[0], &c, 1);  // never returns
  }
  return ::pread(fd, buf, count, offset);
}

int quitDuringHangingRead(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setQuitOnLastWindowClosed(true);
  if (::pipe(hangingReadPipe) != 0) return 3;
  fw::BinaryStream::SetPositionedRead(hangingRead);
  testutil::ScriptedSeams seams;
  seams.files.push_back(std::string(argv[2]));
  const std::string how = argv[1];
  QTimer untilAReadHangs;
  QObject::connect(&untilAReadHangs, &QTimer::timeout, [&] {
    if (!aReadHangs) return;
    untilAReadHangs.stop();
    std::cout << (ThreadDD::Running() ? "running" : "idle") << std::endl;
    if (how == "--hang-button") Window2::instance()->Control<fw::PushButton>("PushButton2")->click();
    else if (how == "--hang-menu") MenuBar1::instance()->Child("FileMenu")->findChild<QAction*>("FileQuit")->trigger();
    else Window2::instance()->close();
  });
  QTimer::singleShot(0, [&] {
    Window2::instance()->ImagePB1_Action();
    untilAReadHangs.start(5);
  });
  return RunEventLoop();
}
}  // namespace

class ScanTest : public QObject {
  Q_OBJECT
  testing_gui::GuiFixture<> gui;
  App& app = gui.app();
  QTemporaryDir dir;

  // Runs a scan of `path` to its end.
  void scan(testutil::ScriptedSeams& seams, const std::string& path) {
    seams.files.push_back(path);
    Window2::instance()->ImagePB1_Action();
    QTRY_VERIFY_WITH_TIMEOUT(ThreadDD::Running() == nullptr, kWaitMs);
  }
  // What a finished scan of `img` must show.
  void checkResults(Window2* w, const Image& img) {
    fw::Listbox* all = w->List("Listbox1");
    QCOMPARE(all->LastIndex() + 1, static_cast<int>(img.recordBytes.size()));
    std::string export0, export1;
    std::set<std::pair<std::string, std::string>> points;
    int unique = 0;
    for (size_t k = 0; k < img.recordBytes.size(); ++k) {
      const auto e = img.expected(k);
      QCOMPARE(row(all, static_cast<int>(k)), texts(e));
      export0 += records::RecordLine(e);
      if (points.insert({e.text[records::kLon1], e.text[records::kLat1]}).second) {
        QCOMPARE(row(w->List("Listbox2"), unique++), texts(e));
        export1 += records::RecordLine(e);
      }
    }
    QCOMPARE(w->List("Listbox2")->LastIndex() + 1, unique);
    QCOMPARE(app.Pressepapier[0], records::EnteteTabule + export0);
    QCOMPARE(app.Pressepapier[1], records::EnteteTabule + export1);
    auto* tabs = w->Control<fw::TabPanel>("TabPanel1");
    if (img.recordBytes.empty()) {
      QCOMPARE(tabs->tabText(0), QString("Tous les lieux"));
      QCOMPARE(tabs->tabText(1), QString("Unique"));
    } else {
      QCOMPARE(tabs->tabText(0), QString("Tous les lieux (%1)").arg(img.recordBytes.size()));
      QCOMPARE(tabs->tabText(1), QString("Unique (%1)").arg(unique));
      QCOMPARE(panel(w), texts(img.expected(img.recordBytes.size() - 1)));
    }
    // The progress is hidden, standing for the whole image.
    for (const char* name : {"ProgressBar1", "CurProgressionST", "MaxProgressionST"}) QVERIFY2(!shown(w, name), name);
    QCOMPARE(w->Control<fw::ProgressBar>("ProgressBar1")->maximum(), 50000);
    QCOMPARE(w->Control<fw::ProgressBar>("ProgressBar1")->value(), 50000);
    QCOMPARE(w->Label("CurProgressionST")->Text(), Count(img.bytes.size()));
    QCOMPARE(w->Label("MaxProgressionST")->Text(), "/ " + Count(img.bytes.size()));
    for (const char* name : kSources)
      if (QWidget* c = w->ControlByName(name)) QVERIFY2(c->isEnabled(), name);
  }

 private slots:
  void initTestCase() { QVERIFY(dir.isValid()); }

  void cancel() {
    Window2* w = gui.freshWindow();
    testutil::ScriptedSeams seams;
    seams.files.push_back(std::nullopt);
    w->ImagePB1_Action();
    QVERIFY(!ThreadDD::Running());
    QCOMPARE(seams.dialogs.size(), size_t{1});
    QCOMPARE(seams.dialogs[0].prompt, QString("Sélectionner une image binaire"));
    QCOMPARE(seams.dialogs[0].title, QString("Ouverture d'une image binaire en lecture seule"));
    QVERIFY(!shown(w, "ProgressBar1"));
    QCOMPARE(w->Label("CurProgressionST")->Text(), std::string("Sans_titre"));
    QVERIFY(seams.messages.empty());
  }

  void unopenable() {
    Window2* w = gui.freshWindow();
    w->List("Listbox1")->AddRow("kept");
    QVERIFY(QDir(dir.path()).mkpath("folder.img"));
    testutil::ScriptedSeams seams;
    for (const char* name : {"missing.img", "folder.img"}) {
      seams.files.push_back(dir.filePath(name).toStdString());
      w->ImagePB1_Action();
      QVERIFY(!ThreadDD::Running());
    }
    QVERIFY(!shown(w, "ProgressBar1"));
    QVERIFY(!shown(w, "CurProgressionST"));
    QCOMPARE(w->List("Listbox1")->LastIndex(), 0);
    QCOMPARE(seams.messages,
             (std::vector<QString>{"Impossible d'ouvrir « missing.img » : fichier introuvable.",
                                   "Impossible d'ouvrir « folder.img » : ce n'est ni un fichier ni un périphérique "
                                   "de stockage."}));
  }

  void emptyImage() {
    Window2* w = gui.freshWindow();
    w->List("Listbox1")->AddRow("kept");
    w->Label("Adresse1ST")->SetText("earlier");
    w->Control<fw::TabPanel>("TabPanel1")->setTabText(0, "Tous les lieux (1)");
    app.Pressepapier = {"zero", "one"};
    testutil::ScriptedSeams seams;
    scan(seams, Image(0).write(dir, "empty.img"));
    // Said, and the progress goes again.
    QCOMPARE(seams.messages, std::vector<QString>{"« empty.img » est vide : il n'y a rien à analyser."});
    QVERIFY(!shown(w, "ProgressBar1"));
    QVERIFY(!shown(w, "CurProgressionST"));
    QVERIFY(!shown(w, "MaxProgressionST"));
    // Nothing else changed.
    QCOMPARE(w->List("Listbox1")->LastIndex(), 0);
    QCOMPARE(w->Label("Adresse1ST")->Text(), std::string("earlier"));
    QCOMPARE(w->Control<fw::TabPanel>("TabPanel1")->tabText(0), QString("Tous les lieux (1)"));
    QCOMPARE(app.Pressepapier[0], std::string("zero"));
    QCOMPARE(app.Pressepapier[1], std::string("one"));
    for (const char* name : kSources)
      if (QWidget* c = w->ControlByName(name)) QVERIFY2(c->isEnabled(), name);
  }

  void sizes_data() {
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QList<qint64>>("offsets");
    QTest::newRow("under one chunk") << qint64(1'000'000) << QList<qint64>{0, 5000, 999'000};
    QTest::newRow("one to two chunks") << qint64(15'000'000) << QList<qint64>{17, M10 - 6, 14'999'000};
    QTest::newRow("over two chunks") << qint64(35'000'000)
                                     << QList<qint64>{M10 - 13, 2 * M10 - 1, 2 * M10 + 300, 3 * M10 - 9, 34'999'000};
    QTest::newRow("exactly two chunks") << qint64(2 * M10) << QList<qint64>{0, 2 * M10 - 200};
  }
  void sizes() {
    QFETCH(qint64, size);
    QFETCH(QList<qint64>, offsets);
    Window2* w = gui.freshWindow();
    w->List("Listbox1")->AddRow("from an earlier run");
    Image img(size);
    for (int k = 0; k < offsets.size(); ++k) img.put(offsets[k], place(static_cast<size_t>(k) + (k == 1 ? 0 : 1)));
    testutil::ScriptedSeams seams;
    scan(seams, img.write(dir, "image.img"));
    checkResults(w, img);
    QVERIFY(seams.messages.empty());
  }

  // Realistic card images from the generator (a FAT-like layout, settings
  // files inside, stray near-markers, records across chunk borders, and a
  // sparse image past 4 GiB): the records it wrote, and only those, are
  // listed in image order.
  void generatedImages_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("45 MB") << QStringList{"--size", "45000000", "--seed", "11"};
    QTest::newRow("exactly 30 MB") << QStringList{"--size", "30000000", "--seed", "12"};
    QTest::newRow("sparse 4.5 GB") << QStringList{"--size", "4500000000", "--seed", "13", "--sparse"};
  }
  void generatedImages() {
    QFETCH(QStringList, args);
    const QString path = dir.filePath("generated.img");
    QProcess gen;
    gen.start(GEN_IMAGE, QStringList{path} + args);
    QVERIFY(gen.waitForFinished(120000));
    QCOMPARE(gen.exitCode(), 0);
    std::vector<int64_t> offsets;
    for (const QByteArray& line : gen.readAllStandardOutput().split('\n'))
      if (!line.trimmed().isEmpty()) offsets.push_back(line.trimmed().toLongLong());
    QVERIFY(offsets.size() > 10);

    Window2* w = gui.freshWindow();
    testutil::ScriptedSeams seams;
    scan(seams, path.toStdString());
    QVERIFY(seams.messages.empty());
    auto stream = fw::BinaryStream::Open(path.toStdString());
    QVERIFY(stream);
    fw::Listbox* all = w->List("Listbox1");
    QCOMPARE(all->LastIndex() + 1, static_cast<int>(offsets.size()));
    std::string export0;
    for (size_t k = 0; k < offsets.size(); ++k) {
      // The record's bytes alone, read from the image at its offset.
      std::vector<uint8_t> buf(1024);
      const auto r = stream->ReadAt(static_cast<uint64_t>(offsets[k]), buf.data(), 1024);
      const auto e = records::DecodeRecord(
          fw::MemoryBlock::FromBytes({reinterpret_cast<const char*>(buf.data()), static_cast<size_t>(r.got)}), 0,
          records::Decoder::Scan);
      QCOMPARE(row(all, static_cast<int>(k)), texts(e));
      export0 += records::RecordLine(e);
    }
    QCOMPARE(app.Pressepapier[0], records::EnteteTabule + export0);
    QCOMPARE(w->Label("CurProgressionST")->Text(), Count(stream->Length()));
    stream->Close();
    QFile::remove(path);
  }

  // An image without a record, after a run of another source that ended
  // on a record: the panel is blanked with the lists, never left showing
  // a record the image does not hold.
  void noRecord_data() {
    QTest::addColumn<QString>("before");
    QTest::newRow("after the pasted sample") << "text";
    QTest::newRow("after a scan with records") << "scan";
  }
  void noRecord() {
    QFETCH(QString, before);
    Window2* w = gui.freshWindow();
    testutil::ScriptedSeams seams;
    if (before == "text") {
      w->Control<fw::PushButton>("ChampTextePB")->click();
    } else {
      Image earlier(100'000);
      earlier.put(5000, place(2));
      scan(seams, earlier.write(dir, "earlier.img"));
    }
    QVERIFY(!w->Label("Longitude1ST")->Text().empty());
    Image img(12'345'678);
    scan(seams, img.write(dir, "none.img"));
    checkResults(w, img);
    QCOMPARE(panel(w), std::vector<std::string>(records::kFieldCount));
    QVERIFY(seams.messages.empty());
  }

  void refusedAddressShowsNothing() {
    Window2* w = gui.freshWindow();
    Image img(100'000);
    img.put(100, place(3));
    recordgen::Place bad = place(4);
    bad.addr1 = "Rue\x07X";  // a control byte: this address and the next two are not decoded
    img.put(5000, bad);
    testutil::ScriptedSeams seams;
    scan(seams, img.write(dir, "refused.img"));
    checkResults(w, img);
    for (int c = records::kAddr1; c <= records::kAddr3; ++c) {
      QCOMPARE(w->List("Listbox1")->Cell(1, c), std::string());
      QVERIFY(!w->List("Listbox1")->Cell(0, c).empty());
    }
    QCOMPARE(w->Label("Adresse1ST")->Text(), std::string());
    QCOMPARE(w->Label("Adresse3ST")->Text(), std::string());
  }

  // A scan that cannot start for want of threads or memory, and one whose
  // reader runs out of memory for a chunk: it is said, and the results
  // shown are never passed off as the image's.
  void readerWithoutResources_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("resultsKept");
    const QString cannotStart =
        "Impossible de lancer l'analyse de « card.img » : le système manque de ressources ; "
        "aucun résultat n'en provient.";
    QTest::newRow("no thread for the reader") << "threads" << cannotStart << true;
    QTest::newRow("no memory for the reader") << "reader" << cannotStart << true;
    QTest::newRow("no memory for the first chunk")
        << "first"
        << "Mémoire insuffisante pour lire « card.img » ; aucun résultat n'en provient." << true;
    QTest::newRow("no memory for a later chunk")
        << "later"
        << "Mémoire insuffisante : la recherche s'est arrêtée après 1 enregistrement ; les résultats affichés ne "
           "portent que sur cette partie."
        << false;
  }
  void readerWithoutResources() {
    QFETCH(QString, how);
    QFETCH(QString, message);
    QFETCH(bool, resultsKept);
    Window2* w = gui.freshWindow();
    w->List("Listbox1")->AddRow("from an earlier run");
    app.Pressepapier = {"zero", "one"};
    Image img(M10 + 500);
    img.put(100, place(2));
    // Chunks of the image, the second (or the first) without memory.
    struct Starved : imagescan::ChunkSource {
      const Image& img;
      int good;  // chunks read before memory runs out
      int given = 0;
      Starved(const Image& i, int g) : img(i), good(g) {}
      uint64_t Length() const override { return img.bytes.size(); }
      imagescan::Chunk Next() override {
        imagescan::Chunk c;
        c.offset = static_cast<uint64_t>(given) * M10;
        if (given++ < good) {
          c.bytes = fw::MemoryBlock::FromBytes(std::string_view(img.bytes).substr(0, M10));
          return c;
        }
        c.ended = c.failed = c.outOfMemory = true;
        return c;
      }
    };
    ThreadDD::SetReaderMaker([&](fw::BinaryStream&, std::stop_token) -> std::unique_ptr<imagescan::ChunkSource> {
      if (how == "threads") throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
      if (how == "reader") throw std::bad_alloc();
      return std::make_unique<Starved>(img, how == "later" ? 1 : 0);
    });
    testutil::ScriptedSeams seams;
    scan(seams, img.write(dir, "card.img"));
    ThreadDD::SetReaderMaker(nullptr);
    QCOMPARE(seams.messages, std::vector<QString>{message});
    for (const char* name : {"ProgressBar1", "CurProgressionST", "MaxProgressionST"}) QVERIFY2(!shown(w, name), name);
    for (const char* name : kSources)
      if (QWidget* c = w->ControlByName(name)) QVERIFY2(c->isEnabled(), name);
    if (resultsKept) {
      QCOMPARE(w->List("Listbox1")->Cell(0, 0), std::string("from an earlier run"));
      QCOMPARE(app.Pressepapier[0], std::string("zero"));
    } else {
      // What the first chunk held, closed as a run's results are.
      QCOMPARE(w->List("Listbox1")->LastIndex(), 0);
      QCOMPARE(app.Pressepapier[0], records::EnteteTabule + records::RecordLine(img.expected(0)));
    }
  }

  void sourcesDisabledDuringAScan() {
    Window2* w = gui.freshWindow();
    Image img(3 * M10);
    img.put(M10 + 1, place(0));
    testutil::ScriptedSeams seams;
    seams.files.push_back(img.write(dir, "busy.img"));
    w->ImagePB1_Action();
    QVERIFY(ThreadDD::Running());
    for (const char* name : kSources)
      if (QWidget* c = w->ControlByName(name)) QVERIFY2(!c->isEnabled(), name);
    // A second start while one runs does nothing, not even a dialog.
    w->ImagePB1_Action();
    QCOMPARE(seams.dialogs.size(), size_t{1});
    QTRY_VERIFY_WITH_TIMEOUT(ThreadDD::Running() == nullptr, kWaitMs);
    checkResults(w, img);
  }

  void readErrorMidImage() {
    // Records enough in the first chunk that the scan waits for the lists
    // before it can go past that chunk; the file is cut meanwhile, past
    // what the scan may have read ahead by then.
    Window2* w = gui.freshWindow();
    const int64_t readAhead = 2 + imagescan::ChunkReader::DefaultWorkers() + 1;
    const int64_t cut = (readAhead + 2) * M10 + 5'000'000;
    const size_t dense = ThreadDD::kMaxQueuedRecords + 20'000;
    recordgen::Place p = place(0);
    p.addr1 = p.addr2 = p.addr3 = "";
    const std::string r = recordgen::encodeRecord(p);
    std::string head;
    for (size_t k = 0; k < dense; ++k) head += r;
    QVERIFY(head.size() < M10);
    const std::string path = dir.filePath("cut.img").toStdString();
    std::ofstream(path, std::ios::binary).write(head.data(), static_cast<std::streamsize>(head.size()));
    QCOMPARE(::truncate(path.c_str(), cut + 3 * M10), 0);

    testutil::ScriptedSeams seams;
    seams.files.push_back(path);
    w->ImagePB1_Action();
    QVERIFY(ThreadDD::Running());
    QCOMPARE(::truncate(path.c_str(), cut), 0);
    QTRY_VERIFY_WITH_TIMEOUT(ThreadDD::Running() == nullptr, kWaitMs);

    QCOMPARE(seams.messages.size(), size_t{1});
    QCOMPARE(seams.messages[0], QString::fromStdString("Erreur de lecture : l'analyse s'est arrêtée après " +
                                                       Count(static_cast<uint64_t>(cut)) +
                                                       " octets ; les résultats affichés ne portent que sur cette "
                                                       "partie de l'image."));
    QCOMPARE(w->List("Listbox1")->LastIndex() + 1, static_cast<int>(dense));
    QCOMPARE(w->List("Listbox2")->LastIndex() + 1, 1);
    QVERIFY(app.Pressepapier[0].rfind(records::EnteteTabule + "\r", 0) == 0);
    QCOMPARE(app.Pressepapier[1],
             records::EnteteTabule +
                 records::RecordLine(records::DecodeRecord(fw::MemoryBlock::FromBytes(r), 0, records::Decoder::Scan)));
    for (const char* name : {"ProgressBar1", "CurProgressionST", "MaxProgressionST"}) QVERIFY2(!shown(w, name), name);
    for (const char* name : kSources)
      if (QWidget* c = w->ControlByName(name)) QVERIFY2(c->isEnabled(), name);
  }

  void imageThatGrowsIsScannedToItsLengthAtOpen() {
    Window2* w = gui.freshWindow();
    Image img(15'000'000);
    img.put(100, place(1));
    const std::string path = img.write(dir, "growing.img");
    testutil::ScriptedSeams seams;
    seams.files.push_back(path);
    w->ImagePB1_Action();
    // 10 MB more, records in them, while the scan runs.
    Image more(10'000'000);
    more.put(100, place(2));
    more.put(6'000'000, place(3));
    std::ofstream(path, std::ios::binary | std::ios::app)
        .write(more.bytes.data(), static_cast<std::streamsize>(more.bytes.size()));
    QTRY_VERIFY_WITH_TIMEOUT(ThreadDD::Running() == nullptr, kWaitMs);
    checkResults(w, img);  // the counts read "15 000 000 / 15 000 000"
    QVERIFY(seams.messages.empty());
  }

  void imageLeftUntouched() {
    gui.freshWindow();
    Image img(21'000'000);
    img.put(M10 - 3, place(5));
    const std::string path = img.write(dir, "evidence.img");
    struct stat before {};
    QCOMPARE(::stat(path.c_str(), &before), 0);
    QTest::qWait(20);  // a write now would show in the modification time
    testutil::ScriptedSeams seams;
    scan(seams, path);
    checkResults(Window2::instance(), img);
    struct stat after {};
    QCOMPARE(::stat(path.c_str(), &after), 0);
    QCOMPARE(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    QCOMPARE(after.st_size, before.st_size);
    std::ifstream in(path, std::ios::binary);
    const std::string now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    QVERIFY(now == img.bytes);
  }

  void recordMethods() {
    Window2* w = gui.freshWindow();
    for (const char* n : ui::kPanelLabels) w->Label(n)->SetText("old");
    recordgen::Place p = place(10);
    p.precision = 3;
    p.addr1 = "abcde";
    p.addr2 = "";
    p.addr3 = "fghijkl";
    const fw::MemoryBlock rec = fw::MemoryBlock::FromBytes("xx" + recordgen::encodeRecord(p));
    ThreadDD(*w).Decoupe(rec, 2);
    QCOMPARE(w->Label("PrecisionST")->Text(), std::string("(3) Numéro de rue"));
    QCOMPARE(w->Label("Longitude1ST")->Text(), records::CoordinateText(p.lon1));
    QCOMPARE(w->Label("Adresse1ST")->Text(), std::string("abcde"));
    // The empty second address shows "" and the third is read after it.
    QCOMPARE(w->Label("Adresse2ST")->Text(), std::string());
    QCOMPARE(w->Label("Adresse3ST")->Text(), std::string("fghijkl"));
    QCOMPARE(ThreadDD::calcval(rec, 2 + 14), p.lon1);
    int32_t length = 0;
    std::string text;
    QVERIFY(ThreadDD::getChaine(rec, 2 + 32, length, text));
    QCOMPARE(text, std::string("abcde"));
    QVERIFY(!ThreadDD::getChaine(rec, 2 + 38, length, text));
    QCOMPARE(length, 0);
  }

  void searchWindowMembers() {
    Window2* w = gui.freshWindow();
    Image img(25'000'000);
    img.put(22'000'000, place(0));
    const std::string path = img.write(dir, "window.img");
    {
      // The scan's: chunks of 10,000,000 bytes, each adding to the progress
      // shown, read back from the controls.
      auto s = fw::BinaryStream::Open(path);
      fw::MemoryBlock a = s->ReadBlock(M10), b = s->ReadBlock(M10);
      fw::MemoryBlock fenetre = a + b;
      auto* bar = w->Control<fw::ProgressBar>("ProgressBar1");
      bar->setMaximum(50000);
      bar->setValue(40000);
      w->Label("CurProgressionST")->SetText(Count(20'000'000));
      QCOMPARE(ThreadDD(*w).chercheNextStartImage(fenetre, a, b, 0, *s), 12'000'000);
      QCOMPARE(fenetre.Size(), int64_t{15'000'000});
      QCOMPARE(bar->value(), 50000);
      QCOMPARE(w->Label("CurProgressionST")->Text(), Count(25'000'000));
    }
    {
      // The window's own: chunks of 4,000,000 bytes and no progress.
      w->Label("CurProgressionST")->SetText("kept");
      auto s = fw::BinaryStream::Open(path);
      fw::MemoryBlock a = s->ReadBlock(4'000'000), b = s->ReadBlock(4'000'000);
      fw::MemoryBlock fenetre = a + b;
      // Five slides: the last window starts at 20,000,000 and holds the
      // last two chunks, 4,000,000 and 1,000,000 bytes.
      const int32_t p = w->chercheNextStartImage(fenetre, a, b, 0, *s);
      QCOMPARE(p, 22'000'000 - 5 * 4'000'000);
      QCOMPARE(fenetre.Size(), int64_t{5'000'000});
      QCOMPARE(w->chercheNextStartImage(fenetre, a, b, p + 1, *s), 5'000'001);
      QCOMPARE(w->Label("CurProgressionST")->Text(), std::string("kept"));
    }
  }

  void closingTheWindowStopsTheScan() {
    Window2* w = gui.freshWindow();
    const std::string path = dir.filePath("huge.img").toStdString();
    { std::ofstream(path, std::ios::binary); }
    QCOMPARE(::truncate(path.c_str(), int64_t{1} << 40), 0);  // 1 TiB of holes
    testutil::ScriptedSeams seams;
    seams.files.push_back(path);
    w->ImagePB1_Action();
    QPointer<ThreadDD> t = ThreadDD::Running();
    QVERIFY(t);
    // Running, and showing itself: its first events have been taken.
    QTRY_VERIFY(shown(w, "ProgressBar1"));
    QVERIFY(t && t->isRunning());
    w->close();
    QTRY_VERIFY(t.isNull() || t->isFinished());
    QVERIFY(!ThreadDD::Running());
    // Whatever the scan still had queued is delivered by now: it brought no
    // new window up.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!Window2::isOpen());
    std::remove(path.c_str());
  }

  void quitOrCloseDuringAScanExitsCleanly_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("quit") << "--quit-during-scan";
    QTest::newRow("close") << "--close-during-scan";
  }
  void quitOrCloseDuringAScanExitsCleanly() {
    QFETCH(QString, how);
    const QString path = dir.filePath("huge2.img");
    { std::ofstream(path.toStdString(), std::ios::binary); }
    QCOMPARE(::truncate(path.toStdString().c_str(), int64_t{1} << 40), 0);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {how, path});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(QString(child.readAllStandardOutput()).trimmed(), QString("running"));
    QFile::remove(path);
  }

  // A read that hangs in the kernel holds neither the window nor the end of
  // the process: "Quitter", the quit item and the close box each end it
  // with status 0 within a second.
  void quitDuringAHangingReadExitsAtOnce_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Quitter") << "--hang-button";
    QTest::newRow("quit item") << "--hang-menu";
    QTest::newRow("close box") << "--hang-close";
  }
  void quitDuringAHangingReadExitsAtOnce() {
    QFETCH(QString, how);
    Image img(3 * M10);
    img.put(100, place(0));
    const std::string path = img.write(dir, "hanging.img");
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {how, QString::fromStdString(path)});
    QVERIFY(child.waitForStarted());
    while (!child.canReadLine()) QVERIFY2(child.waitForReadyRead(20000), "the child never reached the quit");
    QElapsedTimer sinceQuit;
    sinceQuit.start();
    QCOMPARE(QString(child.readLine()).trimmed(), QString("running"));
    const bool ended = child.waitForFinished(1000);
    if (!ended) {
      child.kill();
      child.waitForFinished();
    }
    QVERIFY2(ended, qPrintable("still running " + QString::number(sinceQuit.elapsed()) + " ms after the quit"));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
  }
};

int main(int argc, char** argv) {
  if (argc == 3 && (std::string(argv[1]) == "--quit-during-scan" || std::string(argv[1]) == "--close-during-scan"))
    return quitDuringScan(argc, argv);
  if (argc == 3 && std::string(argv[1]).rfind("--hang-", 0) == 0) return quitDuringHangingRead(argc, argv);
  QApplication qt(argc, argv);
  ScanTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "scan_test.moc"
