// The handlers of the main window's data controls: the key filter of the
// text area, "OK" (the export to the clipboard), the clear-all, the lists'
// selection and double-click, and "Quitter".
#include <unistd.h>

#include <QClipboard>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <iostream>

#include "app/App.h"
#include "app/MenuBar1.h"
#include "app/Startup.h"
#include "framework/gui/Seams.h"
#include "recordgen.h"
#include "records/Results.h"
#include "run_state.h"
#include "ui/ThreadDD.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

#include "gui_fixture.h"

using namespace testing_gui;

namespace {

const QString kNothing = QString::fromUtf8("Il n'y a rien à mettre dans le presse papier");
const QString kQuestion =
    QString::fromUtf8("Voulez-vous vraiment vider le champ texte ci-dessus et la liste ci-dessous ? ");
const QString kExplanation = QString::fromUtf8("Cette suppression est irréversible");

fw::TextArea* source() { return Window2::instance()->Control<fw::TextArea>("TextSource"); }
fw::TabPanel* tabs() { return Window2::instance()->Control<fw::TabPanel>("TabPanel1"); }

QAction* item(const char* name) {
  for (QMenu* m : MenuBar1::instance()->Menus())
    for (QAction* a : m->actions())
      if (a->objectName() == name) return a;
  return nullptr;
}

// A sparse image: records in its first chunk, then a terabyte of holes, so
// that a scan shows its first records and then runs on for a long while.
std::string hugeImageWithRecords(const QTemporaryDir& dir, const char* name, int records) {
  const std::string path = dir.filePath(name).toStdString();
  std::string bytes(1000, '\0');
  for (int k = 0; k < records; ++k) {
    bytes += recordgen::encodeRecord(recordgen::samplePlaces()[static_cast<size_t>(k)]);
    bytes += std::string(20, '\0');
  }
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (::truncate(path.c_str(), int64_t{1} << 40) != 0) return {};
  return path;
}

// The child side of the quit test: "Quitter" clicked while a scan runs.
int quitButtonDuringScan(int argc, char** argv) {
  QApplication qt(argc, argv);
  testutil::ScriptedSeams seams;
  Startup run;
  seams.files.push_back(std::string(argv[2]));
  Window2::instance()->ImagePB1_Action();
  QTimer::singleShot(300, [] {
    std::cout << (ThreadDD::Running() ? "running" : "idle") << std::endl;
    Window2::instance()->Control<fw::PushButton>("PushButton2")->click();
  });
  return QApplication::exec();
}

}  // namespace

class HandlersTest : public QObject {
  Q_OBJECT
  GuiFixture<> gui;
  QTemporaryDir dir;

  // A fresh window, active: the key and paste tests type into it.
  Window2* fresh() {
    Window2* w = gui.freshWindow();
    w->activateWindow();
    return w;
  }
  // "Champ texte" over the sample text the window starts with.
  void searchSample() { Window2::instance()->ChampTextePB_Action(); }

  // Runs the real caution dialog and answers it with `answer`.
  void answerRealDialog(const std::function<void(QMessageBox*)>& answer, QString* text = nullptr,
                        QString* informative = nullptr) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      seen = true;
      if (text) *text = box->text();
      if (informative) *informative = box->informativeText();
      QCOMPARE(box->icon(), QMessageBox::Warning);
      QStringList captions;
      for (QAbstractButton* b : box->buttons()) captions << b->text();
      captions.sort();
      QCOMPARE(captions, QStringList({"Non", "Oui"}));
      QCOMPARE(box->defaultButton()->text(), QString("Non"));
      answer(box);
    });
    QCOMPARE(Window2::instance()->CleanPB_MouseDown(3, 4), false);
    QVERIFY(seen);
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir.isValid());
    // The windows show the application's menu bar, as after start-up.
    fw::MenuBar::SetApplicationMenuBar(MenuBar1::instance());
  }

  void keyFilter_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("passes");
    QTest::addColumn<int>("modifiers");
    const struct {
      const char* name;
      int key;
      const char* text;
      bool passes;
      Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    } cases[] = {
        {"0", Qt::Key_0, "0", true},
        {"9", Qt::Key_9, "9", true},
        {"a", Qt::Key_A, "a", true},
        {"f", Qt::Key_F, "f", true},
        {"A", Qt::Key_A, "A", true},
        {"F", Qt::Key_F, "F", true},
        {"/", Qt::Key_Slash, "/", false},
        {":", Qt::Key_Colon, ":", false},
        {"@", Qt::Key_At, "@", false},
        {"`", Qt::Key_QuoteLeft, "`", false},
        {"g", Qt::Key_G, "g", false},
        {"G", Qt::Key_G, "G", false},
        {"é", Qt::Key_Eacute, "é", false},
        {"space", Qt::Key_Space, " ", false},
        {"Backspace", Qt::Key_Backspace, "\b", false},
        {"Delete", Qt::Key_Delete, "\x7f", false},
        {"Left", Qt::Key_Left, "", false},
        {"Right", Qt::Key_Right, "", false},
        {"Up", Qt::Key_Up, "", false},
        {"Down", Qt::Key_Down, "", false},
        {"Return", Qt::Key_Return, "\r", false},
        {"Tab", Qt::Key_Tab, "\t", false},
        {"Shift+A", Qt::Key_A, "A", true, Qt::ShiftModifier},
        // Super (Meta on X11) types no character, digits included.
        {"Super+G", Qt::Key_G, "g", false, Qt::MetaModifier},
        {"Super+Space", Qt::Key_Space, " ", false, Qt::MetaModifier},
        {"Super+1", Qt::Key_1, "1", false, Qt::MetaModifier},
        {"Super+a", Qt::Key_A, "a", false, Qt::MetaModifier},
        {"Super+Shift+F", Qt::Key_F, "F", false, Qt::MetaModifier | Qt::ShiftModifier},
        // Chords of the area that are no command of the Edit menu: each
        // would cut, delete or move without the question clear-all asks.
        {"Ctrl+K", Qt::Key_K, "\x0b", false, Qt::ControlModifier},
        {"Ctrl+Backspace", Qt::Key_Backspace, "\b", false, Qt::ControlModifier},
        {"Ctrl+Delete", Qt::Key_Delete, "\x7f", false, Qt::ControlModifier},
        {"Ctrl+Home", Qt::Key_Home, "", false, Qt::ControlModifier},
        {"Ctrl+End", Qt::Key_End, "", false, Qt::ControlModifier},
        {"Ctrl+Left", Qt::Key_Left, "", false, Qt::ControlModifier},
        {"Ctrl+Right", Qt::Key_Right, "", false, Qt::ControlModifier},
        {"Ctrl+Shift+Left", Qt::Key_Left, "", false, Qt::ControlModifier | Qt::ShiftModifier},
        {"Ctrl+1", Qt::Key_1, "1", false, Qt::ControlModifier},
        {"Shift+Insert", Qt::Key_Insert, "", false, Qt::ShiftModifier},
        {"Shift+Delete", Qt::Key_Delete, "", false, Qt::ShiftModifier},
    };
    for (const auto& c : cases)
      QTest::newRow(c.name) << c.key << QString::fromUtf8(c.text) << c.passes << static_cast<int>(c.modifiers.toInt());
  }
  void keyFilter() {
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, passes);
    QFETCH(int, modifiers);
    fresh();
    fw::TextArea* ta = source();
    ta->setFocus();
    ta->SetText("ab");
    QTextCursor c = ta->textCursor();
    c.setPosition(1);
    ta->setTextCursor(c);
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers::fromInt(modifiers), text);
    QApplication::sendEvent(ta, &press);
    if (passes) {
      QCOMPARE(ta->Text(), "a" + text + "b");
    } else {
      QCOMPARE(ta->Text(), QString("ab"));
      QCOMPARE(ta->textCursor().position(), 1);
    }
  }

  // What reaches the area beside the digits is the Edit menu's commands:
  // undo does, redo does not (it is none of them).
  void undoPassesRedoDoesNot() {
    fresh();
    fw::TextArea* ta = source();
    QVERIFY(QTest::qWaitForWindowExposed(Window2::instance()));
    Window2::instance()->activateWindow();
    ta->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ta));
    ta->SetText("ab");
    ta->moveCursor(QTextCursor::End);
    QTest::keyClicks(ta, "1");
    QCOMPARE(ta->Text(), QString("ab1"));
    QTest::keyClick(ta, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(ta->Text(), QString("ab"));
    QTest::keyClick(ta, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(ta, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(ta->Text(), QString("ab"));
    // The chords that edit, sent as the keyboard sends them.
    QTest::keyClick(ta, Qt::Key_K, Qt::ControlModifier);
    QTest::keyClick(ta, Qt::Key_Backspace, Qt::ControlModifier);
    ta->moveCursor(QTextCursor::Start);
    QTest::keyClick(ta, Qt::Key_Delete, Qt::ControlModifier);
    QTest::keyClick(ta, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(ta->Text(), QString("ab"));
    QCOMPARE(ta->textCursor().position(), 0);
  }

  // A composed text (an input method, a dead key) gets in only when each of
  // its characters is a hexadecimal digit.
  void composedText_data() {
    QTest::addColumn<QString>("composed");
    QTest::addColumn<bool>("passes");
    QTest::newRow("digits") << "1aF" << true;
    QTest::newRow("one digit") << "e" << true;
    QTest::newRow("a digit then an accent") << QString::fromUtf8("1é") << false;
    QTest::newRow("an accent") << QString::fromUtf8("é") << false;
    QTest::newRow("a dead key's circumflex") << "^" << false;
    QTest::newRow("digits around a space") << "0 4" << false;
    QTest::newRow("a character beyond the first plane") << QString::fromUtf8("1\U0001F600") << false;
  }
  void composedText() {
    QFETCH(QString, composed);
    QFETCH(bool, passes);
    fresh();
    fw::TextArea* ta = source();
    ta->SetText("ab");
    QTextCursor c = ta->textCursor();
    c.setPosition(1);
    ta->setTextCursor(c);
    QInputMethodEvent e;
    e.setCommitString(composed);
    QApplication::sendEvent(ta, &e);
    QCOMPARE(ta->Text(), passes ? "a" + composed + "b" : QString("ab"));
  }

  // Pasting is how text comes in: by shortcut and by the Edit menu, with
  // every character the clipboard holds.
  void pasteKeepsEveryCharacter() {
    fresh();
    fw::TextArea* ta = source();
    QVERIFY(QTest::qWaitForWindowExposed(Window2::instance()));
    Window2::instance()->activateWindow();
    ta->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ta));
    const QString odd = QString::fromUtf8("zz é\t04 ¤ ;");
    QApplication::clipboard()->setText(odd);
    ta->SetText("");
    QTest::keyClick(ta, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(ta->Text(), odd);
    ta->SetText("");
    item("EditPaste")->trigger();
    QCOMPARE(ta->Text(), odd);
    // Select all and cut still work from the keyboard.
    QTest::keyClick(ta, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(ta, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(ta->Text(), QString());
    QCOMPARE(QApplication::clipboard()->text(), odd);
  }

  void exportCopiesTheSelectedTabsText() {
    testutil::ScriptedSeams seams;
    Window2* w = fresh();
    seams.clipboard = "untouched";
    // Before any search: nothing to copy, the clipboard left as it was.
    w->PushButton1_Action();
    QCOMPARE(seams.messages, std::vector<QString>({kNothing}));
    QCOMPARE(seams.clipboard, QString("untouched"));

    // After a search that found nothing: the header alone.
    source()->SetText("00");
    w->ChampTextePB_Action();
    w->PushButton1_Action();
    QCOMPARE(seams.clipboard.toStdString(), kHeader);

    source()->SetText(QString::fromLatin1(recordgen::toHexUpper(recordgen::encodeRecord(recordgen::samplePlaces()[0]) +
                                                                recordgen::encodeRecord(recordgen::samplePlaces()[0]) +
                                                                recordgen::encodeRecord(recordgen::samplePlaces()[2]))
                                              .c_str()));
    w->ChampTextePB_Action();
    QCOMPARE(w->List("Listbox1")->LastIndex(), 2);
    QCOMPARE(w->List("Listbox2")->LastIndex(), 1);
    // Byte for byte: header, then a carriage return before each record.
    w->PushButton1_Action();
    QCOMPARE(seams.clipboard.toStdString(), App::instance().Pressepapier[0]);
    std::string expected = kHeader;
    for (const Row& row : ListRows("Listbox1")) {
      expected += "\r";
      for (size_t c = 0; c < row.size(); ++c) expected += (c ? "\t" : "") + row[c];
    }
    QCOMPARE(seams.clipboard.toStdString(), expected);
    // "Unique" copies the unique points, whatever the other tab holds.
    tabs()->setCurrentIndex(1);
    w->PushButton1_Action();
    QCOMPARE(seams.clipboard.toStdString(), App::instance().Pressepapier[1]);
    QVERIFY(App::instance().Pressepapier[1] != App::instance().Pressepapier[0]);
    // The third tab has no text of its own.
    seams.clipboard = "untouched";
    seams.messages.clear();
    tabs()->setCurrentIndex(2);
    w->PushButton1_Action();
    QCOMPARE(seams.messages, std::vector<QString>({kNothing}));
    QCOMPARE(seams.clipboard, QString("untouched"));
    // After a clear-all answered "Oui": nothing again.
    tabs()->setCurrentIndex(0);
    seams.confirms.push_back(true);
    w->CleanPB_MouseDown(0, 0);
    seams.messages.clear();
    w->PushButton1_Action();
    QCOMPARE(seams.messages, std::vector<QString>({kNothing}));
    QCOMPARE(seams.clipboard, QString("untouched"));
  }

  // While a scan still runs, what reaches the clipboard is a whole export:
  // the header, then only well-formed record lines.
  void exportDuringAScanHasItsHeader() {
    testutil::ScriptedSeams seams;
    Window2* w = fresh();
    const std::string path = hugeImageWithRecords(dir, "huge.img", 20);
    QVERIFY(!path.empty());
    seams.files.push_back(path);
    w->ImagePB1_Action();
    QPointer<ThreadDD> t = ThreadDD::Running();
    QVERIFY(t);
    QTRY_COMPARE_WITH_TIMEOUT(w->List("Listbox1")->LastIndex(), 19, 20000);
    QVERIFY(ThreadDD::Running());
    w->PushButton1_Action();
    const std::string copied = seams.clipboard.toStdString();
    QVERIFY2(copied.rfind(kHeader, 0) == 0, Visible(copied.substr(0, 80)).c_str());
    std::string rest = copied.substr(kHeader.size());
    int lines = 0;
    for (size_t at = 0; at < rest.size();) {
      QCOMPARE(rest[at], '\r');
      const size_t next = rest.find('\r', at + 1);
      const std::string line = rest.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
      QCOMPARE(std::count(line.begin(), line.end(), '\t'), 8L);
      ++lines;
      at = next == std::string::npos ? rest.size() : next;
    }
    QCOMPARE(lines, 20);
    w->close();
    QTRY_VERIFY(t.isNull() || t->isFinished());
    std::remove(path.c_str());
  }

  void clearAllAsksFirst() {
    testutil::ScriptedSeams seams;
    Window2* w = fresh();
    searchSample();
    w->List("Listbox1")->selectRow(4);
    const RunState before = Capture();
    const QString text = source()->Text();
    seams.confirms.push_back(false);
    QCOMPARE(w->CleanPB_MouseDown(1, 2), false);
    QCOMPARE(seams.questions, std::vector<QString>({kQuestion}));
    QCOMPARE(seams.explanations, std::vector<QString>({kExplanation}));
    QCOMPARE(Difference(Capture(), before), std::string());
    QCOMPARE(source()->Text(), text);

    seams.confirms.push_back(true);
    tabs()->setCurrentIndex(1);
    QCOMPARE(w->CleanPB_MouseDown(1, 2), false);
    RunState cleared;
    cleared.captions = {"Tous les lieux", "Unique", "..."};
    QCOMPARE(Difference(Capture(), cleared), std::string());
    QCOMPARE(source()->Text(), QString());
    // The selected tab is not touched.
    QCOMPARE(tabs()->Value(), 1);
  }

  // The real dialog: its texts and buttons, and every way out but "Oui"
  // changes nothing.
  void clearAllRealDialog() {
    Window2* w = fresh();
    searchSample();
    const RunState before = Capture();
    const QString text = source()->Text();
    QString question, informative;
    answerRealDialog([](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Escape); }, &question, &informative);
    QCOMPARE(question, kQuestion);
    QCOMPARE(informative, kExplanation);
    answerRealDialog([](QMessageBox* b) { b->close(); });
    answerRealDialog([](QMessageBox* b) {
      for (QAbstractButton* x : b->buttons())
        if (x->text() == "Non") x->click();
    });
    answerRealDialog([](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Return); });  // the default: "Non"
    QCOMPARE(Difference(Capture(), before), std::string());
    QCOMPARE(source()->Text(), text);
    answerRealDialog([](QMessageBox* b) {
      for (QAbstractButton* x : b->buttons())
        if (x->text() == "Oui") x->click();
    });
    QCOMPARE(source()->Text(), QString());
    QCOMPARE(w->List("Listbox1")->LastIndex(), -1);
    QCOMPARE(App::instance().Pressepapier[0], std::string());
  }

  void selectionShowsTheRow() {
    Window2* w = fresh();
    searchSample();
    fw::Listbox* all = w->List("Listbox1");
    all->selectRow(5);
    const std::vector<Row> rows = ListRows("Listbox1");
    auto panelRow = [] {
      const auto p = Panel();
      return Row(p.begin(), p.end());
    };
    QCOMPARE(panelRow(), rows[5]);
    tabs()->setCurrentIndex(1);
    w->List("Listbox2")->selectRow(7);
    QCOMPARE(panelRow(), ListRows("Listbox2")[7]);
    // A list emptied leaves the labels as they were.
    const auto shown = Panel();
    w->Listbox2_Open();
    QCOMPARE(w->List("Listbox2")->LastIndex(), -1);
    QCOMPARE(Panel(), shown);
    all->clearSelection();
    QCOMPARE(Panel(), shown);
  }

  void doubleClickOpensTheRowUnderThePointer() {
    testutil::ScriptedSeams seams;
    Window2* w = fresh();
    searchSample();
    w->List("Listbox1")->selectRow(0);
    tabs()->setCurrentIndex(1);
    fw::Listbox* unique = w->List("Listbox2");
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const int r = 3;
    const QRect cell = unique->visualRect(unique->model()->index(r, 4));
    QTest::mouseDClick(unique->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(seams.urls.size(), size_t{1});
    QCOMPARE(seams.urls[0].toStdString(),
             "https://maps.google.com/maps?q=" + unique->Cell(r, 3) + "+" + unique->Cell(r, 2) + "&hl=fr");
    QVERIFY(unique->Cell(r, 3) != w->List("Listbox1")->Cell(0, 3));

    // Below the last row and on the headings: nothing.
    w->Listbox2_Open();
    unique->AddRows(1, [](int, int c) { return std::string(c == 2 ? "-1.25" : c == 3 ? "45.5" : "x"); });
    const QRect only = unique->visualRect(unique->model()->index(0, 0));
    QTest::mouseDClick(unique->viewport(), Qt::LeftButton, {}, only.center() + QPoint(0, 5 * only.height()));
    QTest::mouseDClick(unique->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(only.center().x(), 3));
    QCOMPARE(unique->RowFromXY(only.center().x(), 3), -1);
    QCOMPARE(seams.urls.size(), size_t{1});
    QTest::mouseDClick(unique->viewport(), Qt::LeftButton, {}, only.center());
    QCOMPARE(seams.urls.size(), size_t{2});
    QCOMPARE(seams.urls[1], QString("https://maps.google.com/maps?q=45.5+-1.25&hl=fr"));
  }

  // A settings file whose last record is cut inside its latitude 1: its row
  // has a longitude 1 and no latitude 1, and shows on no map.
  void doubleClickOnARowWithoutBothCoordinates() {
    Window2* w = fresh();
    const recordgen::Place p = recordgen::samplePlaces()[1];
    const std::string whole = recordgen::encodeRecord(p);
    const std::string path = dir.filePath("cut.cfg").toStdString();
    std::ofstream(path, std::ios::binary) << whole << whole.substr(0, 14 + 4 + 2);
    {
      testutil::ScriptedSeams seams;
      seams.files.push_back(path);
      w->FichierPB1_Action();
      QVERIFY(seams.messages.empty());
    }
    fw::Listbox* all = w->List("Listbox1");
    QCOMPARE(all->LastIndex(), 1);
    QCOMPARE(all->Cell(1, records::kLon1), records::CoordinateText(p.lon1));
    QCOMPARE(all->Cell(1, records::kLat1), std::string());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto doubleClick = [&](int row) {
      QTest::mouseDClick(all->viewport(), Qt::LeftButton, {}, all->visualRect(all->model()->index(row, 4)).center());
    };
    testutil::ScriptedSeams seams;
    doubleClick(1);
    QVERIFY(seams.urls.empty());
    QCOMPARE(seams.messages,
             std::vector<QString>{QString::fromUtf8(
                 "Ce lieu n'a pas de coordonnées complètes : il ne peut pas être montré sur une carte.")});
    // The whole record before it still opens its map; so would a row with a
    // latitude and no longitude not.
    doubleClick(0);
    QCOMPARE(seams.urls.size(), size_t{1});
    w->Listbox1_Open();
    all->AddRows(1, [](int, int c) { return std::string(c == 3 ? "45.5" : c == 2 ? "" : "x"); });
    doubleClick(0);
    QCOMPARE(seams.urls.size(), size_t{1});
    QCOMPARE(seams.messages.size(), size_t{2});
  }

  void quitDuringAScanExitsCleanly() {
    const std::string path = hugeImageWithRecords(dir, "huge2.img", 3);
    QVERIFY(!path.empty());
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {"--quit-button-during-scan", QString::fromStdString(path)});
    QVERIFY(child.waitForStarted());
    QVERIFY(child.waitForReadyRead(20000));
    QCOMPARE(QString(child.readLine()).trimmed(), QString("running"));
    QVERIFY(child.waitForFinished(5000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    std::remove(path.c_str());
  }
};

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--quit-button-during-scan") return quitButtonDuringScan(argc, argv);
  QApplication qt(argc, argv);
  HandlersTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "handlers_test.moc"
