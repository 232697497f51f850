// The per-record results step, the export texts, the tab captions and the
// application object, with the real lists of the main window.
#include <QtTest>
#include <memory>
#include <span>
#include <vector>

#include "app/App.h"
#include "recordgen.h"
#include "records/Record.h"
#include "records/Results.h"
#include "run_state.h"
#include "ui/Window2.h"

#include "gui_fixture.h"

using namespace testing_gui;
using records::RecordTexts;

Q_DECLARE_METATYPE(records::RecordTexts)

namespace {

records::ResultsHost& host() { return Window2::instance()->Results(); }
void feed(std::span<const RecordTexts> batch) { records::ajoutePoints(host(), batch); }
void feed1(const RecordTexts& r) { feed({&r, 1}); }
void reset() { App::instance().NameTab(0); }

const RecordTexts A = Texts({"(3) No de rue", "(6) Saisie \xC3\xA0 partir du POI", "2.29448", "48.85837", "2.29413",
                             "48.85812", "Tour Eiffel", "75007 Paris", "France"});
const RecordTexts B = Texts({"(1) centre ville", "(1) Saisie \xC3\xA0 partir de la carte ou d'un code postal",
                             "4.83566", "45.76404", "4.836", "45.7642", "", "69002 Lyon", "Rh\xC3\xB4ne"});
// A's point saved again as a favourite.
const RecordTexts A2 = Texts({"(3) No de rue", "(3) Favoris", "2.29448", "48.85837", "2.29413", "48.85812",
                              "Tour Eiffel", "75007 Paris", "France"});

RecordTexts with(RecordTexts r, int field, const char* text) {
  r.text[static_cast<size_t>(field)] = text;
  return r;
}

// The sample places as the main window's decoder shows them.
std::vector<RecordTexts> samples() {
  std::vector<RecordTexts> out;
  for (const recordgen::Place& p : recordgen::samplePlaces())
    out.push_back(
        records::DecodeRecord(fw::MemoryBlock::FromBytes(recordgen::encodeRecord(p)), 0, records::Decoder::MainWindow));
  return out;
}

void addRows(const char* list, int count) {
  Window2::instance()->List(list)->AddRows(
      count, [](int r, int c) { return "r" + std::to_string(r) + "c" + std::to_string(c); });
}

}  // namespace

class ResultsTest : public QObject {
  Q_OBJECT
  GuiFixture<> gui;
  App* app = &gui.app();

  // As at start-up, with a new application object: `app` follows it.
  void startAfresh() {
    gui.restart();
    app = &gui.app();
  }

 private slots:
  // The state at start-up, before any run.
  void startUpState() {
    startAfresh();
    QCOMPARE(app->Pressepapier.size(), size_t{2});
    QCOMPARE(app->Pressepapier[0], std::string());
    QCOMPARE(app->Pressepapier[1], std::string());
    QVERIFY(app->NumeroGPS.empty() && app->PrecisionValGPS.empty() && app->TypeVALGPS.empty());
    QVERIFY(app->LatitudeGPS.empty() && app->LatitudeRuePlusProcheGPS.empty() && app->LongitudeGPS.empty());
    QVERIFY(app->LongitudeRuePlusProcheGPS.empty() && app->Adresse1GPS.empty() && app->Adresse2GPS.empty());
    QVERIFY(app->Adresse3GPS.empty() && app->OffsetDansFichierGPS.empty());
    QCOMPARE(&App::instance(), app);
    const RunState s = Capture();
    QVERIFY(s.rows[0].empty() && s.rows[1].empty());
    QCOMPARE(s.captions[0], QString("Tous les lieux"));
    QCOMPARE(s.captions[1], QString("Unique"));
    QCOMPARE(s.captions[2], QString("..."));
  }

  void headerAndHeadings() {
    QCOMPARE(records::EnteteTabule, kHeader);
    // The lists' headings carry no space in the four coordinate names.
    const char* headings[] = {
        "Pr\xC3\xA9"
        "cision",
        "Type",
        "Longitude1",
        "Latitude1",
        "Longitude2",
        "Latitude2",
        "Adresse 1",
        "Adresse 2",
        "Adresse 3"};
    for (const char* list : {"Listbox1", "Listbox2"})
      for (int c = 0; c < records::kFieldCount; ++c)
        QCOMPARE(Window2::instance()->List(list)->Model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString::fromUtf8(headings[c]));
  }

  void duplicateRule_data() {
    QTest::addColumn<RecordTexts>("second");
    QTest::addColumn<bool>("unique");
    QTest::newRow("the very same record") << A << false;
    QTest::newRow("same point, other type") << A2 << false;
    QTest::newRow("same point, other precision") << with(A, records::kPrecision, "(0) ERREUR") << false;
    QTest::newRow("same point, other addresses")
        << with(with(with(A, records::kAddr1, "Champ de Mars"), records::kAddr2, ""), records::kAddr3, "X") << false;
    QTest::newRow("same point, other second pair")
        << with(with(A, records::kLon2, "2.3"), records::kLat2, "-48.85812") << false;
    QTest::newRow("equal longitude 1, other latitude 1") << with(A, records::kLat1, "48.85838") << true;
    QTest::newRow("other longitude 1, equal latitude 1") << with(A, records::kLon1, "2.29449") << true;
    QTest::newRow("longitude and latitude swapped")
        << with(with(A, records::kLon1, "48.85837"), records::kLat1, "2.29448") << true;
    // Joined, "2.2944" + "848.85837" reads like "2.29448" + "48.85837".
    QTest::newRow("texts that join alike")
        << with(with(A, records::kLon1, "2.2944"), records::kLat1, "848.85837") << true;
    QTest::newRow("same number, other text") << with(A, records::kLon1, "2.294480") << true;
    QTest::newRow("empty coordinates") << with(with(A, records::kLon1, ""), records::kLat1, "") << true;
  }

  void duplicateRule() {
    QFETCH(RecordTexts, second);
    QFETCH(bool, unique);
    for (bool oneBatch : {false, true}) {
      reset();
      if (oneBatch) {
        const RecordTexts both[] = {A, second};
        feed(both);
      } else {
        feed1(A);
        // The first record of a run enters both lists and both texts.
        const RunState s = Capture();
        QCOMPARE(s.rows[0], std::vector<Row>{RowOf(A)});
        QCOMPARE(s.rows[1], std::vector<Row>{RowOf(A)});
        QCOMPARE(s.texts[0], Line(A));
        QCOMPARE(s.texts[1], Line(A));
        QCOMPARE(s.captions[0], QString("Tous les lieux (1)"));
        QCOMPARE(s.captions[1], QString("Unique (1)"));
        QCOMPARE(s.panel, A.text);
        feed1(second);
      }
      const RunState s = Capture();
      QCOMPARE(s.rows[0], (std::vector<Row>{RowOf(A), RowOf(second)}));
      QCOMPARE(s.rows[1], unique ? (std::vector<Row>{RowOf(A), RowOf(second)}) : std::vector<Row>{RowOf(A)});
      QCOMPARE(s.texts[0], Line(A) + Line(second));
      QCOMPARE(s.texts[1], unique ? Line(A) + Line(second) : Line(A));
      QCOMPARE(s.captions[0], QString("Tous les lieux (2)"));
      QCOMPARE(s.captions[1], unique ? QString("Unique (2)") : QString("Unique (1)"));
      QCOMPARE(s.panel, second.text);
      records::ClosingStep(host());
      QCOMPARE(app->Pressepapier[0], kHeader + Line(A) + Line(second));
      QCOMPARE(app->Pressepapier[1], kHeader + (unique ? Line(A) + Line(second) : Line(A)));
    }
  }

  void captionsAfterEveryRecordOrBatch() {
    reset();
    struct Step {
      std::vector<RecordTexts> batch;
      const char *all, *unique;
    };
    const RecordTexts C = with(B, records::kLat1, "45.76405");
    const Step steps[] = {
        {{A}, "Tous les lieux (1)", "Unique (1)"},
        {{A2}, "Tous les lieux (2)", "Unique (1)"},
        {{B, C, with(B, records::kType, "(5) Saisie par adresse")}, "Tous les lieux (5)", "Unique (3)"},
        {{A, A2, A}, "Tous les lieux (8)", "Unique (3)"},
    };
    auto* tabs = Window2::instance()->Control<fw::TabPanel>("TabPanel1");
    for (const Step& step : steps) {
      // Whatever the captions read before, the step writes both.
      tabs->setTabText(0, "x");
      tabs->setTabText(1, "y");
      feed(step.batch);
      QCOMPARE(Caption(0), QString::fromUtf8(step.all));
      QCOMPARE(Caption(1), QString::fromUtf8(step.unique));
      QCOMPARE(Caption(2), QString("..."));
      QCOMPARE(Panel(), step.batch.back().text);
    }
  }

  void runWithoutRecords() {
    feed1(A);
    reset();
    feed({});
    records::ClosingStep(host());
    const RunState s = Capture();
    QVERIFY(s.rows[0].empty() && s.rows[1].empty());
    QCOMPARE(s.texts[0], kHeader);
    QCOMPARE(s.texts[1], kHeader);
    QCOMPARE(s.captions[0], QString("Tous les lieux"));
    QCOMPARE(s.captions[1], QString("Unique"));
  }

  void threeRecordsTwoAtOnePoint() {
    reset();
    feed1(A);
    feed1(B);
    feed1(A2);
    records::ClosingStep(host());
    const std::string header =
        "Pr\xC3\xA9"
        "cision\tType\tLongitude 1\tLatitude 1\tLongitude 2\tLatitude 2\tAdresse 1\tAdresse 2\tAdresse 3";
    const std::string a =
        "\r(3) No de rue\t(6) Saisie \xC3\xA0 partir du POI\t2.29448\t48.85837\t2.29413\t48.85812\t"
        "Tour Eiffel\t75007 Paris\tFrance";
    const std::string b =
        "\r(1) centre ville\t(1) Saisie \xC3\xA0 partir de la carte ou d'un code postal\t4.83566\t"
        "45.76404\t4.836\t45.7642\t\t69002 Lyon\tRh\xC3\xB4ne";
    const std::string a2 =
        "\r(3) No de rue\t(3) Favoris\t2.29448\t48.85837\t2.29413\t48.85812\t"
        "Tour Eiffel\t75007 Paris\tFrance";
    QCOMPARE(app->Pressepapier[0], header + a + b + a2);
    QCOMPARE(app->Pressepapier[1], header + a + b);
    for (const std::string& t : app->Pressepapier) {
      QVERIFY(t.find('\n') == std::string::npos);
      QVERIFY(t.back() != '\t' && t.back() != '\r');
    }
    QCOMPARE(ListRows("Listbox1"), (std::vector<Row>{RowOf(A), RowOf(B), RowOf(A2)}));
    QCOMPARE(ListRows("Listbox2"), (std::vector<Row>{RowOf(A), RowOf(B)}));
  }

  void controlCharacterInsideAnAddress_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("lineFields");
    // The line split at its tabs: the fields after the address move along.
    QTest::newRow("tab")
        << "Quai\tdu Port"
        << QStringList{"(3) No de rue", "(5) Saisie par adresse", "5.3743", "43.29532", "5.37411", "43.2952", "Quai",
                       "du Port",       "13001 Marseille",        "France"};
    QTest::newRow("carriage return") << "Quai\rdu Port" << QStringList{"(3) No de rue", "(5) Saisie par adresse",
                                                                       "5.3743",        "43.29532",
                                                                       "5.37411",       "43.2952",
                                                                       "Quai\rdu Port", "13001 Marseille",
                                                                       "France"};
  }

  void controlCharacterInsideAnAddress() {
    QFETCH(QString, address);
    QFETCH(QStringList, lineFields);
    const std::string addr = address.toStdString();
    const RecordTexts r = Texts({"(3) No de rue", "(5) Saisie par adresse", "5.3743", "43.29532", "5.37411", "43.2952",
                                 addr.c_str(), "13001 Marseille", "France"});
    reset();
    feed1(r);
    // The cells hold the texts as they are.
    QCOMPARE(ListRows("Listbox1"), std::vector<Row>{RowOf(r)});
    QCOMPARE(ListRows("Listbox2"), std::vector<Row>{RowOf(r)});
    const std::string& line = app->Pressepapier[0];
    QCOMPARE(line.front(), '\r');
    QCOMPARE(QString::fromStdString(line.substr(1)).split('\t'), lineFields);
    QCOMPARE(app->Pressepapier[1], line);
  }

  void batchesEqualOneAtATime() {
    std::vector<RecordTexts> recs = samples();
    // Points met again later in the run, and twice in a row.
    recs.push_back(recs[3]);
    recs.push_back(recs[3]);
    recs.push_back(with(recs[10], records::kAddr1, "ailleurs"));
    recs.insert(recs.begin() + 20, recs[0]);
    reset();
    for (const RecordTexts& r : recs) feed1(r);
    records::ClosingStep(host());
    const RunState reference = Capture();
    QVERIFY(reference.rows[1].size() < reference.rows[0].size());

    const std::vector<size_t> batchSizes[] = {{2}, {3}, {7}, {recs.size()}, {1, 5, 2, 40, 1}};
    for (const auto& sizes : batchSizes) {
      reset();
      size_t at = 0;
      for (size_t k = 0; at < recs.size(); ++k) {
        const size_t n = std::min(sizes[k % sizes.size()], recs.size() - at);
        feed({recs.data() + at, n});
        at += n;
        // The panel shows the batch's last record.
        QCOMPARE(Panel(), recs[at - 1].text);
      }
      records::ClosingStep(host());
      const std::string diff = Difference(Capture(), reference);
      QVERIFY2(diff.empty(), diff.c_str());
    }
  }

  void indexFollowsTheList() {
    fw::Listbox* unique = Window2::instance()->List("Listbox2");
    reset();
    feed1(A);
    feed1(B);
    QCOMPARE(unique->LastIndex(), 1);

    // Emptied by a new run between two records, then refilled.
    reset();
    feed1(A);
    QCOMPARE(ListRows("Listbox2"), std::vector<Row>{RowOf(A)});
    feed1(A2);
    QCOMPARE(ListRows("Listbox2"), std::vector<Row>{RowOf(A)});

    // Emptied alone, as the list's own handlers may do.
    unique->DeleteAllRows();
    feed1(A2);
    QCOMPARE(ListRows("Listbox2"), std::vector<Row>{RowOf(A2)});
    QCOMPARE(ListRows("Listbox1"), (std::vector<Row>{RowOf(A), RowOf(A2), RowOf(A2)}));

    // Rows added by the list's own calls count like the step's.
    unique->AddRows(1, [](int, int c) { return B.text[static_cast<size_t>(c)]; });
    unique->AddRow("");
    for (int c = 0; c < records::kFieldCount; ++c) unique->SetCell(2, c, with(B, records::kLat1, "1").text[c]);
    feed1(B);
    feed1(with(B, records::kLat1, "1"));
    QCOMPARE(unique->LastIndex(), 2);

    // A cell written over moves the row's point.
    unique->SetCell(0, records::kLon1, "9.5");
    feed1(A);
    QCOMPARE(unique->LastIndex(), 3);
    QCOMPARE(unique->Cell(3, records::kLon1), A.text[records::kLon1]);
    feed1(with(A, records::kLon1, "9.5"));
    QCOMPARE(unique->LastIndex(), 3);

    // Emptied between two records of one batch's worth, then refilled the same.
    reset();
    const RecordTexts run[] = {A, B, A2};
    feed(run);
    reset();
    feed(run);
    QCOMPARE(ListRows("Listbox2"), (std::vector<Row>{RowOf(A), RowOf(B)}));
  }

  void nameTabCounts_data() {
    QTest::addColumn<int>("rows1");
    QTest::addColumn<int>("rows2");
    QTest::addColumn<QString>("caption0");
    QTest::addColumn<QString>("caption1");
    QTest::newRow("one row and none") << 1 << 0 << "Tous les lieux (1)"
                                      << "Unique";
    QTest::newRow("three and two") << 3 << 2 << "Tous les lieux (3)"
                                   << "Unique (2)";
    QTest::newRow("none") << 0 << 0 << "Tous les lieux"
                          << "Unique";
    QTest::newRow("twelve and ten") << 12 << 10 << "Tous les lieux (12)"
                                    << "Unique (10)";
  }

  void nameTabCounts() {
    QFETCH(int, rows1);
    QFETCH(int, rows2);
    QFETCH(QString, caption0);
    QFETCH(QString, caption1);
    reset();
    addRows("Listbox1", rows1);
    addRows("Listbox2", rows2);
    app->Pressepapier = {"\rone", "\rtwo"};
    Window2::instance()->ShowRecord(B);
    auto* tabs = Window2::instance()->Control<fw::TabPanel>("TabPanel1");
    tabs->setTabText(0, "old 0");
    tabs->setTabText(1, "old 1");
    tabs->setTabText(2, "third");
    RunState want = Capture();
    app->NameTab(1);
    want.captions[0] = caption0;
    want.captions[1] = caption1;
    const std::string diff = Difference(Capture(), want);
    tabs->setTabText(2, "...");
    QVERIFY2(diff.empty(), diff.c_str());
  }

  void nameTabResetAndOtherModes() {
    reset();
    addRows("Listbox1", 3);
    addRows("Listbox2", 2);
    app->NameTab(1);
    app->Pressepapier = {"\rone", "\rtwo"};
    Window2::instance()->ShowRecord(A);
    const RunState before = Capture();

    for (int mode : {2, -1, 100}) {
      app->NameTab(mode);
      const std::string diff = Difference(Capture(), before);
      QVERIFY2(diff.empty(), (std::to_string(mode) + ": " + diff).c_str());
    }

    app->NameTab(0);
    RunState once = before;
    once.rows = {};
    once.texts = {"", ""};
    once.captions[0] = "Tous les lieux";
    once.captions[1] = "Unique";
    std::string diff = Difference(Capture(), once);  // the panel is left alone
    QVERIFY2(diff.empty(), diff.c_str());
    app->NameTab(0);
    diff = Difference(Capture(), once);
    QVERIFY2(diff.empty(), diff.c_str());
    app->NameTab(1);
    diff = Difference(Capture(), once);
    QVERIFY2(diff.empty(), diff.c_str());
  }

  void newWindowStartsWithAFreshIndex() {
    reset();
    feed1(A);
    Window2::instance()->close();
    QVERIFY(!Window2::isOpen());
    reset();
    feed1(A2);
    QCOMPARE(ListRows("Listbox2"), std::vector<Row>{RowOf(A2)});
    QCOMPARE(app->Pressepapier[1], Line(A2));
  }
};

QTEST_MAIN(ResultsTest)
#include "results_test.moc"
