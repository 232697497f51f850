// Start-up and quitting as the program runs them, and the sample text the
// main window starts with, listed by "Champ texte" right after start-up.
#include <QtTest>

#include <QFile>
#include <QMenuBar>
#include <set>

#include "app/App.h"
#include "app/MenuBar1.h"
#include "app/Startup.h"
#include "framework/core/Text.h"
#include "framework/gui/Seams.h"
#include "recordgen.h"
#include "records/Record.h"
#include "records/Results.h"
#include "run_state.h"
#include "ui/DetailsPanel.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

namespace {

std::array<std::string, 9> expectedRow(const recordgen::Place& p) {
  return {
      testing_gui::PrecisionText(p.precision), testing_gui::TypeText(p.type),       testing_gui::CoordinateText(p.lon1),
      testing_gui::CoordinateText(p.lat1),     testing_gui::CoordinateText(p.lon2), testing_gui::CoordinateText(p.lat2),
      fw::Windows1252ToUtf8(p.addr1),          fw::Windows1252ToUtf8(p.addr2),      fw::Windows1252ToUtf8(p.addr3)};
}

QAction* item(const char* name) {
  for (QMenu* m : MenuBar1::instance()->Menus())
    for (QAction* a : m->actions())
      if (a->objectName() == name) return a;
  return nullptr;
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void startsAppThenMenuBarThenWindow() {
    QVERIFY(!Window2::isOpen());
    Startup run;
    // The application object exists and its Open event has run.
    QCOMPARE(App::instance().PrecisionTexte[0], std::string("ERREUR"));
    QCOMPARE(App::instance().TypeTexte[7], std::string("A partir de la dernière route calculée"));
    QCOMPARE(App::instance().PrecisionTexte[5], std::string());
    QCOMPARE(App::instance().Pressepapier[0], std::string());
    QCOMPARE(App::instance().Pressepapier[1], std::string());
    // The menu bar came before the window: the window shows it.
    QCOMPARE(fw::MenuBar::ApplicationMenuBar(), MenuBar1::instance());
    QVERIFY(Window2::isOpen());
    Window2* w = Window2::instance();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCOMPARE(w->menuBar()->actions().size(), 2);
    QCOMPARE(w->menuBar()->actions()[0]->menu(), MenuBar1::instance()->Child("FileMenu"));
    QCOMPARE(w->menuBar()->actions()[1]->menu(), MenuBar1::instance()->Child("EditMenu"));
    // One menu bar for the whole run.
    QCOMPARE(MenuBar1::instance(), MenuBar1::instance());
  }

  void shutdownReleasesWindowsThenMenuBar() {
    QPointer<Window2> w;
    {
      Startup run;
      w = Window2::instance();
      QVERIFY(w);
    }
    QVERIFY(w.isNull());
    QVERIFY(!Window2::isOpen());
    QVERIFY(!fw::MenuBar::ApplicationMenuBar());
  }

  void quitItemEndsTheLoopWithStatusZero() {
    testutil::ScriptedSeams seams;
    Startup run;
    QVERIFY(QTest::qWaitForWindowExposed(Window2::instance()));
    QTimer::singleShot(0, [] { item("FileQuit")->trigger(); });
    QCOMPARE(QApplication::exec(), 0);
    // Nothing was asked or said on the way out.
    QVERIFY(seams.messages.empty());
    QVERIFY(seams.questions.empty());
  }

  void quitShortcutEndsTheLoop() {
    Startup run;
    Window2* w = Window2::instance();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->Control<fw::TextArea>("TextSource")->setFocus();
    QTimer::singleShot(0, [w] { QTest::keyClick(w, Qt::Key_Q, Qt::ControlModifier); });
    QTimer guard;
    bool timedOut = false;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [&] {
      timedOut = true;
      QApplication::exit(1);
    });
    guard.start(10000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!timedOut);
  }

  void closingTheMainWindowEndsTheProgram() {
    Startup run;
    QVERIFY(QTest::qWaitForWindowExposed(Window2::instance()));
    QTimer::singleShot(0, [] { Window2::instance()->close(); });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QApplication::exit(1); });
    guard.start(10000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!Window2::isOpen());
    // Code that asks for the window afterwards gets a fresh one, menus and all.
    Window2* fresh = Window2::instance();
    QCOMPARE(fresh->menuBar()->actions().size(), 2);
  }

  void sampleTextListedByChampTexte() {
    Startup run;
    Window2* w = Window2::instance();
    QFile file(SOURCE_DIR "/tools/sample.hex");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString sample = QString::fromLatin1(file.readAll()).trimmed();
    const QString text = w->Control<fw::TextArea>("TextSource")->Text();
    QCOMPARE(text, sample);
    QVERIFY(!text.contains('\n'));
    QVERIFY(QRegularExpression("^[0-9A-F]+$").match(text).hasMatch());

    {
      // Text in one piece: nothing to tell.
      testutil::ScriptedSeams seams;
      w->Control<fw::PushButton>("ChampTextePB")->click();
      QCOMPARE(seams.messages, std::vector<QString>{});
    }

    const auto& places = recordgen::samplePlaces();
    QCOMPARE(places.size(), size_t(67));
    fw::Listbox* all = w->List("Listbox1");
    QCOMPARE(all->LastIndex() + 1, 67);
    std::vector<std::array<std::string, 9>> unique;
    std::set<std::pair<int32_t, int32_t>> seen;
    for (size_t r = 0; r < places.size(); ++r) {
      const auto want = expectedRow(places[r]);
      for (int c = 0; c < 9; ++c)
        QVERIFY2(all->Cell(int(r), c) == want[size_t(c)],
                 qPrintable(
                     QString("row %1 column %2: %3").arg(r).arg(c).arg(QString::fromStdString(all->Cell(int(r), c)))));
      if (seen.insert({places[r].lon1, places[r].lat1}).second) unique.push_back(want);
    }
    fw::Listbox* once = w->List("Listbox2");
    QCOMPARE(size_t(once->LastIndex() + 1), unique.size());
    QVERIFY(unique.size() < places.size());  // the sample repeats some points
    for (size_t r = 0; r < unique.size(); ++r)
      for (int c = 0; c < 9; ++c) QCOMPARE(once->Cell(int(r), c), unique[r][size_t(c)]);

    // The run's bookkeeping around the lists.
    auto* tabs = w->Control<fw::TabPanel>("TabPanel1");
    QCOMPARE(tabs->tabText(0), QString("Tous les lieux (67)"));
    QCOMPARE(tabs->tabText(1), QString("Unique (%1)").arg(unique.size()));
    QCOMPARE(tabs->tabText(2), QString("..."));
    const auto last = expectedRow(places.back());
    for (int k = 0; k < 9; ++k) QCOMPARE(w->Label(ui::kPanelLabels[size_t(k)])->Text(), last[size_t(k)]);
    const std::string& exported = App::instance().Pressepapier[0];
    QVERIFY(exported.rfind(records::EnteteTabule, 0) == 0);
    QCOMPARE(std::count(exported.begin(), exported.end(), '\r'), std::ptrdiff_t(67));
  }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
