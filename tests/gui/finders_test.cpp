// The two finders that run inside their button's action: "Fichier .cfg"
// (a device settings file read whole) and "Champ texte" (hexadecimal text
// pasted into the text area), with the real window offscreen and the open
// dialog and message boxes scripted.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/App.h"
#include "framework/gui/Seams.h"
#include "recordgen.h"
#include "records/Results.h"
#include "run_state.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

#include "gui_fixture.h"

using namespace testing_gui;
using records::RecordTexts;

Q_DECLARE_METATYPE(records::RecordTexts)
Q_DECLARE_METATYPE(std::vector<records::RecordTexts>)

namespace {

const QString kPrompt = QString::fromUtf8("Sélectionner un fichier .cfg (Mapsettings.cfg,...)");
const QString kTitle = QString::fromUtf8("Ouverture d'un fichier en lecture seule");
const QString kEmptyTextMessage =
    QString::fromUtf8("Vous devez coller un contenu dans le champ situé en haut de l'écran");
// Said of a file named `name`.
QString TooLargeMessage(const std::string& name) {
  return QString::fromStdString("« " + name +
                                " » est trop volumineux pour être lu en une seule fois : utilisez le bouton « Image "
                                "binaire (dd) ».");
}

RecordTexts fromListingLine(const std::string& line, size_t* offset = nullptr) {
  std::vector<std::string> f;
  std::string cell;
  std::istringstream in(line);
  while (std::getline(in, cell, '\t')) f.push_back(cell);
  while (f.size() < 10) f.push_back("");  // a last empty address leaves no cell
  if (offset) *offset = std::stoul(f[0]);
  RecordTexts r;
  r.text = {PrecisionText(std::stoi(f[1])),
            TypeText(std::stoi(f[2])),
            CoordinateText(std::stoll(f[3])),
            CoordinateText(std::stoll(f[4])),
            CoordinateText(std::stoll(f[5])),
            CoordinateText(std::stoll(f[6])),
            f[7],
            f[8],
            f[9]};
  return r;
}

struct Listing {
  std::vector<size_t> offsets;
  std::vector<RecordTexts> records;
};
Listing sampleListing() {
  Listing l;
  std::istringstream in(readFile(fixture("settings_sample.txt")));
  for (std::string line; std::getline(in, line);) {
    size_t off = 0;
    l.records.push_back(fromListingLine(line, &off));
    l.offsets.push_back(off);
  }
  return l;
}

// The one-point-once list a run must give: first record of each point.
std::vector<Row> uniqueRows(const std::vector<RecordTexts>& recs) {
  std::vector<Row> out;
  for (const RecordTexts& r : recs) {
    bool seen = false;
    for (const Row& u : out) seen = seen || (u[2] == r.text[2] && u[3] == r.text[3]);
    if (!seen) out.push_back(RowOf(r));
  }
  return out;
}

std::vector<Row> rowsOf(const std::vector<RecordTexts>& recs) {
  std::vector<Row> out;
  for (const RecordTexts& r : recs) out.push_back(RowOf(r));
  return out;
}

std::string lineOf(const Row& r) {
  std::string s = "\r";
  for (size_t k = 0; k < r.size(); ++k) s += (k ? "\t" : "") + r[k];
  return s;
}

// The whole state a run over these records must leave.
RunState expected(const std::vector<RecordTexts>& recs, const RunState& before) {
  RunState s = before;
  s.rows = {rowsOf(recs), uniqueRows(recs)};
  for (int l = 0; l < 2; ++l) {
    s.texts[l] = kHeader;
    for (const Row& r : s.rows[l]) s.texts[l] += lineOf(r);
  }
  const auto count = [](const char* plain, size_t n) {
    return n ? QString::fromUtf8(plain) + " (" + QString::number(n) + ")" : QString::fromUtf8(plain);
  };
  s.captions[0] = count("Tous les lieux", s.rows[0].size());
  s.captions[1] = count("Unique", s.rows[1].size());
  // The panel is blanked as the results are reset, and ends on the last
  // record found.
  s.panel = recs.empty() ? RecordTexts{}.text : recs.back().text;
  return s;
}

const RecordTexts kEiffel = Texts({"(3) No de rue", "(6) Saisie à partir du POI", "2.29448", "48.85837", "2.29413",
                                   "48.85812", "Tour Eiffel, 5 avenue Anatole France", "75007 Paris", "France"});
const RecordTexts kLyon = Texts({"(1) centre ville", "(1) Saisie à partir de la carte ou d'un code postal", "4.83566",
                                 "45.76404", "4.836", "45.7642", "", "69002 Lyon", "Rhône"});
const RecordTexts kBordeauxHome = Texts({"(3) No de rue", "(4) Domicile", "-0.5741", "44.83912", "-0.5743", "44.83895",
                                         "27 rue Sainte-Catherine", "33000 Bordeaux", "Gironde"});
const RecordTexts kBordeauxTrip =
    Texts({"(3) No de rue", "(7) Départ du dernier trajet calculé", "-0.5741", "44.83912", "-0.5743", "44.83895",
           "27 rue Sainte-Catherine", "33000 Bordeaux", "Gironde"});

recordgen::Place place(uint8_t prec, uint8_t type, int32_t lon1, int32_t lat1, int32_t lon2, int32_t lat2,
                       std::string a1, std::string a2, std::string a3) {
  return recordgen::Place{prec, type, lon1, lat1, lon2, lat2, std::move(a1), std::move(a2), std::move(a3)};
}
const recordgen::Place pEiffel =
    place(3, 6, 229448, 4885837, 229413, 4885812, "Tour Eiffel, 5 avenue Anatole France", "75007 Paris", "France");
const recordgen::Place pLyon = place(1, 1, 483566, 4576404, 483600, 4576420, "", "69002 Lyon", "Rh\xF4ne");
const recordgen::Place pHome =
    place(3, 4, -57410, 4483912, -57430, 4483895, "27 rue Sainte-Catherine", "33000 Bordeaux", "Gironde");
const recordgen::Place pTrip =
    place(3, 7, -57410, 4483912, -57430, 4483895, "27 rue Sainte-Catherine", "33000 Bordeaux", "Gironde");

std::string hexOf(const recordgen::Place& p) { return recordgen::toHexUpper(recordgen::encodeRecord(p)); }

Window2* window() { return Window2::instance(); }

// A state that no run leaves: rows, texts, captions and panel of its own.
RunState dirty() { return DirtyState({kLyon, kLyon}); }

FileRun runFile(std::optional<std::string> path) { return RunWithFile(&Window2::FichierPB1_Action, std::move(path)); }

std::vector<QString> runText(const QString& text) {
  testutil::ScriptedSeams seams;
  window()->Control<fw::TextArea>("TextSource")->SetText(text);
  window()->ChampTextePB_Action();
  return seams.messages;
}
std::vector<QString> runText(const std::string& utf8) { return runText(QString::fromStdString(utf8)); }

}  // namespace

class FindersTest : public QObject {
  Q_OBJECT
  GuiFixture<> gui;

 private slots:
  // ---- "Fichier .cfg" ----

  void fileDialogPromptAndTitle() {
    const RunState before = dirty();
    const FileRun run = runFile(std::nullopt);
    QCOMPARE(run.dialogs.size(), size_t{1});
    QCOMPARE(run.dialogs[0].prompt, kPrompt);
    QCOMPARE(run.dialogs[0].title, kTitle);
    QVERIFY(run.messages.empty());
    CHECK_STATE(Capture(), before);
  }

  // A file that gives nothing leaves the results as they were and says
  // why, naming it; only a cancelled dialog is silent.
  void fileThatGivesNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    const QString notAFile = " : ce n'est ni un fichier ni un périphérique de stockage.";
    QTest::newRow("cancel") << "cancel" << QString();
    QTest::newRow("empty file") << "empty"
                                << "« cfg_empty.cfg » est vide : il n'y a rien à analyser.";
    // A name is data from the evidence: it goes into the message as it is.
    QTest::newRow("empty file named with markup") << "markup"
                                                  << "« <b>x<i>.cfg » est vide : il n'y a rien à analyser.";
    QTest::newRow("missing file") << "missing"
                                  << "Impossible d'ouvrir « nothing.cfg » : fichier introuvable.";
    QTest::newRow("directory") << "directory"
                               << "Impossible d'ouvrir « d »" + notAFile;
    QTest::newRow("fifo") << "fifo"
                          << "Impossible d'ouvrir « pipe.cfg »" + notAFile;
    QTest::newRow("fifo with a writer") << "fifo-writer"
                                        << "Impossible d'ouvrir « pipe.cfg »" + notAFile;
    QTest::newRow("socket") << "socket"
                            << "Impossible d'ouvrir « sock.cfg »" + notAFile;
    QTest::newRow("character device") << "chardev"
                                      << "Impossible d'ouvrir « zero »" + notAFile;
    // Root reads any file, whatever its permissions.
    if (::geteuid() != 0)
      QTest::newRow("unreadable file")
          << "unreadable"
          << "Impossible d'ouvrir « locked.cfg » : accès refusé. Un périphérique se lit en général avec les droits "
             "d'administrateur.";
  }

  void fileThatGivesNothing() {
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string base = dir.path().toStdString();
    std::optional<std::string> path;
    int writer = -1, sock = -1;
    if (kind == "empty") path = fixture("cfg_empty.cfg");
    if (kind == "markup") {
      path = base + "/<b>x<i>.cfg";
      std::ofstream(*path, std::ios::binary);
    }
    if (kind == "missing") path = base + "/nothing.cfg";
    if (kind == "directory") {
      path = base + "/d";
      QCOMPARE(::mkdir(path->c_str(), 0700), 0);
    }
    if (kind == "fifo" || kind == "fifo-writer") {
      path = base + "/pipe.cfg";
      QCOMPARE(::mkfifo(path->c_str(), 0600), 0);
      if (kind == "fifo-writer") {
        // A writer that never writes: a blocking read would wait forever.
        writer = ::open(path->c_str(), O_RDWR | O_NONBLOCK);
        QVERIFY(writer >= 0);
      }
    }
    if (kind == "socket") {
      path = base + "/sock.cfg";
      sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un addr{};
      addr.sun_family = AF_UNIX;
      std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path->c_str());
      QCOMPARE(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
      QCOMPARE(::listen(sock, 1), 0);
    }
    if (kind == "chardev") path = "/dev/zero";
    if (kind == "unreadable") {
      path = base + "/locked.cfg";
      QFile::copy(QString::fromStdString(fixture("cfg_record_at_zero.cfg")), QString::fromStdString(*path));
      QCOMPARE(::chmod(path->c_str(), 0), 0);
    }
    const RunState before = dirty();
    const FileRun run = runFile(path);
    if (writer >= 0) ::close(writer);
    if (sock >= 0) ::close(sock);
    QCOMPARE(run.dialogs.size(), size_t{1});
    QCOMPARE(run.messages, message.isNull() ? std::vector<QString>{} : std::vector<QString>{message});
    CHECK_STATE(Capture(), before);
  }

  void fileFixtures_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<std::vector<RecordTexts>>("records");
    const char* p = "(3) No de rue";
    const char* t = "(6) Saisie à partir du POI";
    QTest::newRow("under 14 bytes") << "cfg_13_bytes.cfg" << std::vector<RecordTexts>{};
    QTest::newRow("near misses, no marker") << "cfg_no_marker.cfg" << std::vector<RecordTexts>{};
    QTest::newRow("a record at offset 0") << "cfg_record_at_zero.cfg" << std::vector<RecordTexts>{kEiffel};
    QTest::newRow("two records of one point")
        << "cfg_same_point.cfg" << std::vector<RecordTexts>{kBordeauxHome, kBordeauxTrip};
    // The outer record's first address holds a whole record, found again.
    RecordTexts outer = Texts({"(2) Croisement", "(5) Saisie par adresse", "4.83201", "45.75781", "4.83217", "45.75798",
                               "", "69002 Lyon", ""});
    outer.text[records::kAddr1] = recordgen::cp1252ToUtf8(recordgen::encodeRecord(pLyon));
    QTest::newRow("a marker inside a decoded record")
        << "cfg_nested_marker.cfg" << std::vector<RecordTexts>{outer, kLyon};
    // Fields past the end of the file show nothing.
    QTest::newRow("a record cut by the end of the file")
        << "cfg_cut_record.cfg" << std::vector<RecordTexts>{Texts({p, t, "2.29448", "48.85837", "", "", "", "", ""})};
    QTest::newRow("a file of another kind") << "other_kind.png" << std::vector<RecordTexts>{kLyon};
  }

  void fileFixtures() {
    QFETCH(QString, file);
    QFETCH(std::vector<RecordTexts>, records);
    const RunState before = dirty();
    const FileRun run = runFile(fixture(file.toUtf8().constData()));
    QVERIFY(run.messages.empty());
    CHECK_STATE(Capture(), expected(records, before));
  }

  void fileWithoutRecordsOfAnotherKind() {
    const RunState before = dirty();
    runFile(std::string(SOURCE_DIR) + "/CMakeLists.txt");
    CHECK_STATE(Capture(), expected({}, before));
  }

  void realisticSettingsFile() {
    const Listing listing = sampleListing();
    QCOMPARE(listing.records.size(), size_t{14});
    QVERIFY(uniqueRows(listing.records).size() < listing.records.size());  // the file holds a point twice
    const RunState before = dirty();
    // Chosen under a name with accents and spaces.
    QTemporaryDir dir;
    const QString copy = dir.path() + QString::fromUtf8("/Réglages du GPS.cfg");
    QVERIFY(QFile::copy(QString::fromStdString(fixture("settings_sample.cfg")), copy));
    runFile(copy.toStdString());
    CHECK_STATE(Capture(), expected(listing.records, before));
    // The file is only read.
    QCOMPARE(readFile(copy.toStdString()), readFile(fixture("settings_sample.cfg")));
  }

  void fileRunAfterRun() {
    const RunState before = dirty();
    runFile(fixture("cfg_same_point.cfg"));
    runFile(fixture("cfg_record_at_zero.cfg"));
    CHECK_STATE(Capture(), expected({kEiffel}, before));
    // A run that finds nothing still clears the previous one, the record
    // in the details panel included: it came from another file.
    runFile(fixture("cfg_no_marker.cfg"));
    CHECK_STATE(Capture(), expected({}, before));
    QCOMPARE(Panel(), RecordTexts{}.text);
  }

  void fileOf2GiBIsRefused() {
    const std::string name = "gravelin_finders_" + std::to_string(::getpid()) + ".cfg";
    const std::string path = QDir::tempPath().toStdString() + "/" + name;
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    QVERIFY(fd >= 0);
    const bool sized = ::ftruncate(fd, off_t{1} << 31) == 0;
    ::close(fd);
    const RunState before = dirty();
    const FileRun run = sized ? runFile(path) : FileRun{};
    ::unlink(path.c_str());
    QVERIFY(sized);
    QCOMPARE(run.messages, std::vector<QString>{TooLargeMessage(name)});
    CHECK_STATE(Capture(), before);
  }

  // A file that ends before the length it gave (a kernel attribute file
  // says 4096 bytes and holds a few): its results must not pass for the
  // whole file's.
  void fileShorterThanItsLengthIsReported() {
    const char* path = "/sys/kernel/mm/transparent_hugepage/enabled";
    struct stat st {};
    if (::stat(path, &st) != 0 || st.st_size <= 0) QSKIP("no kernel attribute file to read here");
    const std::string content = readFile(path);
    if (content.empty() || static_cast<off_t>(content.size()) >= st.st_size) QSKIP("the file holds its length");
    dirty();
    const FileRun run = runFile(std::string(path));
    const QString want =
        QString::fromUtf8("Erreur de lecture : la lecture s'est arrêtée après ") + QString::number(content.size()) +
        QString::fromUtf8(" octets ; les résultats affichés ne portent que sur cette partie du fichier.");
    QCOMPARE(run.messages, std::vector<QString>{want});
    QCOMPARE(window()->List("Listbox1")->LastIndex(), -1);
    QCOMPARE(AppServices::instance().Pressepapier[0], records::EnteteTabule);
  }

  // ---- "Champ texte" ----

  void emptyText() {
    const RunState before = dirty();
    const auto messages = runText(QString());
    QCOMPARE(messages, std::vector<QString>{kEmptyTextMessage});
    CHECK_STATE(Capture(), before);
  }

  void blankText_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("one space") << " ";
    QTest::newRow("spaces") << "     ";
    QTest::newRow("a line break") << "\n";
    QTest::newRow("line breaks and spaces") << "\n  \n\n ";
    QTest::newRow("tabs") << "\t\t";
  }

  void blankText() {
    QFETCH(QString, text);
    const RunState before = dirty();
    QVERIFY(runText(text).empty());
    CHECK_STATE(Capture(), expected({}, before));  // reset, the panel blanked
  }

  void oneRecordWithThreeEmptyAddresses() {
    const std::string hex = hexOf(place(4, 1, -474060, 4803930, -474082, 4803945, "", "", ""));
    QCOMPARE(hex.size(), size_t{70});
    const RunState before = dirty();
    QVERIFY(runText(hex).empty());
    CHECK_STATE(Capture(), expected({Texts({"(4) N'importe où", "(1) Saisie à partir de la carte ou d'un code postal",
                                            "-4.7406", "48.0393", "-4.74082", "48.03945", "", "", ""})},
                                    before));
  }

  void twoRecordsOfOnePoint() {
    const RunState before = dirty();
    runText(hexOf(pHome) + hexOf(pTrip));
    const RunState s = Capture();
    CHECK_STATE(s, expected({kBordeauxHome, kBordeauxTrip}, before));
    QCOMPARE(s.captions[0], QString("Tous les lieux (2)"));
    QCOMPARE(s.captions[1], QString("Unique (1)"));
    QCOMPARE(s.texts[1], kHeader + Line(kBordeauxHome));
  }

  void recordsSeparated_data() {
    QTest::addColumn<QString>("separator");
    QTest::addColumn<int>("others");  // characters neither hex digits nor white space, in each
    QTest::newRow("nothing") << "" << 0;
    QTest::newRow("spaces") << "  " << 0;
    QTest::newRow("line feed") << "\n" << 0;
    QTest::newRow("carriage return and line feed") << "\r\n" << 0;
    QTest::newRow("tab") << "\t" << 0;
    QTest::newRow("other text") << " ; record: " << 5;  // "e", "c" and "d" are digits
    QTest::newRow("letters that are no digits") << "XYZ" << 3;
    QTest::newRow("one digit, so the next starts at an odd place") << "7" << 0;
    QTest::newRow("non-ASCII characters") << QString::fromUtf8("é € 😀 ü") << 4;
  }

  void recordsSeparated() {
    QFETCH(QString, separator);
    QFETCH(int, others);
    const std::string sep = separator.toStdString();
    const RunState before = dirty();
    // White space between records cuts none: nothing to tell. Other
    // characters might hide a record that no count can tell of: said.
    const auto messages = runText(sep + hexOf(pEiffel) + sep + hexOf(pLyon) + sep + hexOf(pHome) + sep);
    if (others == 0) QCOMPARE(messages, std::vector<QString>{});
    else
      QCOMPARE(messages, std::vector<QString>{
                             QString::fromUtf8("Le texte collé contient %1 caractères qui ne sont ni des chiffres "
                                               "hexadécimaux ni des séparateurs (espaces, retours à la ligne) : "
                                               "des enregistrements peuvent être coupés ou cachés parmi ces "
                                               "caractères, sans qu'on puisse savoir combien. Collez les octets "
                                               "seuls, en chiffres hexadécimaux.")
                                 .arg(4 * others)});
    CHECK_STATE(Capture(), expected({kEiffel, kLyon, kBordeauxHome}, before));
  }

  void lowerCaseDigits() {
    recordgen::Place p = pEiffel;
    p.precision = 0xC8;
    p.type = 0x0A;
    const std::string upper = hexOf(p);
    const std::string lower = QString::fromStdString(upper).toLower().toStdString();
    QVERIFY(lower != upper);
    const RunState before = dirty();
    runText(upper);
    const RunState fromUpper = Capture();
    runText(lower);
    CHECK_STATE(Capture(), fromUpper);
    RecordTexts want = kEiffel;
    want.text[records::kPrecision] = "(200) ERREUR";
    want.text[records::kType] = "(10) ERREUR";
    CHECK_STATE(fromUpper, expected({want}, before));
  }

  void markerSplitByALineBreak() {
    const std::string lyon = hexOf(pLyon);
    const RunState before = dirty();
    const auto messages =
        runText(hexOf(pEiffel) + "\n" + lyon.substr(0, 13) + "\n" + lyon.substr(13) + "\n" + hexOf(pHome));
    CHECK_STATE(Capture(), expected({kEiffel, kBordeauxHome}, before));
    // Not found, but not passed over in silence.
    QCOMPARE(messages, std::vector<QString>{QString::fromUtf8(
                           "Le texte collé contient des séparateurs (espaces, retours à la ligne) : 1 marqueur coupé "
                           "n'a pas été trouvé. Collez les octets d'un seul tenant, sans séparateur.")});
  }

  // Hex copied from `xxd -p` (30 bytes a line): the rows stay as far as
  // their characters go, and the examiner is told what the line breaks did.
  void textFromAHexDump() {
    const recordgen::Place home =
        place(3, 4, 235222, 4885661, 235200, 4885640, "12 rue de Rivoli", "75004 Paris", "France");
    std::string bytes = recordgen::encodeRecord(home);
    bytes.resize(80, '\0');
    bytes += recordgen::encodeRecord(pEiffel);
    const RunState before = dirty();
    const auto messages = runText(recordgen::xxdPlain(bytes));
    CHECK_STATE(
        Capture(),
        expected({Texts({"(3) No de rue", "(4) Domicile", "2.35222", "48.85661", "2.352", "", "", "", ""})}, before));
    QCOMPARE(messages, std::vector<QString>{QString::fromUtf8(
                           "Le texte collé contient des séparateurs (espaces, retours à la ligne) : 1 enregistrement "
                           "est coupé, ses champs après la coupure restent vides ; 1 marqueur coupé n'a pas été "
                           "trouvé. Collez les octets d'un seul tenant, sans séparateur.")});

    // 25 records: every row is cut, every other record missing.
    recordgen::Rng rng{11};
    bytes.clear();
    for (int k = 0; k < 25; ++k) bytes += recordgen::encodeRecord(recordgen::randomPlace(rng));
    const auto many = runText(recordgen::xxdPlain(bytes));
    const int rows = window()->List("Listbox1")->LastIndex() + 1;
    QVERIFY(rows >= 2 && rows <= 23);
    QCOMPARE(many, std::vector<QString>{QString::fromUtf8("Le texte collé contient des séparateurs (espaces, retours à "
                                                          "la ligne) : %1 enregistrements sont coupés, leurs champs "
                                                          "après la coupure restent vides ; %2 marqueurs coupés n'ont "
                                                          "pas été trouvés. Collez les octets d'un seul tenant, sans "
                                                          "séparateur.")
                                            .arg(rows)
                                            .arg(25 - rows)});
    // The same bytes in one piece: every record whole, nothing said.
    QCOMPARE(runText(recordgen::toHexUpper(bytes)), std::vector<QString>{});
    QCOMPARE(window()->List("Listbox1")->LastIndex() + 1, 25);
  }

  // Spaced bytes cut every record and split every marker; a character that is
  // no separator is named as what it is.
  void textWithOtherCharactersInsideRecords_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    std::string spaced;
    for (const char c : hexOf(pEiffel) + hexOf(pLyon) + hexOf(pHome)) {
      spaced += c;
      if (spaced.size() % 3 == 2) spaced += ' ';
    }
    const std::string e = hexOf(pEiffel);
    QTest::newRow("a space between every byte")
        << QString::fromStdString(spaced)
        << QString::fromUtf8(
               "Le texte collé contient des séparateurs (espaces, retours à la ligne) : 3 marqueurs "
               "coupés n'ont pas été trouvés. Collez les octets d'un seul tenant, sans séparateur.");
    QTest::newRow("a letter that is no digit")
        << QString::fromStdString(e.substr(0, 150) + "G" + e.substr(151) + "\n" + hexOf(pLyon))
        << QString::fromUtf8(
               "Le texte collé contient 1 caractère qui n'est ni un chiffre hexadécimal ni un séparateur (espace, "
               "retour à la ligne) : des enregistrements peuvent être coupés ou cachés par ce caractère, sans qu'on "
               "puisse savoir combien. Parmi les lieux listés, 1 enregistrement est coupé, ses champs après la "
               "coupure restent vides. Collez les octets seuls, en chiffres hexadécimaux.");
    QTest::newRow("an accent and a line break")
        << QString::fromStdString(e.substr(0, 90) + "é" + e.substr(90) + hexOf(pLyon).substr(0, 80) + "\n" +
                                  hexOf(pLyon).substr(80))
        << QString::fromUtf8(
               "Le texte collé contient 1 caractère qui n'est ni un chiffre hexadécimal ni un séparateur (espace, "
               "retour à la ligne) : des enregistrements peuvent être coupés ou cachés par ce caractère, sans qu'on "
               "puisse savoir combien. Parmi les lieux listés, 2 enregistrements sont coupés, leurs champs après la "
               "coupure restent vides. Collez les octets seuls, en chiffres hexadécimaux d'un seul tenant, sans "
               "séparateur.");
  }
  void textWithOtherCharactersInsideRecords() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    dirty();
    QCOMPARE(runText(text), std::vector<QString>{message});
  }

  // Two whole records, then a third that the text ends inside, its
  // characters stopping at an even or odd place, whatever white space ends
  // the text: the row keeps what the text holds of it, and the examiner is
  // told the text ends inside it, never that a separator cut it.
  void textEndingInsideARecord_data() {
    QTest::addColumn<int>("kept");
    QTest::addColumn<QString>("ending");
    const std::pair<const char*, const char*> endings[] = {{"", "nothing"},      {"\n", "a line break"},
                                                           {"\r\n", "CRLF"},     {"\n\n", "two line breaks"},
                                                           {"  ", "two spaces"}, {"\t", "a tab"}};
    for (const int kept : {90, 91})
      for (const auto& [ending, name] : endings)
        QTest::addRow("%d characters, then %s", kept, name) << kept << QString(ending);
  }
  void textEndingInsideARecord() {
    QFETCH(int, kept);
    QFETCH(QString, ending);
    const RunState before = dirty();
    const auto messages = runText(hexOf(pEiffel) + hexOf(pLyon) + hexOf(pHome).substr(0, static_cast<size_t>(kept)) +
                                  ending.toStdString());
    CHECK_STATE(
        Capture(),
        expected({kEiffel, kLyon,
                  Texts({"(3) No de rue", "(4) Domicile", "-0.5741", "44.83912", "-0.5743", "44.83895", "", "", ""})},
                 before));
    QCOMPARE(messages, std::vector<QString>{QString::fromUtf8("La fin du texte collé coupe 1 enregistrement : ses "
                                                              "champs après la coupure restent vides.")});
  }

  // Told in the same message as what separators did, each in its own words:
  // a record is cut where its characters first stop.
  void textEndingInsideARecordThatASeparatorCut() {
    dirty();
    const std::string eiffel = hexOf(pEiffel);
    const auto messages = runText(eiffel.substr(0, 80) + "\n" + eiffel.substr(80) + hexOf(pHome).substr(0, 90) + "\n");
    QCOMPARE(messages, std::vector<QString>{QString::fromUtf8(
                           "La fin du texte collé coupe 1 enregistrement : ses champs après la coupure restent vides. "
                           "Le texte collé contient des séparateurs (espaces, retours à la ligne) : 1 enregistrement "
                           "est coupé, ses champs après la coupure restent vides. Collez les octets d'un seul tenant, "
                           "sans séparateur.")});
    QCOMPARE(window()->List("Listbox1")->LastIndex() + 1, 2);
  }

  // Six records as the common dump tools print them (the real tools'
  // output, in tests/fixtures/dumps): offsets, character columns, "0x" and
  // commas stand inside every marker, and no count can say how many records
  // they hide; the message says so, with what white space did beside them.
  void hexDumpsOfSixRecords_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("message");
    const auto dump = [](const char* name) { return QString::fromStdString(readFile(fixture(name))); };
    // The count as the message writes it, thousands grouped.
    const auto others = [](const char* n) {
      return QString::fromUtf8(
                 "Le texte collé contient %1 caractères qui ne sont ni des chiffres hexadécimaux ni des séparateurs "
                 "(espaces, retours à la ligne) : des enregistrements peuvent être coupés ou cachés parmi ces "
                 "caractères, sans qu'on puisse savoir combien. ")
          .arg(QString::fromUtf8(n));
    };
    QTest::newRow("xxd") << dump("dumps/six_records.xxd") << 0
                         << others("375") + QString::fromUtf8(
                                                "Des séparateurs coupent en outre 3 marqueurs, qui n'ont pas été "
                                                "trouvés. Collez les octets seuls, en chiffres hexadécimaux d'un "
                                                "seul tenant, sans séparateur.");
    QTest::newRow("hexdump -C") << dump("dumps/six_records.hexdump") << 0
                                << others("407") + QString::fromUtf8(
                                                       "Des séparateurs coupent en outre 3 marqueurs, qui n'ont pas "
                                                       "été trouvés. Collez les octets seuls, en chiffres "
                                                       "hexadécimaux d'un seul tenant, sans séparateur.");
    QTest::newRow("xxd -i") << dump("dumps/six_records.xxd-i") << 0
                            << others("1\u00A0073") +
                                   QString::fromUtf8("Collez les octets seuls, en chiffres hexadécimaux.");
    // White space alone: what it did is counted whole, as before.
    QTest::newRow("xxd -p")
        << dump("dumps/six_records.xxd-p") << 1
        << QString::fromUtf8(
               "Le texte collé contient des séparateurs (espaces, retours à la ligne) : 1 "
               "enregistrement est coupé, ses champs après la coupure restent vides ; 5 marqueurs "
               "coupés n'ont pas été trouvés. Collez les octets d'un seul tenant, sans séparateur.");
    std::string oneG = recordgen::toHexUpper(readFile(fixture("dumps/six_records.bin")));
    oneG[10] = 'g';  // a fixed character of the first marker
    QTest::newRow("in one piece, a g in the first marker")
        << QString::fromStdString(oneG) << 5
        << QString::fromUtf8(
               "Le texte collé contient 1 caractère qui n'est ni un chiffre hexadécimal ni un séparateur (espace, "
               "retour à la ligne) : des enregistrements peuvent être coupés ou cachés par ce caractère, sans qu'on "
               "puisse savoir combien. Collez les octets seuls, en chiffres hexadécimaux.");
    QTest::newRow("in one piece") << QString::fromStdString(
                                         recordgen::toHexUpper(readFile(fixture("dumps/six_records.bin"))))
                                  << 6 << QString();
  }
  void hexDumpsOfSixRecords() {
    QFETCH(QString, text);
    QFETCH(int, rows);
    QFETCH(QString, message);
    dirty();
    const auto messages = runText(text);
    QCOMPARE(window()->List("Listbox1")->LastIndex() + 1, rows);
    QCOMPARE(messages, message.isEmpty() ? std::vector<QString>{} : std::vector<QString>{message});
  }

  void markerInsideAPreviousRecord() {
    recordgen::Place outer =
        place(2, 5, 483201, 4575781, 483217, 4575798, recordgen::encodeRecord(pLyon), "69002 Lyon", "");
    RecordTexts outerTexts = Texts({"(2) Croisement", "(5) Saisie par adresse", "4.83201", "45.75781", "4.83217",
                                    "45.75798", "", "69002 Lyon", ""});
    outerTexts.text[records::kAddr1] = recordgen::cp1252ToUtf8(recordgen::encodeRecord(pLyon));
    const RunState before = dirty();
    runText(hexOf(outer) + " " + hexOf(pHome));
    CHECK_STATE(Capture(), expected({outerTexts, kLyon, kBordeauxHome}, before));
  }

  void textRunAfterRun() {
    const RunState before = dirty();
    runText(hexOf(pEiffel) + hexOf(pLyon));
    runText(hexOf(pHome));
    CHECK_STATE(Capture(), expected({kBordeauxHome}, before));
    runText(std::string(" no record "));
    CHECK_STATE(Capture(), expected({}, before));
    QCOMPARE(Panel(), RecordTexts{}.text);
  }

  void malformedRecords_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<RecordTexts>("first");
    const std::string e = hexOf(pEiffel);
    const char* p = "(3) No de rue";
    const char* t = "(6) Saisie à partir du POI";
    std::string badPair = e;
    badPair.replace(150, 1, "G");  // inside address 2
    std::string belowBias = e;
    belowBias.replace(64, 2, "0A");
    std::string aboveMax = e.substr(0, 64) + "FE";  // 227 characters of address 1
    for (int i = 0; i < 227; ++i) aboveMax += "42";
    aboveMax += "1B1B";
    RecordTexts longAddress = Texts({p, t, "2.29448", "48.85837", "2.29413", "48.85812", "", "", ""});
    longAddress.text[records::kAddr1] = std::string(227, 'B');
    QTest::newRow("a pair that is not hexadecimal")
        << QString::fromStdString(badPair)
        << Texts({p, t, "2.29448", "48.85837", "2.29413", "48.85812", "Tour Eiffel, 5 avenue Anatole France", "", ""});
    QTest::newRow("a separator inside") << QString::fromStdString(e.substr(0, 40) + " " + e.substr(41))
                                        << Texts({p, t, "2.29448", "", "", "", "", "", ""});
    QTest::newRow("a length byte below 27")
        << QString::fromStdString(belowBias) << Texts({p, t, "2.29448", "48.85837", "2.29413", "48.85812", "", "", ""});
    QTest::newRow("a length byte above 226") << QString::fromStdString(aboveMax) << longAddress;
    QTest::newRow("a record cut short") << QString::fromStdString(e.substr(0, 90))
                                        << Texts({p, t, "2.29448", "48.85837", "2.29413", "48.85812", "", "", ""});
  }

  void malformedRecords() {
    QFETCH(QString, text);
    QFETCH(RecordTexts, first);
    const RunState before = dirty();
    // The search carries on after the malformed record; one cut short ends
    // the text, so it comes last.
    const bool atEnd = QString(QTest::currentDataTag()) == "a record cut short";
    if (atEnd) runText(hexOf(pLyon) + " " + text.toStdString());
    else runText(text.toStdString() + " " + hexOf(pLyon));
    CHECK_STATE(
        Capture(),
        expected(atEnd ? std::vector<RecordTexts>{kLyon, first} : std::vector<RecordTexts>{first, kLyon}, before));
  }

  // ---- both ----

  void sameRecordsAsTextOrAsFile() {
    const Listing listing = sampleListing();
    const std::string bytes = readFile(fixture("settings_sample.cfg"));
    std::string hex;
    const char* seps[] = {"\n", " ", "", "\r\n", "--"};
    for (size_t i = 0; i < listing.offsets.size(); ++i) {
      const size_t at = listing.offsets[i];
      size_t q = at + 32;
      for (int k = 0; k < 3; ++k) q += 1 + (static_cast<uint8_t>(bytes[q]) - 27);
      hex += recordgen::toHexUpper(bytes.substr(at, q - at)) + seps[i % std::size(seps)];
    }
    dirty();
    runFile(fixture("settings_sample.cfg"));
    const RunState fromFile = Capture();
    QCOMPARE(fromFile.rows[0].size(), listing.records.size());
    dirty();
    runText(hex);
    CHECK_STATE(Capture(), fromFile);

    // And the hand-made fixtures written out as text.
    for (const char* name : {"cfg_same_point.cfg", "cfg_nested_marker.cfg", "other_kind.png"}) {
      const std::string b = readFile(fixture(name));
      dirty();
      runFile(fixture(name));
      const RunState file = Capture();
      // The whole file as hex, cut into lines at an even place.
      std::string text = recordgen::toHexUpper(b);
      dirty();
      runText(text);
      const std::string d = Difference(Capture(), file);
      QVERIFY2(d.empty(), (std::string(name) + ": " + d).c_str());
    }
  }
};

QTEST_MAIN(FindersTest)
#include "finders_test.moc"
