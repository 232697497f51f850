// The window's properties and its forty controls, in creation order: each
// control is added under its name, found again by that name, given its text
// size and properties, and its events are bound to the window methods named
// after the control and the event.
#include <QHeaderView>

#include "ControlNames.h"
#include "Links.h"
#include "Maker.h"
#include "Window2.h"
#include "records/Record.h"

namespace ui {
extern const char kSampleText[];  // tools/sample.hex, compiled in
}

namespace {
constexpr int L = fw::LockLeft, T = fw::LockTop, R = fw::LockRight, B = fw::LockBottom;
constexpr int kNone = 0;

// `page` is the page of the tab panel the control sits on, 0 for the window.
template <class C>
C* add(Window2* w, C* control, const char* name, QRect r, int locks, int page, int tabIndex) {
  return w->AddNamed(control, name, r, locks, tabIndex, page > 0 ? w->Control<fw::TabPanel>(ui::kTabPanel) : nullptr,
                     page);
}

// Shown, enabled and help tag, the keys every class has.
void state(Window2* w, QWidget* c, bool visible, bool enabled, const char* helpTag) {
  w->SetControlVisible(c, visible);
  c->setEnabled(enabled);
  fw::SetHelpTag(c, helpTag);
}

fw::StaticText* label(Window2* w, const char* name, QRect r, int locks, int tabIndex, double size, const char* text,
                      bool bold, int align, bool underline = false) {
  auto* l = add(w, new fw::StaticText(w->Content()), name, r, locks, 0, tabIndex);
  fw::SetTextSize(l, size);
  l->SetText(text);
  l->SetTextAlign(align);
  fw::SetTextColor(l, Qt::black);
  fw::SetTextStyle(l, bold, false, underline);
  state(w, l, true, true, "");
  return l;
}

fw::PushButton* button(Window2* w, const char* name, QRect r, int locks, int tabIndex, const char* caption,
                       const char* helpTag) {
  auto* b = add(w, new fw::PushButton(w->Content()), name, r, locks, 0, tabIndex);
  b->setText(caption);
  // The main window has no default and no cancel button.
  b->setAutoDefault(false);
  b->setDefault(false);
  state(w, b, true, true, helpTag);
  return b;
}

void canvas(Window2* w, fw::Canvas* c, const char* helpTag) {
  // A click reaches it, the keyboard focus does not.
  c->setFocusPolicy(Qt::NoFocus);
  state(w, c, true, true, helpTag);
}

void list(Window2* w, const char* name, int page, bool horizontalScrollBar, const char* helpTag) {
  auto* l = add(w, new fw::Listbox(records::kFieldCount, w->Content()), name, QRect(28, 235, 820, 262), L | T | R | B,
                page, 0);
  fw::SetTextSize(l, 10);
  l->horizontalHeader()->setFont(l->font());
  l->SetHeadings(
      QString("Précision\tType\tLongitude1\tLatitude1\tLongitude2\tLatitude2\tAdresse 1\tAdresse 2\tAdresse 3")
          .split('\t'));
  std::vector<int> widths;
  for (const QString& width : QString("100,100,80,80,80,80,100,100,100").split(',')) widths.push_back(width.toInt());
  l->SetColumnWidths(widths);
  // Grid lines, one row selected at a time and resizable columns are the
  // list control's own defaults.
  l->horizontalHeader()->setSortIndicatorShown(false);
  l->setHorizontalScrollBarPolicy(horizontalScrollBar ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  l->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  state(w, l, true, true, helpTag);
}
}  // namespace

void Window2::Layout() {
  setWindowTitle("Gravelin");
  SetContentBounds(QSize(845, 576), QSize(32000, 32000));
  SetContentSize(QSize(880, 576));
}

void Window2::CreateControls() {
  _CreateControls0();
  _CreateControls1();
}

void Window2::_CreateControls0() {
  {
    auto* c = add(this, new fw::TextArea(Content()), ui::kTextSource, QRect(20, 14, 549, 118), L | T | R, 0, 5);
    c->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Pasted hex is one long line with no word boundary: looking for one
    // costs Qt time that grows with the square of the line's length (hours
    // for 10 MB), while breaking anywhere wraps digits the same way.
    c->setWordWrapMode(QTextOption::WrapAnywhere);
    c->setTabChangesFocus(true);
    c->setReadOnly(false);
    c->SetColours(Qt::black, Qt::white);
    c->SetHideSelection(true);
    state(this, c, true, true,
          "Collez dans cette zone texte un code hexa issu d'un GPS puis cliquez sur le bouton \"Champ texte\" afin de "
          "tenter de la décoder");
    c->SetText(QString::fromLatin1(ui::kSampleText));
    FW_BIND(TextSource, KeyDown);
  }
  button(this, ui::kImageButton, QRect(366, 144, 155, 20), L | T, 7, "Image binaire (dd)",
         "Recherche les enregistrements d'une image binaire d'une carte mémoire de GPS et place le résultat décodé "
         "dans la liste ci-dessous.");
  FW_BIND(ImagePB1, Action);
  button(this, ui::kFileButton, QRect(220, 144, 134, 20), L | T, 8, "Fichier .cfg",
         "Décode le contenu d'un fichier mapsettings.cfg d'un GPS et place le résultat décodé dans la liste "
         "ci-dessous.");
  FW_BIND(FichierPB1, Action);

  // The details panel: bold captions beside their values, a row per field
  // pair (precision and type, the longitudes, the latitudes, the addresses).
  struct PanelLabel {
    const char* name;
    QRect r;
    int tabIndex;
    const char* text;
    bool caption;
    int align;
  };
  const PanelLabel panel[] = {
      {"StaticText15", {580, 112, 35, 20}, 9, "Adr3 :", true, 0},
      {ui::kPanelLabels[records::kAddr3], {612, 112, 248, 20}, 10, ".", false, 0},
      {"StaticText14", {580, 92, 35, 20}, 11, "Adr2 :", true, 0},
      {ui::kPanelLabels[records::kAddr2], {612, 92, 248, 20}, 12, ".", false, 0},
      {ui::kPanelLabels[records::kAddr1], {612, 72, 248, 20}, 13, ".", false, 0},
      {"StaticText13", {580, 72, 35, 20}, 14, "Adr1 :", true, 0},
      {ui::kPanelLabels[records::kLat2], {790, 49, 67, 20}, 15, ".", false, 0},
      {"StaticText12", {724, 49, 61, 20}, 16, "Latitude 2 :", true, 2},
      {ui::kPanelLabels[records::kLat1], {648, 49, 55, 20}, 17, ".", false, 0},
      {"StaticText11", {580, 49, 62, 20}, 18, "Latitude 1 :", true, 2},
      {ui::kPanelLabels[records::kLon2], {790, 28, 63, 20}, 19, ".", false, 0},
      {"StaticText10", {715, 28, 69, 20}, 20, "Longitude 2 :", true, 2},
      {ui::kPanelLabels[records::kLon1], {647, 27, 56, 20}, 21, ".", false, 0},
      {"StaticText9", {571, 28, 70, 20}, 22, "Longitude 1 :", true, 2},
      {ui::kPanelLabels[records::kType], {790, 9, 85, 20}, 23, ".", false, 0},
      {ui::kPanelLabels[records::kPrecision], {647, 9, 83, 20}, 25, ".", false, 0},
      {"StaticText7", {578, 9, 63, 20}, 26, "Précision :", true, 2},
  };
  for (const PanelLabel& p : panel) {
    fw::StaticText* l = label(this, p.name, p.r, T | R, p.tabIndex, 9, p.text, p.caption, p.align);
    // A value cut at the label's edge must not pass for the whole value.
    if (!p.caption) l->SetEllipsisWhenCut(true);
  }

  button(this, ui::kTextButton, QRect(88, 144, 120, 20), L | T, 27, "Champ texte",
         "Décode le contenu hexa du champ ci-dessus et place le résultat décodé dans la liste ci-dessous.\r"
         "NB : Le contenu doit être en mode texte et non pas directement le binaire");
  FW_BIND(ChampTextePB, Action);

  {
    auto* c = add(this, new fw::ProgressBar(Content()), ui::kProgressBar, QRect(551, 144, 296, 20), L | T | R, 0, -1);
    c->setMaximum(100);
    c->setValue(0);
    state(this, c, false, true, "");
  }
  // The scan's count of bytes read and the image's total, read together as
  // one figure under the bar.
  SetControlVisible(label(this, ui::kBytesRead, QRect(551, 164, 130, 20), L | T, 28, 10, "Sans_titre", false, 2),
                    false);
  SetControlVisible(label(this, ui::kImageLength, QRect(689, 164, 116, 20), L | T, 29, 10, "Sans_titre", false, 0),
                    false);
  label(this, "StaticText8", QRect(736, 9, 48, 20), T | R, 30, 9, "Type :", true, 2);

  button(this, "PushButton1", QRect(204, 515, 64, 20), L | B, 31, "OK",
         "Place le contenu de la liste de l'onglet actif ci-dessus dans le presse-papier en format tabulé (prêt à "
         "être collé dans un tableau de type MS Excel)");
  FW_BIND(PushButton1, Action);
  button(this, ui::kQuitButton, QRect(773, 515, 80, 20), R | B, 32, "Quitter", "A votre avis ?");
  FW_BIND(PushButton2, Action);

  label(this, ui::kVersionLabel, QRect(169, 549, 124, 20), B, 33, 10, "Gravelin v xx - email : ", false, 2);
  FW_BIND(StaticText16, MouseDown);
  FW_BIND(StaticText16, Open);
  // The maker's addresses need more room than the layout first gave them:
  // the mail link takes part of the gap before the about link, which still
  // ends 6 pixels before the logo.
  label(this, "StaticText17", QRect(299, 549, 108, 20), B, 34, 11, maker::kContactMail, false, 0, true);
  FW_BIND(StaticText17, MouseDown);
  label(this, "StaticText18", QRect(413, 549, 223, 20), B, 35, 10, ui::AboutLinkText().c_str(), false, 2, true);
  FW_BIND(StaticText18, MouseDown);
}

void Window2::_CreateControls1() {
  canvas(this, add(this, new fw::Canvas(Content()), "Canvas1", QRect(642, 534, 26, 32), B, 0, 36), "");
  FW_BIND(Canvas1, MouseDown);
  FW_BIND(Canvas1, Paint);

  label(this, "PubPlumesatST", QRect(286, 518, 459, 17), L | B, 37, 9,
        "Double-cliquez sur une ligne de la liste ci-dessus pour visualiser le point sur Google Maps", true, 1);
  FW_BIND(PubPlumesatST, KeyDown);

  canvas(this, add(this, new fw::Canvas(Content()), ui::kCleanIcon, QRect(20, 144, 16, 16), L | T, 0, 38),
         "Permet de vider le champ texte ci-dessus et le contenu de la liste ci-dessus");
  FW_BIND(CleanPB, Paint);
  FW_BIND(CleanPB, MouseDown);

  // Lies under its visible twin and is never shown.
  SetControlVisible(button(this, "FichierPB11", QRect(220, 170, 134, 20), L | T, 39, "Fichier .cfg",
                           "Décode le contenu d'un fichier mapsettings.cfg d'un GPS et place le résultat décodé dans "
                           "la liste ci-dessous."),
                    false);
  FW_BIND(FichierPB11, Action);

  {
    auto* c = add(this, new fw::TabPanel(Content()), ui::kTabPanel, QRect(20, 198, 836, 308), L | T | R | B, 0, 40);
    QString tabs;
    for (const char* caption : ui::kTabCaptions) tabs += QString(caption) + '\r';
    c->SetTabDefinition(tabs + "...");
    c->setCurrentIndex(0);
    c->setDocumentMode(false);
    state(
        this, c, true, true,
        "L'onglet \"Tous les lieux\" contient l'ensemble des points GPS retrouvés dans le fichier ou l'image binaire. "
        "Si un même point GPS est retrouvé plusieurs fois dans le ficheir analysé, il sera présent plusieurs fois "
        "dans cette liste.\r\rL'onglet \"Unique\" contient une seule fois chaque point GPS retrouvé. Un point GPS est "
        "considéré comme déjà trouvé si il y a déjà  dans l'onglet unique un point avec la même longitude1 et "
        "latitude1");
  }

  const char* listHelp =
      "Affiche le résultat décodé issu d'un GPS.\r\rDouble-cliquez sur une des lignes de cette liste pour visualiser "
      "le point GPS dans google maps.";
  list(this, ui::kAllRecordsList, 1, false, listHelp);
  FW_BIND(Listbox1, Open);
  FW_BIND(Listbox1, DoubleClick);
  FW_BIND(Listbox1, Change);
  list(this, ui::kUniqueList, 2, true, listHelp);
  // The unique list answers "is this point already here?" from an index.
  List(ui::kUniqueList)->SetIndexedColumns(records::kLon1, records::kLat1);
  FW_BIND(Listbox2, Open);
  FW_BIND(Listbox2, DoubleClick);
  FW_BIND(Listbox2, Change);

  {
    auto* c = add(this, new fw::StaticText(Content()), "StaticText1", QRect(85, 257, 454, 20), L | T, 3, 0);
    c->SetText("Le contenu de cet onglet reste à définir");
    c->SetTextAlign(0);
    fw::SetTextColor(c, Qt::black);
    state(this, c, true, false, "");
  }
  {
    auto* c = add(this, new fw::PopupMenu(Content()), "PopupMenu1", QRect(20, 515, 172, 20), L | B, 0, 41);
    c->SetInitialValue("Presse papier tabulé\rPresse papier HTML\rFichier tabulé\rFichier HTML\r");
    c->SetListIndex(0);
    state(this, c, true, false,
          "Fonctionnalité non encore disponible.\r\rElle permettra de choisir le format d'export du contenu de la "
          "liste ci-dessus (Fichier ou Presse papier, format tabulé ou HTML)");
  }
  {
    auto* c = add(this, new fw::CheckBox(Content()), "AideFlottantCB", QRect(23, 191, 159, 20), kNone, 0, 42);
    fw::SetTextSize(c, 10);
    c->setText("Afficher les bulles d'aide");
    c->setChecked(false);
    state(this, c, true, true,
          "En cochant cette case vous ferez apparaître automatiquement une fenêtre d'aide chaque fois que vous "
          "passerez la souris au dessus des nom des items ci-dessous.");
    FW_BIND(AideFlottantCB, Open);
  }
}
