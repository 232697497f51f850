// The export texts as views over the stored records: what "OK" copies
// during and after a run, what a clear-all leaves, and the unique list's
// index over many rows against a plain reference.
#include <QtTest>
#include <set>
#include <span>
#include <vector>

#include "app/App.h"
#include "records/Record.h"
#include "records/Results.h"
#include "run_state.h"
#include "ui/Window2.h"

#include "gui_fixture.h"

using records::RecordTexts;
using testing_gui::kHeader;

namespace {
records::ResultsHost& host() { return Window2::instance()->Results(); }

RecordTexts record(int point, int variant) {
  RecordTexts r;
  const std::string p = std::to_string(point);
  r.text = {"(3) Num\xC3\xA9ro de rue",
            "(6) Saisie \xC3\xA0 partir du POI",
            "2." + p,
            "48." + p,
            "2." + std::to_string(variant),
            "48.1",
            "Rue " + p,
            "75007 Paris",
            ""};
  return r;
}

// The export lines spelled out by the tests' own writer, not the program's.
std::string lines(const std::vector<RecordTexts>& rs) {
  std::string out;
  for (const RecordTexts& r : rs) out += testing_gui::Line(r);
  return out;
}

// record(5, 5)'s line, byte by byte: the last field is empty.
const std::string kLine55 =
    "\r(3) Num\xC3\xA9ro de rue\t(6) Saisie \xC3\xA0 partir du POI\t2.5\t48.5\t2.5\t48.1\tRue 5\t75007 Paris\t";
// record(7, 7)'s.
const std::string kLine77 =
    "\r(3) Num\xC3\xA9ro de rue\t(6) Saisie \xC3\xA0 partir du POI\t2.7\t48.7\t2.7\t48.1\tRue 7\t75007 Paris\t";
}  // namespace

class ExportViewTest : public QObject {
  Q_OBJECT
  testing_gui::GuiFixture<> gui;
  App& app = gui.app();

 private slots:
  // "OK" gets the header in front while a run goes on, the text itself
  // once the run is closed, and nothing after a clear-all.
  void exportTextDuringAndAfterARun() {
    app.NameTab(0);
    QCOMPARE(app.ExportText(0), std::string());
    const std::vector<RecordTexts> rs = {record(1, 1), record(2, 1), record(1, 2)};
    records::ajoutePoints(host(), rs);
    QCOMPARE(app.Pressepapier[0], lines(rs));
    QCOMPARE(app.ExportText(0), kHeader + lines(rs));
    QCOMPARE(app.ExportText(1), kHeader + lines({rs[0], rs[1]}));
    QCOMPARE(app.ExportText(-1), std::string());
    QCOMPARE(app.ExportText(2), std::string());
    records::ClosingStep(host());
    QCOMPARE(app.Pressepapier[0], kHeader + lines(rs));
    QCOMPARE(app.ExportText(0), app.Pressepapier[0]);
    QCOMPARE(app.ExportText(1), kHeader + lines({rs[0], rs[1]}));
    app.NameTab(0);
    QCOMPARE(app.Pressepapier[0], std::string());
    QCOMPARE(app.ExportText(0), std::string());
    QCOMPARE(app.ExportText(1), std::string());
  }

  // A text set as such keeps its place: headers in front of it, lines after.
  void textSetAsSuchThenRows() {
    app.NameTab(0);
    app.Pressepapier = {"zero", kHeader};
    QCOMPARE(app.ExportText(0), kHeader + "zero");
    QCOMPARE(app.ExportText(1), kHeader);
    records::ajoutePoint(host(), record(5, 5));
    records::ClosingStep(host());
    QCOMPARE(app.Pressepapier[0], kHeader + "zero" + kLine55);
    QCOMPARE(app.Pressepapier[1], kHeader + kHeader + kLine55);
  }

  // Rows the lists show are the stored records: writing a cell changes the
  // list, not the export text made of the same record.
  void cellWrittenLeavesTheExportAlone() {
    app.NameTab(0);
    records::ajoutePoint(host(), record(7, 7));
    fw::Listbox* all = Window2::instance()->List("Listbox1");
    QCOMPARE(all->Model()->store(), Window2::instance()->List("Listbox2")->Model()->store());
    all->SetCell(0, records::kAddr1, "autre");
    QCOMPARE(all->Cell(0, records::kAddr1), std::string("autre"));
    QCOMPARE(app.Pressepapier[0], kLine77);
  }

  // 60,000 records over 20,000 points, in uneven batches: the unique list
  // and its export hold each point's first record, in order, as a set of
  // the points seen says.
  void uniqueListOverManyRows() {
    app.NameTab(0);
    std::vector<RecordTexts> rs;
    for (int i = 0; i < 60000; ++i) rs.push_back(record((i * 7919) % 20000, i));
    std::set<std::pair<std::string, std::string>> seen;
    std::vector<RecordTexts> first;
    for (const RecordTexts& r : rs)
      if (seen.insert({r.text[records::kLon1], r.text[records::kLat1]}).second) first.push_back(r);
    for (size_t at = 0, n = 1; at < rs.size(); at += n, n = n * 3 % 5000 + 1)
      records::ajoutePoints(host(), std::span(rs).subspan(at, std::min(n, rs.size() - at)));
    fw::Listbox* unique = Window2::instance()->List("Listbox2");
    QCOMPARE(unique->LastIndex() + 1, 20000);
    QCOMPARE(Window2::instance()->List("Listbox1")->LastIndex() + 1, 60000);
    for (int r = 0; r < 20000; r += 1231)
      QCOMPARE(unique->Cell(r, records::kLon2), first[static_cast<size_t>(r)].text[records::kLon2]);
    QCOMPARE(app.Pressepapier[1], lines(first));
    QVERIFY(unique->IndexHolds("2.19999", "48.19999"));
    QVERIFY(!unique->IndexHolds("2.20000", "48.20000"));
    QVERIFY(!unique->IndexHolds("2.1", "48.2"));
  }
};

QTEST_MAIN(ExportViewTest)
#include "export_view_test.moc"
