// The hidden twin of "Fichier .cfg": a file turned into hex text and
// searched as pasted text is, filling the all-records list and its export
// text alone. Called directly, since the button is never shown.
#include <fcntl.h>
#include <unistd.h>

#include <QtTest>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "app/App.h"
#include "framework/core/Text.h"
#include "framework/gui/Seams.h"
#include "recordgen.h"
#include "records/Results.h"
#include "run_state.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

#include "gui_fixture.h"

using namespace testing_gui;
using records::RecordTexts;

namespace {

const QString kPrompt = QString::fromUtf8("Sélectionner un fichier .cfg (Mapsettings.cfg,...)");
const QString kTitle = QString::fromUtf8("Ouverture d'un fichier en lecture seule");

recordgen::Place place(uint8_t prec, uint8_t type, int32_t lon1, int32_t lat1, std::string a1, std::string a2,
                       std::string a3) {
  return recordgen::Place{prec, type, lon1, lat1, lon1 - 20, lat1 - 17, std::move(a1), std::move(a2), std::move(a3)};
}
const recordgen::Place pHome = place(3, 4, -57410, 4483912, "27 rue Sainte-Catherine", "33000 Bordeaux", "Gironde");
const recordgen::Place pTrip = place(3, 7, -57410, 4483912, "27 rue Sainte-Catherine", "33000 Bordeaux", "Gironde");
const recordgen::Place pLyon = place(1, 1, 483566, 4576404, "", "69002 Lyon", "Rh\xF4ne");

const RecordTexts kHome = Texts({"(3) No de rue", "(4) Domicile", "-0.5741", "44.83912", "-0.5743", "44.83895",
                                 "27 rue Sainte-Catherine", "33000 Bordeaux", "Gironde"});
const RecordTexts kTrip = Texts({"(3) No de rue", "(7) Départ du dernier trajet calculé", "-0.5741", "44.83912",
                                 "-0.5743", "44.83895", "27 rue Sainte-Catherine", "33000 Bordeaux", "Gironde"});
const RecordTexts kLyon = Texts({"(1) centre ville", "(1) Saisie à partir de la carte ou d'un code postal", "4.83566",
                                 "45.76404", "4.83546", "45.76387", "", "69002 Lyon", "Rhône"});

std::string fromHex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(fw::HexDigitValue(static_cast<unsigned char>(hex[i])) * 16 +
                             fw::HexDigitValue(static_cast<unsigned char>(hex[i + 1])));
  return out;
}

Window2* window() { return Window2::instance(); }

// A state no run leaves: rows in both lists, counts in the captions, both
// export texts, a panel of its own.
RunState dirty() { return DirtyState({kLyon, kLyon, kHome}); }

// What a run over these records leaves: the all-records list and its export
// text replaced, the second export text empty, the rest as it was but the
// panel, which shows the last record.
RunState expected(const std::vector<RecordTexts>& recs, const RunState& before) {
  RunState s = before;
  s.rows[0].clear();
  s.texts[0] = kHeader;
  for (const RecordTexts& r : recs) {
    s.rows[0].push_back(RowOf(r));
    s.texts[0] += Line(r);
  }
  s.texts[1] = "";
  if (!recs.empty()) s.panel = recs.back().text;
  return s;
}

FileRun runFile(std::optional<std::string> path) { return RunWithFile(&Window2::FichierPB11_Action, std::move(path)); }

class TempFile {
 public:
  explicit TempFile(const std::string& bytes) {
    path_ = dir_.filePath("file.bin").toStdString();
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  const std::string& path() const { return path_; }

 private:
  QTemporaryDir dir_;
  std::string path_;
};

}  // namespace

class HexFileTest : public QObject {
  Q_OBJECT
  GuiFixture<> gui;

 private slots:
  // Only the all-records list is emptied, and before the dialog; only the
  // cancel is silent.
  void endsEarly_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("cancel") << "cancel" << QString();
    QTest::newRow("a file that cannot be opened")
        << "missing" << QString::fromUtf8("Impossible d'ouvrir « x.cfg » : fichier introuvable.");
  }

  void endsEarly() {
    QFETCH(QString, kind);
    QFETCH(QString, message);
    RunState want = dirty();
    const FileRun run = runFile(kind == "cancel" ? std::nullopt : std::optional<std::string>("/nonexistent/x.cfg"));
    QCOMPARE(run.dialogs.size(), size_t{1});
    QCOMPARE(run.dialogs[0].prompt, kPrompt);
    QCOMPARE(run.dialogs[0].title, kTitle);
    QCOMPARE(run.messages, message.isNull() ? std::vector<QString>{} : std::vector<QString>{message});
    want.rows[0].clear();
    CHECK_STATE(Capture(), want);
  }

  // Two rows; the unique list, the captions (counts included) as they were;
  // the second export text "".
  void twoRecordsOfOnePoint() {
    const RunState before = dirty();
    QCOMPARE(before.captions[0], QString("Tous les lieux (3)"));
    TempFile file(recordgen::encodeRecord(pHome) + recordgen::encodeRecord(pTrip));
    QVERIFY(runFile(file.path()).messages.empty());
    const RunState s = Capture();
    CHECK_STATE(s, expected({kHome, kTrip}, before));
    QCOMPARE(s.texts[0], kHeader + Line(kHome) + Line(kTrip));
    QCOMPARE(s.texts[1], std::string());
    QCOMPARE(s.captions[0], QString("Tous les lieux (3)"));
    QCOMPARE(s.captions[1], QString("Unique (2)"));
  }

  // An empty file goes on: header alone. So does a file without a record.
  void noRecord_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("empty file") << "cfg_empty.cfg";
    QTest::newRow("under 14 bytes") << "cfg_13_bytes.cfg";
    QTest::newRow("near misses, no marker") << "cfg_no_marker.cfg";
  }

  void noRecord() {
    QFETCH(QString, file);
    const RunState before = dirty();
    const FileRun run = runFile(fixture(file.toUtf8().constData()));
    QVERIFY(run.messages.empty());
    CHECK_STATE(Capture(), expected({}, before));
  }

  // Half a byte off: the settings-file finder sees no marker in these bytes,
  // the hex text holds one at an odd position, and it is decoded.
  void recordAtAnOddPosition() {
    const std::string hex = "7" + recordgen::toHexUpper(recordgen::encodeRecord(pLyon)) + "0";
    TempFile file(fromHex(hex));
    QVERIFY(recordgen::markerPositions(readFile(file.path())).empty());
    QCOMPARE(window()->Hex2Text(fw::MemoryBlock::FromBytes(readFile(file.path()))), hex);
    const RunState before = dirty();
    runFile(file.path());
    CHECK_STATE(Capture(), expected({kLyon}, before));
  }

  void hexTextOfEachByte() {
    std::string all;
    std::string want;
    for (int b = 0; b < 256; ++b) {
      all += static_cast<char>(b);
      const std::string h = fw::Hex(static_cast<uint64_t>(b));
      want += (h.size() == 1 ? "0" : "") + h;
    }
    QCOMPARE(window()->Hex2Text(fw::MemoryBlock::FromBytes(all)), want);
    QCOMPARE(window()->Hex2Text(fw::MemoryBlock::FromBytes(std::string("\x00\x04\x0F\x10\xAB", 5))),
             std::string("00040F10AB"));
    QCOMPARE(window()->Hex2Text(fw::MemoryBlock()), std::string());
    // A block joined from two keeps its bytes in order.
    const fw::MemoryBlock joined = fw::MemoryBlock::FromBytes("\x01") + fw::MemoryBlock::FromBytes("\xFE");
    QCOMPARE(window()->Hex2Text(joined), std::string("01FE"));
  }

  // The same rows as the pasted text of the whole file gives in the
  // all-records list; the file is only read.
  void sameRowsAsTheFilePastedAsText() {
    const std::string path = fixture("settings_sample.cfg");
    const std::string bytes = readFile(path);
    dirty();
    window()->Control<fw::TextArea>("TextSource")->SetText(QString::fromStdString(recordgen::toHexUpper(bytes)));
    {
      testutil::ScriptedSeams seams;
      window()->ChampTextePB_Action();
    }
    const std::vector<Row> fromText = ListRows("Listbox1");
    QCOMPARE(fromText.size(), size_t{14});
    dirty();
    runFile(path);
    QCOMPARE(ListRows("Listbox1"), fromText);
    QCOMPARE(readFile(path), bytes);
  }

  void fileOf2GiBIsRefused() {
    const std::string name = "gravelin_hexfile_" + std::to_string(::getpid()) + ".cfg";
    const std::string path = QDir::tempPath().toStdString() + "/" + name;
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    QVERIFY(fd >= 0);
    const bool sized = ::ftruncate(fd, off_t{1} << 31) == 0;
    ::close(fd);
    RunState want = dirty();
    const FileRun run = sized ? runFile(path) : FileRun{};
    ::unlink(path.c_str());
    QVERIFY(sized);
    QCOMPARE(run.messages, std::vector<QString>{QString::fromStdString(
                               "« " + name +
                               " » est trop volumineux pour être lu en une seule fois : utilisez le bouton « "
                               "Image binaire (dd) ».")});
    want.rows[0].clear();
    CHECK_STATE(Capture(), want);
  }

  // A file that ends before the length it gave is said, as for "Fichier .cfg".
  void fileShorterThanItsLengthIsReported() {
    const char* path = "/sys/kernel/mm/transparent_hugepage/enabled";
    QFileInfo info(path);
    if (!info.exists() || info.size() <= 0) QSKIP("no kernel attribute file to read here");
    const std::string content = readFile(path);
    if (content.empty() || static_cast<qint64>(content.size()) >= info.size()) QSKIP("the file holds its length");
    const RunState before = dirty();
    const FileRun run = runFile(std::string(path));
    const QString want =
        QString::fromUtf8("Erreur de lecture : la lecture s'est arrêtée après ") + QString::number(content.size()) +
        QString::fromUtf8(" octets ; les résultats affichés ne portent que sur cette partie du fichier.");
    QCOMPARE(run.messages, std::vector<QString>{want});
    CHECK_STATE(Capture(), expected({}, before));
  }
};

QTEST_MAIN(HexFileTest)
#include "hexfile_test.moc"
