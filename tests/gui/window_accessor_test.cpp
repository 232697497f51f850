// The main window's single-instance accessor and its named run-state controls.
#include <QtTest>

#include "app/App.h"
#include "recordgen.h"
#include "records/Record.h"
#include "ui/DetailsPanel.h"
#include "ui/Window2.h"

#include "gui_fixture.h"

class WindowAccessorTest : public QObject {
  Q_OBJECT
  testing_gui::GuiFixture<> gui;

 private slots:
  void sameWindowWhileOpen() {
    Window2* a = Window2::instance();
    Window2* b = Window2::instance();
    QCOMPARE(a, b);
    QVERIFY(a->isVisible());
  }

  void runStateControlsFoundByName() {
    Window2* w = gui.freshWindow();
    QVERIFY(w->Control<fw::TextArea>("TextSource"));
    for (const char* name : ui::kPanelLabels) {
      auto* l = w->Control<fw::StaticText>(name);
      QVERIFY2(l, name);
      QCOMPARE(l->Text(), std::string("."));
    }
    QVERIFY(w->Control<fw::Listbox>("Listbox1"));
    QVERIFY(w->Control<fw::Listbox>("Listbox2"));
    auto* tabs = w->Control<fw::TabPanel>("TabPanel1");
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QString("Tous les lieux"));
    QCOMPARE(tabs->tabText(1), QString("Unique"));
    QCOMPARE(tabs->tabText(2), QString("..."));
    QVERIFY(w->Control<fw::ProgressBar>("ProgressBar1"));
    for (const char* name : {"CurProgressionST", "MaxProgressionST"}) {
      QCOMPARE(w->Control<fw::StaticText>(name)->Text(), std::string("Sans_titre"));
      QVERIFY(!w->Control<fw::StaticText>(name)->isVisible());
    }
    QVERIFY(!w->Control<fw::ProgressBar>("ProgressBar1")->isVisible());
    QVERIFY(!w->ControlByName("NoSuchControl"));
  }

  void freshWindowInItsInitialStateAfterClose() {
    Window2* w = gui.freshWindow();
    const QString sample = w->Control<fw::TextArea>("TextSource")->Text();
    w->Control<fw::TextArea>("TextSource")->SetText("changed");
    w->Label("PrecisionST")->SetText("(1) centre ville");
    w->List("Listbox1")->AddRow("row");
    w->Control<fw::TabPanel>("TabPanel1")->setTabText(0, "Tous les lieux (1)");
    QPointer<Window2> old = w;
    w->close();
    QVERIFY(!Window2::isOpen());
    Window2* fresh = Window2::instance();
    QVERIFY(fresh != old.data() || old.isNull());
    QVERIFY(fresh->isVisible());
    QCOMPARE(fresh->Control<fw::TextArea>("TextSource")->Text(), sample);
    QCOMPARE(fresh->Label("PrecisionST")->Text(), std::string("."));
    QCOMPARE(fresh->List("Listbox1")->LastIndex(), -1);
    QCOMPARE(fresh->Control<fw::TabPanel>("TabPanel1")->tabText(0), QString("Tous les lieux"));
    QCOMPARE(Window2::instance(), fresh);
  }

  void decoupeWritesTheNineLabels() {
    Window2* w = Window2::instance();
    const std::string rec = recordgen::encodeRecord({3, 4, 239000, 4885661, 239010, 4885670, "Rue", "", "Paris\xE9"});
    w->Decoupe(fw::MemoryBlock::FromBytes(rec), 0);
    const char* want[] = {"(3) No de rue", "(4) Domicile", "2.39", "48.85661", "2.3901",
                          "48.8567",       "Rue",          "",     "Parisé"};
    for (int k = 0; k < 9; ++k) QCOMPARE(w->Label(ui::kPanelLabels[k])->Text(), std::string(want[k]));
  }
};

QTEST_MAIN(WindowAccessorTest)
#include "window_accessor_test.moc"
