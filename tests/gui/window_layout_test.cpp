// The main window as it is built: its forty controls walked against the
// control table, the resizing rule, the tab order, the event bindings, the
// menu bar it shows, and a picture of it.
#include <QtTest>

#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QTextDocument>
#include <QToolTip>

#include "app/App.h"
#include "app/MenuBar1.h"
#include "app/Startup.h"
#include "ui/DetailsPanel.h"
#include "ui/Window2.h"

namespace {

constexpr int L = fw::LockLeft, T = fw::LockTop, R = fw::LockRight, B = fw::LockBottom;

struct Row {
  const char* name;
  const char* cls;
  const char* text;  // caption, label text, tab captions (CR-separated), list headings (tab-separated), rows
  QRect rect;
  int locks;
  int page;
  bool visible, enabled;
  double size;  // 0: the default size
  bool bold, underline;
  int align;  // labels only; -1 elsewhere
  const char* help;
};

const char* kTextHelp =
    "Collez dans cette zone texte un code hexa issu d'un GPS puis cliquez sur le bouton \"Champ texte\" afin de "
    "tenter de la décoder";
const char* kImageHelp =
    "Recherche les enregistrements d'une image binaire d'une carte mémoire de GPS et place le résultat décodé dans "
    "la liste ci-dessous.";
const char* kFileHelp =
    "Décode le contenu d'un fichier mapsettings.cfg d'un GPS et place le résultat décodé dans la liste ci-dessous.";
const char* kFieldHelp =
    "Décode le contenu hexa du champ ci-dessus et place le résultat décodé dans la liste ci-dessous.\r"
    "NB : Le contenu doit être en mode texte et non pas directement le binaire";
const char* kOkHelp =
    "Place le contenu de la liste de l'onglet actif ci-dessus dans le presse-papier en format tabulé (prêt à être "
    "collé dans un tableau de type MS Excel)";
const char* kCleanHelp = "Permet de vider le champ texte ci-dessus et le contenu de la liste ci-dessus";
const char* kTabHelp =
    "L'onglet \"Tous les lieux\" contient l'ensemble des points GPS retrouvés dans le fichier ou l'image binaire. Si "
    "un même point GPS est retrouvé plusieurs fois dans le ficheir analysé, il sera présent plusieurs fois dans "
    "cette liste.\r\rL'onglet \"Unique\" contient une seule fois chaque point GPS retrouvé. Un point GPS est considéré "
    "comme déjà trouvé si il y a déjà  dans l'onglet unique un point avec la même longitude1 et latitude1";
const char* kListHelp =
    "Affiche le résultat décodé issu d'un GPS.\r\rDouble-cliquez sur une des lignes de cette liste pour visualiser le "
    "point GPS dans google maps.";
const char* kPopupHelp =
    "Fonctionnalité non encore disponible.\r\rElle permettra de choisir le format d'export du contenu de la liste "
    "ci-dessus (Fichier ou Presse papier, format tabulé ou HTML)";
const char* kCheckHelp =
    "En cochant cette case vous ferez apparaître automatiquement une fenêtre d'aide chaque fois que vous passerez la "
    "souris au dessus des nom des items ci-dessous.";
const char* kHeadings =
    "Précision\tType\tLongitude1\tLatitude1\tLongitude2\tLatitude2\tAdresse 1\tAdresse 2\tAdresse 3";

// The control table, in creation order.
const std::vector<Row>& table() {
  // One control a row, as the table is read: kept off the formatter.
  // clang-format off
  static const std::vector<Row> rows = {
      {"TextSource", "fw::TextArea", nullptr, {20, 14, 549, 118}, L | T | R, 0, true, true, 0, false, false, -1, kTextHelp},
      {"ImagePB1", "fw::PushButton", "Image binaire (dd)", {366, 144, 155, 20}, L | T, 0, true, true, 0, false, false, -1, kImageHelp},
      {"FichierPB1", "fw::PushButton", "Fichier .cfg", {220, 144, 134, 20}, L | T, 0, true, true, 0, false, false, -1, kFileHelp},
      {"StaticText15", "fw::StaticText", "Adr3 :", {580, 112, 35, 20}, T | R, 0, true, true, 9, true, false, 0, ""},
      {"Adresse3ST", "fw::StaticText", ".", {612, 112, 248, 20}, T | R, 0, true, true, 9, false, false, 0, ""},
      {"StaticText14", "fw::StaticText", "Adr2 :", {580, 92, 35, 20}, T | R, 0, true, true, 9, true, false, 0, ""},
      {"Adresse2ST", "fw::StaticText", ".", {612, 92, 248, 20}, T | R, 0, true, true, 9, false, false, 0, ""},
      {"Adresse1ST", "fw::StaticText", ".", {612, 72, 248, 20}, T | R, 0, true, true, 9, false, false, 0, ""},
      {"StaticText13", "fw::StaticText", "Adr1 :", {580, 72, 35, 20}, T | R, 0, true, true, 9, true, false, 0, ""},
      {"Latitude2ST", "fw::StaticText", ".", {790, 49, 67, 20}, T | R, 0, true, true, 9, false, false, 0, ""},
      {"StaticText12", "fw::StaticText", "Latitude 2 :", {724, 49, 61, 20}, T | R, 0, true, true, 9, true, false, 2, ""},
      {"Latitude1ST", "fw::StaticText", ".", {648, 49, 55, 20}, T | R, 0, true, true, 9, false, false, 0, ""},
      {"StaticText11", "fw::StaticText", "Latitude 1 :", {580, 49, 62, 20}, T | R, 0, true, true, 9, true, false, 2, ""},
      {"Longitude2ST", "fw::StaticText", ".", {790, 28, 63, 20}, T | R, 0, true, true, 9, false, false, 0, ""},
      {"StaticText10", "fw::StaticText", "Longitude 2 :", {715, 28, 69, 20}, T | R, 0, true, true, 9, true, false, 2, ""},
      {"Longitude1ST", "fw::StaticText", ".", {647, 27, 56, 20}, T | R, 0, true, true, 9, false, false, 0, ""},
      {"StaticText9", "fw::StaticText", "Longitude 1 :", {571, 28, 70, 20}, T | R, 0, true, true, 9, true, false, 2, ""},
      {"TypeST", "fw::StaticText", ".", {790, 9, 85, 20}, T | R, 0, true, true, 9, false, false, 0, ""},
      {"PrecisionST", "fw::StaticText", ".", {647, 9, 83, 20}, T | R, 0, true, true, 9, false, false, 0, ""},
      {"StaticText7", "fw::StaticText", "Précision :", {578, 9, 63, 20}, T | R, 0, true, true, 9, true, false, 2, ""},
      {"ChampTextePB", "fw::PushButton", "Champ texte", {88, 144, 120, 20}, L | T, 0, true, true, 0, false, false, -1, kFieldHelp},
      {"ProgressBar1", "fw::ProgressBar", nullptr, {551, 144, 296, 20}, L | T | R, 0, false, true, 0, false, false, -1, ""},
      {"CurProgressionST", "fw::StaticText", "Sans_titre", {551, 164, 130, 20}, L | T, 0, false, true, 10, false, false, 2, ""},
      {"MaxProgressionST", "fw::StaticText", "Sans_titre", {689, 164, 116, 20}, L | T, 0, false, true, 10, false, false, 0, ""},
      {"StaticText8", "fw::StaticText", "Type :", {736, 9, 48, 20}, T | R, 0, true, true, 9, true, false, 2, ""},
      {"PushButton1", "fw::PushButton", "OK", {204, 515, 64, 20}, L | B, 0, true, true, 0, false, false, -1, kOkHelp},
      {"PushButton2", "fw::PushButton", "Quitter", {773, 515, 80, 20}, R | B, 0, true, true, 0, false, false, -1, "A votre avis ?"},
      {"StaticText16", "fw::StaticText", nullptr, {169, 549, 124, 20}, B, 0, true, true, 10, false, false, 2, ""},
      {"StaticText17", "fw::StaticText", "contact@morvane.test", {299, 549, 108, 20}, B, 0, true, true, 11, false, true, 0, ""},
      {"StaticText18", "fw::StaticText", "En savoir plus sur Gravelin et www.morvane.test", {413, 549, 223, 20}, B, 0, true, true, 10, false, true, 2, ""},
      {"Canvas1", "fw::Canvas", nullptr, {642, 534, 26, 32}, B, 0, true, true, 0, false, false, -1, ""},
      {"PubPlumesatST", "fw::StaticText",
       "Double-cliquez sur une ligne de la liste ci-dessus pour visualiser le point sur Google Maps", {286, 518, 459, 17},
       L | B, 0, true, true, 9, true, false, 1, ""},
      {"CleanPB", "fw::Canvas", nullptr, {20, 144, 16, 16}, L | T, 0, true, true, 0, false, false, -1, kCleanHelp},
      {"FichierPB11", "fw::PushButton", "Fichier .cfg", {220, 170, 134, 20}, L | T, 0, false, true, 0, false, false, -1, kFileHelp},
      {"TabPanel1", "fw::TabPanel", "Tous les lieux\rUnique\r...", {20, 198, 836, 308}, L | T | R | B, 0, true, true, 0, false, false, -1, kTabHelp},
      {"Listbox1", "fw::Listbox", kHeadings, {28, 235, 820, 262}, L | T | R | B, 1, true, true, 10, false, false, -1, kListHelp},
      {"Listbox2", "fw::Listbox", kHeadings, {28, 235, 820, 262}, L | T | R | B, 2, true, true, 10, false, false, -1, kListHelp},
      {"StaticText1", "fw::StaticText", "Le contenu de cet onglet reste à définir", {85, 257, 454, 20}, L | T, 3, true, false, 0, false, false, 0, ""},
      {"PopupMenu1", "fw::PopupMenu", "Presse papier tabulé\rPresse papier HTML\rFichier tabulé\rFichier HTML", {20, 515, 172, 20}, L | B, 0, true, false, 0, false, false, -1, kPopupHelp},
      {"AideFlottantCB", "fw::CheckBox", "Afficher les bulles d'aide", {23, 191, 159, 20}, 0, 0, true, true, 10, false, false, -1, kCheckHelp},
  };
  // clang-format on
  return rows;
}

// The events of the table, in its order.
const std::vector<std::pair<const char*, const char*>> kEvents = {
    {"TextSource", "KeyDown"},     {"ImagePB1", "Action"},     {"FichierPB1", "Action"},
    {"ChampTextePB", "Action"},    {"PushButton1", "Action"},  {"PushButton2", "Action"},
    {"StaticText16", "MouseDown"}, {"StaticText16", "Open"},   {"StaticText17", "MouseDown"},
    {"StaticText18", "MouseDown"}, {"Canvas1", "MouseDown"},   {"Canvas1", "Paint"},
    {"PubPlumesatST", "KeyDown"},  {"CleanPB", "Paint"},       {"CleanPB", "MouseDown"},
    {"FichierPB11", "Action"},     {"Listbox1", "Open"},       {"Listbox1", "DoubleClick"},
    {"Listbox1", "Change"},        {"Listbox2", "Open"},       {"Listbox2", "DoubleClick"},
    {"Listbox2", "Change"},        {"AideFlottantCB", "Open"},
};

QString shownText(QWidget* c) {
  if (auto* s = qobject_cast<fw::StaticText*>(c)) return QString::fromStdString(s->Text());
  if (auto* b = qobject_cast<QAbstractButton*>(c)) return b->text();
  if (auto* t = qobject_cast<fw::TabPanel*>(c)) {
    QStringList tabs;
    for (int i = 0; i < t->count(); ++i) tabs << t->tabText(i);
    return tabs.join('\r');
  }
  if (auto* l = qobject_cast<fw::Listbox*>(c)) {
    QStringList h;
    for (int i = 0; i < l->model()->columnCount(); ++i) h << l->model()->headerData(i, Qt::Horizontal).toString();
    return h.join('\t');
  }
  if (auto* p = qobject_cast<fw::PopupMenu*>(c)) {
    QStringList rows;
    for (int i = 0; i < p->count(); ++i) rows << p->itemText(i);
    return rows.join('\r');
  }
  return {};
}

QString plainTooltip(const QWidget* w) {
  QTextDocument d;
  d.setHtml(w->toolTip());
  return d.toPlainText();
}

QRect grown(const Row& r, int dw, int dh) {
  QRect g = r.rect;
  if ((r.locks & L) && (r.locks & R)) g.setWidth(g.width() + dw);
  else if (r.locks & R) g.translate(dw, 0);
  if ((r.locks & T) && (r.locks & B)) g.setHeight(g.height() + dh);
  else if (r.locks & B) g.translate(0, dh);
  return g;
}

}  // namespace

class WindowLayoutTest : public QObject {
  Q_OBJECT
  std::unique_ptr<Startup> run;

  Window2* window() {
    Window2* w = Window2::instance();
    if (!QTest::qWaitForWindowExposed(w)) qWarning("window not exposed");
    return w;
  }
  QAction* item(const char* name) {
    for (QMenu* m : MenuBar1::instance()->Menus())
      for (QAction* a : m->actions())
        if (a->objectName() == name) return a;
    return nullptr;
  }

 private slots:
  void initTestCase() { run = std::make_unique<Startup>(); }
  void cleanupTestCase() { run.reset(); }

  void windowProperties() {
    Window2* w = window();
    QCOMPARE(w->windowTitle(), QString("Gravelin"));
    QCOMPARE(w->Content()->size(), QSize(880, 576));
    QCOMPARE(w->Content()->minimumSize(), QSize(845, 576));
    QCOMPARE(w->Content()->maximumSize(), QSize(32000, 32000));
    QVERIFY(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(w->windowFlags() & Qt::WindowCloseButtonHint);
    // The menu bar sits above the content, which keeps its designed size.
    QVERIFY(w->menuBar()->isVisible());
    QCOMPARE(w->Content()->y(), w->menuBar()->height());
  }

  void controlTableWalked() {
    Window2* w = window();
    std::vector<QString> names;
    for (QWidget* c : w->Controls()) names.push_back(c->objectName());
    std::vector<QString> want;
    for (const Row& r : table()) want.push_back(r.name);
    QCOMPARE(names, want);  // exactly these forty, in creation order

    QFile sample(SOURCE_DIR "/tools/sample.hex");
    QVERIFY(sample.open(QIODevice::ReadOnly));
    const QString sampleText = QString::fromLatin1(sample.readAll()).trimmed();
    for (const Row& r : table()) {
      QWidget* c = w->ControlByName(r.name);
      QVERIFY2(c, r.name);
      const QByteArray at = r.name;
      QCOMPARE(QString(c->metaObject()->className()), QString(r.cls));
      QCOMPARE(c->parentWidget(), w->Content());
      QCOMPARE(c->geometry(), r.rect);
      QCOMPARE(w->DesignRect(c), r.rect);
      QCOMPARE(w->Locks(c), r.locks);
      QCOMPARE(w->Page(c), r.page);
      QVERIFY2(w->ControlVisible(c) == r.visible, at);
      // The first tab shows: the controls of the other pages are hidden.
      QVERIFY2(c->isVisible() == (r.visible && r.page <= 1), at);
      QVERIFY2(c->isEnabled() == r.enabled, at);
      QCOMPARE(QString::fromStdString(fw::HelpTag(c)), QString(r.help));
      QCOMPARE(plainTooltip(c), QString(r.help).replace('\r', '\n'));
      QCOMPARE(fw::TextSize(c), r.size);
      if (r.size > 0) QCOMPARE(c->font().pixelSize(), int(r.size));
      QVERIFY2(c->font().bold() == r.bold, at);
      QVERIFY2(c->font().underline() == r.underline, at);
      QVERIFY2(!c->font().italic(), at);
      if (r.text) QCOMPARE(shownText(c), QString(r.text));
      if (auto* s = qobject_cast<fw::StaticText*>(c)) {
        QCOMPARE(s->TextAlign(), r.align);
        const Qt::Alignment h = r.align == 0 ? Qt::AlignLeft : r.align == 1 ? Qt::AlignHCenter : Qt::AlignRight;
        QCOMPARE(s->alignment() & Qt::AlignHorizontal_Mask, h);
        QVERIFY(!s->wordWrap());
      }
      if (auto* b = qobject_cast<QPushButton*>(c)) QVERIFY(!b->isDefault() && !b->autoDefault());
    }

    // What each class holds beyond the common keys.
    auto* text = w->Control<fw::TextArea>("TextSource");
    QCOMPARE(text->Text(), sampleText);
    QVERIFY(!text->isReadOnly());
    QVERIFY(text->tabChangesFocus());
    QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(text->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    auto* bar = w->Control<fw::ProgressBar>("ProgressBar1");
    QCOMPARE(bar->value(), 0);
    QCOMPARE(bar->maximum(), 100);
    auto* tabs = w->Control<fw::TabPanel>("TabPanel1");
    QCOMPARE(tabs->Value(), 0);
    QCOMPARE(w->Control<fw::PopupMenu>("PopupMenu1")->ListIndex(), 0);
    QCOMPARE(w->Control<fw::PopupMenu>("PopupMenu1")->currentText(), QString("Presse papier tabulé"));
    QVERIFY(!w->Control<fw::CheckBox>("AideFlottantCB")->isChecked());
    const QString version = QString::fromStdString(w->Label("StaticText16")->Text());
    QVERIFY2(version.startsWith("Gravelin v") && version.endsWith(" - email : "), qPrintable(version));
    for (const char* name : ui::kPanelLabels) QCOMPARE(w->Label(name)->Text(), std::string("."));
    for (const char* name : {"Canvas1", "CleanPB"}) QCOMPARE(w->ControlByName(name)->focusPolicy(), Qt::NoFocus);
  }

  void listsShapedAsDesigned() {
    Window2* w = window();
    const int widths[] = {100, 100, 80, 80, 80, 80, 100, 100, 100};
    for (const char* name : {"Listbox1", "Listbox2"}) {
      fw::Listbox* l = w->List(name);
      QCOMPARE(l->model()->columnCount(), 9);
      int total = 0;
      for (int c = 0; c < 9; ++c) {
        QCOMPARE(l->columnWidth(c), widths[c]);
        QCOMPARE(l->horizontalHeader()->sectionResizeMode(c), QHeaderView::Interactive);
        total += l->columnWidth(c);
      }
      QCOMPARE(total, 820);
      QCOMPARE(total, w->DesignRect(l).width());
      QVERIFY(l->showGrid());
      // Rows of one fixed height, fitted to the list's own text size.
      QCOMPARE(l->verticalHeader()->defaultSectionSize(), l->fontMetrics().height() + 4);
      QCOMPARE(l->selectionMode(), QAbstractItemView::SingleSelection);
      QCOMPARE(l->selectionBehavior(), QAbstractItemView::SelectRows);
      QCOMPARE(l->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
      QCOMPARE(l->LastIndex(), -1);
    }
    QCOMPARE(w->List("Listbox1")->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(w->List("Listbox2")->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    // The second list keeps its index of points: a row added is found.
    w->List("Listbox2")->AddRows(1, [](int, int c) { return c == 2 ? "2.5" : c == 3 ? "48.1" : ""; });
    QVERIFY(w->List("Listbox2")->IndexHolds("2.5", "48.1"));
    w->List("Listbox2")->DeleteAllRows();
  }

  void pagesShowTheirOwnControls() {
    Window2* w = window();
    auto* tabs = w->Control<fw::TabPanel>("TabPanel1");
    const char* onPage[] = {"Listbox1", "Listbox2", "StaticText1"};
    for (int page = 0; page < 3; ++page) {
      tabs->setCurrentIndex(page);
      for (int k = 0; k < 3; ++k) QCOMPARE(w->ControlByName(onPage[k])->isVisible(), k == page);
    }
    tabs->setCurrentIndex(0);
  }

  void everyEventBoundToItsMethod() {
    Window2* w = window();
    const auto& b = w->Bindings();
    QCOMPARE(b.size(), kEvents.size());
    for (size_t i = 0; i < b.size(); ++i) {
      QCOMPARE(b[i].control, QString(kEvents[i].first));
      QCOMPARE(b[i].event, QString(kEvents[i].second));
    }
    // The hooks are really in place.
    QVERIFY(w->Control<fw::TextArea>("TextSource")->onKeyDown);
    QVERIFY(w->Label("PubPlumesatST")->onKeyDown);
    // A bound key handler that declines leaves the key to the text area.
    auto* text = w->Control<fw::TextArea>("TextSource");
    text->SetText("");
    QTest::keyClicks(text, "0a");
    QCOMPARE(text->Text(), QString("0a"));
    w->close();  // the next test gets a fresh window, sample text and all
  }

  void growingMovesAndStretchesByTheLocks() {
    Window2* w = window();
    QCOMPARE(w->Content()->size(), QSize(880, 576));
    w->resize(w->width() + 200, w->height() + 100);
    QTRY_COMPARE(w->Content()->size(), QSize(1080, 676));
    // The moves and stretches the design names, control by control.
    const QStringList movesRight = {"StaticText15", "Adresse3ST",   "StaticText14", "Adresse2ST",  "Adresse1ST",
                                    "StaticText13", "Latitude2ST",  "StaticText12", "Latitude1ST", "StaticText11",
                                    "Longitude2ST", "StaticText10", "Longitude1ST", "StaticText9", "TypeST",
                                    "PrecisionST",  "StaticText7",  "StaticText8"};
    const QStringList rightEndFollows = {"TextSource", "ProgressBar1"};
    const QStringList growsBoth = {"TabPanel1", "Listbox1", "Listbox2"};
    const QStringList keepsBottomDistance = {"PushButton1",  "PopupMenu1",   "PubPlumesatST", "StaticText16",
                                             "StaticText17", "StaticText18", "Canvas1"};
    const QStringList staysPut = {"AideFlottantCB", "ChampTextePB", "FichierPB1",       "FichierPB11",     "ImagePB1",
                                  "CleanPB",        "StaticText1",  "CurProgressionST", "MaxProgressionST"};
    int checked = 0;
    for (const Row& r : table()) {
      const QRect now = w->ControlByName(r.name)->geometry();
      QRect want = r.rect;
      if (movesRight.contains(r.name)) want.translate(200, 0);
      else if (rightEndFollows.contains(r.name)) want.setWidth(want.width() + 200);
      else if (growsBoth.contains(r.name)) want.setSize(want.size() + QSize(200, 100));
      else if (keepsBottomDistance.contains(r.name)) want.translate(0, 100);
      else if (QString(r.name) == "PushButton2") want.translate(200, 100);
      else QVERIFY2(staysPut.contains(r.name), r.name);
      QCOMPARE(now, want);
      QCOMPARE(now, grown(r, 200, 100));  // and the locks say the same
      ++checked;
    }
    QCOMPARE(checked, 40);

    // Never smaller than the minimum, whatever is asked.
    w->resize(300, 200);
    QTRY_COMPARE(w->Content()->size(), QSize(845, 576));
    for (const Row& r : table()) QCOMPARE(w->ControlByName(r.name)->geometry(), grown(r, -35, 0));
    QVERIFY(w->maximumHeight() >= 32000 && w->maximumWidth() == 32000);
    w->resize(w->width() + 35, w->height());
    QTRY_COMPARE(w->Content()->size(), QSize(880, 576));
  }

  void tabKeyFollowsTheTabOrder() {
    Window2* w = window();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    auto* text = w->Control<fw::TextArea>("TextSource");
    text->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), text);
    // Labels, canvases, the hidden and the disabled controls take no focus;
    // the lists follow their tab panel.
    const QStringList order = {"ImagePB1",  "FichierPB1", "ChampTextePB",   "PushButton1", "PushButton2",
                               "TabPanel1", "Listbox1",   "AideFlottantCB", "TextSource"};
    for (const QString& next : order) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* f = QApplication::focusWidget();
      while (f && f->parentWidget() != w->Content()) f = f->parentWidget();
      QVERIFY(f);
      QCOMPARE(f->objectName(), next);
    }
  }

  void menuBarEntriesInOrder() {
    Window2* w = window();
    const QList<QAction*> top = w->menuBar()->actions();
    QCOMPARE(top.size(), 2);
    QCOMPARE(top[0]->text(), QString("&Fichier"));
    QCOMPARE(top[0]->menu()->objectName(), QString("FileMenu"));
    QCOMPARE(top[1]->text(), QString("Edition"));
    QCOMPARE(top[1]->menu()->objectName(), QString("EditMenu"));
    struct Entry {
      const char* name;
      const char* text;  // nullptr: a separator
      QKeySequence keys;
    };
    const std::vector<Entry> file = {{"FileQuit", "Quitter", QKeySequence("Ctrl+Q")}};
    const std::vector<Entry> edit = {
        {"EditUndo", "Annuler", QKeySequence("Ctrl+Z")},
        {"UntitledMenu1", nullptr, {}},
        {"EditCut", "Couper", QKeySequence("Ctrl+X")},
        {"EditCopy", "&Copier", QKeySequence("Ctrl+C")},
        {"EditPaste", "Coller", QKeySequence("Ctrl+V")},
        {"EditClear", "Effacer", {}},
        {"UntitledMenu0", nullptr, {}},
        {"EditSelectAll", "Tout Sélectionner", QKeySequence("Ctrl+A")},
    };
    for (int m = 0; m < 2; ++m) {
      const QList<QAction*> items = top[m]->menu()->actions();
      const auto& want = m == 0 ? file : edit;
      QCOMPARE(items.size(), qsizetype(want.size()));
      for (size_t i = 0; i < want.size(); ++i) {
        QAction* a = items[qsizetype(i)];
        QCOMPARE(a->objectName(), QString(want[i].name));
        QCOMPARE(a->isSeparator(), want[i].text == nullptr);
        if (want[i].text) QCOMPARE(a->text(), QString(want[i].text));
        QCOMPARE(a->shortcut(), want[i].keys);
      }
    }
    QCOMPARE(item("FileQuit")->menuRole(), QAction::QuitRole);
    // A window built later shows the same menus.
    w->close();
    Window2* fresh = window();
    QVERIFY(fresh->menuBar()->isVisible());
    QCOMPARE(fresh->menuBar()->actions().size(), 2);
    QCOMPARE(fresh->menuBar()->actions()[0]->menu(), top[0]->menu());
    QCOMPARE(fresh->menuBar()->actions()[1]->menu(), top[1]->menu());
  }

  void editItemsActOnTheFocusedTextControl() {
    Window2* w = window();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    auto* text = w->Control<fw::TextArea>("TextSource");
    text->SetText("0A1B2C");
    text->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), text);
    MenuBar1::instance()->UpdateEditItems();
    QVERIFY(!item("EditCopy")->isEnabled());  // nothing selected yet
    QVERIFY(!item("EditCut")->isEnabled());
    QVERIFY(!item("EditClear")->isEnabled());
    QVERIFY(item("EditSelectAll")->isEnabled());

    item("EditSelectAll")->trigger();
    QCOMPARE(text->textCursor().selectedText(), QString("0A1B2C"));
    QVERIFY(item("EditCopy")->isEnabled() && item("EditCut")->isEnabled() && item("EditClear")->isEnabled());
    item("EditCut")->trigger();
    QCOMPARE(text->Text(), QString());
    QVERIFY(item("EditPaste")->isEnabled());
    item("EditPaste")->trigger();
    item("EditPaste")->trigger();
    QCOMPARE(text->Text(), QString("0A1B2C0A1B2C"));
    item("EditSelectAll")->trigger();
    item("EditClear")->trigger();
    QCOMPARE(text->Text(), QString());
    QVERIFY(item("EditUndo")->isEnabled());
    item("EditUndo")->trigger();
    QCOMPARE(text->Text(), QString("0A1B2C0A1B2C"));

    // Away from a text control the editing items have nothing to act on.
    w->List("Listbox1")->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), w->List("Listbox1"));
    MenuBar1::instance()->UpdateEditItems();
    for (const char* name : {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"})
      QVERIFY2(!item(name)->isEnabled(), name);
    QVERIFY(item("FileQuit")->isEnabled());
    w->close();
  }

  // A label's text too wide by up to 15% is drawn smaller, in steps of 3%
  // down to exactly 85%; one wider than that is cut at full size.
  void labelTextDrawnSmallerUpTo15Percent_data() {
    QTest::addColumn<double>("available");  // per thousand of the full width
    QTest::addColumn<int>("percent");
    QTest::newRow("fits") << 1000.0 << 100;
    QTest::newRow("first step") << 970.0 << 97;
    QTest::newRow("between steps") << 900.0 << 88;
    QTest::newRow("below the limit") << 860.0 << 85;
    QTest::newRow("at the limit") << 850.0 << 85;
    QTest::newRow("past the limit") << 849.0 << 100;
    QTest::newRow("far past") << 500.0 << 100;
  }
  void labelTextDrawnSmallerUpTo15Percent() {
    QFETCH(double, available);
    QFETCH(int, percent);
    std::vector<int> tried;
    const auto widthAt = [&](int pc) {
      tried.push_back(pc);
      return 1000.0 * pc / 100;
    };
    QCOMPARE(fw::FitScalePercent(widthAt, available), percent);
    // Never below 85%, never a size between the steps.
    for (int pc : tried) QVERIFY2(pc == 100 || (pc >= 85 && (100 - pc) % 3 == 0), qPrintable(QString::number(pc)));
  }

  // A value too long for its panel label ends with "…" where it is cut and
  // shows whole in the label's help tag, at every window size; one that
  // fits shows as it is, with no help tag. The label keeps its place and
  // gives back the whole value.
  void panelValueTooLongEndsWithAnEllipsis() {
    Window2* w = window();
    w->showNormal();
    w->resize(880, 576);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    records::RecordTexts r;
    r.text = {"(3) No de rue",
              "(6) Saisie à partir du POI",
              "2.29448",
              "48.85837",
              "2.29413",
              "48.85812",
              "Tour Eiffel, 5 avenue Anatole France, Champ-de-Mars, 7e arrondissement",
              "75007 Paris",
              "France"};
    w->ShowRecord(r);
    fw::StaticText* type = w->Label("TypeST");
    fw::StaticText* addr1 = w->Label("Adresse1ST");
    const QRect typeAt = type->geometry(), addrAt = addr1->geometry();
    for (const QSize size : {QSize(880, 576), QSize(1900, 1100)}) {
      w->resize(size);
      QApplication::processEvents();
      for (fw::StaticText* l : {type, addr1}) {
        const QString whole = QString::fromStdString(l->Text());
        QVERIFY2(l->IsCut(), qPrintable(whole));
        const QString shown = l->ShownText();
        QVERIFY2(shown.endsWith(QChar(0x2026)), qPrintable(shown));
        QVERIFY(whole.startsWith(shown.chopped(1)));
        QVERIFY(QFontMetricsF(l->DrawnFont()).horizontalAdvance(shown) <= l->contentsRect().width());
        QVERIFY2(l->toolTip().contains(whole.toHtmlEscaped()), qPrintable(l->toolTip()));
      }
      QCOMPARE(type->size(), typeAt.size());
      QCOMPARE(addr1->size(), addrAt.size());
    }
    QCOMPARE(type->Text(), r.text[records::kType]);
    // Values that fit: drawn whole, no help tag; a cut one that is then
    // replaced by one that fits loses its help tag.
    for (const char* name : {"PrecisionST", "Longitude1ST", "Adresse2ST"}) {
      fw::StaticText* l = w->Label(name);
      QVERIFY(!l->IsCut());
      QCOMPARE(l->ShownText(), QString::fromStdString(l->Text()));
      QCOMPARE(l->toolTip(), QString());
    }
    type->SetText("(4) Domicile");
    QVERIFY(!type->IsCut());
    QCOMPARE(type->toolTip(), QString());
    // The captions beside them are not values: nothing of this there.
    QCOMPARE(w->Label("StaticText8")->toolTip(), QString());
    w->resize(880, 576);
  }

  // An address of 199 upper-case characters is far wider than the screen:
  // its help tag wraps at the screen's width, at spaces, and the tooltip
  // that shows it stays on the screen with every character of the value.
  void helpTagWiderThanTheScreenWraps() {
    Window2* w = window();
    w->showNormal();
    w->resize(880, 576);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    std::string address;
    while (address.size() < 199) address += "9 BOULEVARD DE MAGENTA ";
    address.resize(199);
    records::RecordTexts r;
    r.text = {"(3) No de rue", "(5) Saisie par adresse", "2.35", "48.87", "2.35", "48.87", address, "75010 Paris",
              "France"};
    w->ShowRecord(r);
    fw::StaticText* addr1 = w->Label("Adresse1ST");
    QVERIFY(addr1->IsCut());
    const int screenWidth = addr1->screen()->geometry().width();
    const QFontMetricsF fm(QToolTip::font());
    QVERIFY(fm.horizontalAdvance(QString::fromStdString(address)) > screenWidth);

    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), addr1->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(addr1, &help);
    QLabel* tip = nullptr;
    QTRY_VERIFY([&] {
      for (QWidget* t : QApplication::topLevelWidgets())
        if (t->inherits("QTipLabel") && t->isVisible()) tip = qobject_cast<QLabel*>(t);
      return tip != nullptr;
    }());
    QCOMPARE(tip->text(), addr1->toolTip());
    QVERIFY2(tip->width() <= screenWidth, qPrintable(QString::number(tip->width())));
    QVERIFY(tip->geometry().left() >= 0 && tip->geometry().right() < screenWidth);
    const QStringList lines = plainTooltip(addr1).split('\n');
    QVERIFY2(lines.size() >= 2, qPrintable(addr1->toolTip()));
    QCOMPARE(lines.join(QString()), QString::fromStdString(address));
    for (const QString& line : lines) {
      QVERIFY2(fm.horizontalAdvance(line) <= screenWidth, qPrintable(line));
      // Broken after a space, never inside a word that fits a line.
      if (&line != &lines.back()) QVERIFY2(line.endsWith(' '), qPrintable(line));
    }
    QToolTip::hideText();
  }

  // A picture of the window holding the sample's records, then one with
  // the scan's progress shown; with GRAVELIN_RENDER_PNG set they are saved
  // there (the second with "-scan" before the extension).
  void renderedWithTheSampleRecords() {
    Window2* w = window();
    w->Control<fw::PushButton>("ChampTextePB")->click();
    QCOMPARE(w->List("Listbox1")->LastIndex(), 66);
    w->List("Listbox1")->selectRow(3);
    QApplication::processEvents();
    const QImage shot = w->grab().toImage();
    QCOMPARE(shot.size() / shot.devicePixelRatio(), w->size());

    // The count of bytes read ends just before the total begins, both under
    // the bar: together they read as one figure.
    auto* bar = w->Control<fw::ProgressBar>("ProgressBar1");
    auto* cur = w->Label("CurProgressionST");
    auto* max = w->Label("MaxProgressionST");
    bar->setMaximum(50000);
    bar->setValue(21000);
    cur->SetText("420\u00A0000\u00A0000");
    max->SetText("/ 1\u00A0000\u00A0000\u00A0000");
    for (QWidget* c : std::initializer_list<QWidget*>{bar, cur, max}) w->SetControlVisible(c, true);
    QApplication::processEvents();
    QVERIFY(cur->isVisible() && max->isVisible());
    QVERIFY(cur->geometry().right() < max->geometry().left());
    QCOMPARE(cur->geometry().top(), bar->geometry().bottom() + 1);
    QCOMPARE(max->geometry().top(), cur->geometry().top());
    const QImage scan = w->grab().toImage();

    const QString out = qEnvironmentVariable("GRAVELIN_RENDER_PNG");
    if (!out.isEmpty()) {
      QVERIFY(shot.save(out));
      QString second = out;
      second.insert(second.endsWith(".png") ? second.size() - 4 : second.size(), "-scan");
      QVERIFY(scan.save(second));
    }
    // Under a real display, keep the window up for a screenshot and say
    // when it is ready.
    const int hold = qEnvironmentVariableIntValue("GRAVELIN_RENDER_HOLD_MS");
    if (hold > 0) {
      for (QWidget* c : std::initializer_list<QWidget*>{bar, cur, max}) w->SetControlVisible(c, false);
      w->move(0, 0);
      w->raise();
      w->activateWindow();
      QTest::qWait(500);
      QFile ready(qEnvironmentVariable("GRAVELIN_RENDER_READY"));
      if (!ready.fileName().isEmpty() && ready.open(QIODevice::WriteOnly)) ready.close();
      QTest::qWait(hold);
    }
  }
};

QTEST_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
