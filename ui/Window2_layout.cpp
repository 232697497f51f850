// The window's properties and its controls, in creation order.
#include "Window2.h"

#include "records/Record.h"

namespace {
constexpr int kLT = fw::LockLeft | fw::LockTop;
constexpr int kTR = fw::LockTop | fw::LockRight;
constexpr int kLTR = fw::LockLeft | fw::LockTop | fw::LockRight;
constexpr int kLTRB = fw::LockLeft | fw::LockTop | fw::LockRight | fw::LockBottom;

template <class T>
T* make(Window2* w, const char* name, QRect r, int locks) {
  auto* c = new T(w->Content());
  w->AddControl(c, name, r, locks);
  return c;
}

fw::StaticText* label(Window2* w, const char* name, const char* text, QRect r, int locks, int size) {
  auto* l = make<fw::StaticText>(w, name, r, locks);
  QFont f = l->font();
  f.setPointSize(size);
  l->setFont(f);
  l->SetText(text);
  return l;
}
}  // namespace

void Window2::Layout() {
  setWindowTitle("Gravelin");
  Content()->setMinimumSize(845, 576);
  Content()->setMaximumSize(32000, 32000);
  resize(880, 576);
}

void Window2::CreateControls() {
  _CreateControls0();
  _CreateControls1();
}

void Window2::_CreateControls0() {
  auto* text = make<fw::TextArea>(this, "TextSource", QRect(20, 14, 549, 118), kLTR);
  text->onKeyDown = [this](const QString& k) { return TextSource_KeyDown(k); };

  auto* image = make<fw::PushButton>(this, "ImagePB1", QRect(366, 144, 155, 20), kLT);
  image->setText("Image binaire (dd)");
  connect(image, &fw::PushButton::Action, this, &Window2::ImagePB1_Action);
  auto* file = make<fw::PushButton>(this, "FichierPB1", QRect(220, 144, 134, 20), kLT);
  file->setText("Fichier .cfg");
  connect(file, &fw::PushButton::Action, this, &Window2::FichierPB1_Action);

  label(this, "Adresse3ST", ".", QRect(612, 112, 248, 20), kTR, 9);
  label(this, "Adresse2ST", ".", QRect(612, 92, 248, 20), kTR, 9);
  label(this, "Adresse1ST", ".", QRect(612, 72, 248, 20), kTR, 9);
  label(this, "Latitude2ST", ".", QRect(790, 49, 67, 20), kTR, 9);
  label(this, "Latitude1ST", ".", QRect(648, 49, 55, 20), kTR, 9);
  label(this, "Longitude2ST", ".", QRect(790, 28, 63, 20), kTR, 9);
  label(this, "Longitude1ST", ".", QRect(647, 27, 56, 20), kTR, 9);
  label(this, "TypeST", ".", QRect(790, 9, 85, 20), kTR, 9);
  label(this, "PrecisionST", ".", QRect(647, 9, 83, 20), kTR, 9);

  auto* texte = make<fw::PushButton>(this, "ChampTextePB", QRect(88, 144, 120, 20), kLT);
  texte->setText("Champ texte");
  connect(texte, &fw::PushButton::Action, this, &Window2::ChampTextePB_Action);

  auto* bar = make<fw::ProgressBar>(this, "ProgressBar1", QRect(551, 144, 296, 20), kLTR);
  bar->setMaximum(100);
  bar->setValue(0);
  SetControlVisible(bar, false);
  auto* cur = label(this, "CurProgressionST", "Sans_titre", QRect(551, 164, 130, 20), kLT, 10);
  cur->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  SetControlVisible(cur, false);
  auto* max = label(this, "MaxProgressionST", "Sans_titre", QRect(689, 164, 116, 20), kLT, 10);
  SetControlVisible(max, false);
}

void Window2::_CreateControls1() {
  auto* tabs = make<fw::TabPanel>(this, "TabPanel1", QRect(20, 198, 836, 308), kLTRB);
  for (const char* caption : {"Tous les lieux", "Unique", "..."}) tabs->addTab(new QWidget(tabs), caption);
  const QStringList headings = {"Précision",  "Type",      "Longitude1", "Latitude1", "Longitude2",
                                "Latitude2",  "Adresse 1", "Adresse 2",  "Adresse 3"};
  for (int page = 1; page <= 2; ++page) {
    auto* list = new fw::Listbox(records::kFieldCount, Content());
    AddControl(list, page == 1 ? "Listbox1" : "Listbox2", QRect(28, 235, 820, 262), kLTRB, tabs, page);
    list->SetHeadings(headings);
    list->SetColumnWidths({100, 100, 80, 80, 80, 80, 100, 100, 100});
  }
  // The unique list answers "is this point already here?" from an index.
  List("Listbox2")->SetIndexedColumns(records::kLon1, records::kLat1);
  connect(List("Listbox1"), &fw::Listbox::DoubleClick, this, &Window2::Listbox1_DoubleClick);
  connect(List("Listbox1"), &fw::Listbox::Change, this, &Window2::Listbox1_Change);
  connect(List("Listbox2"), &fw::Listbox::DoubleClick, this, &Window2::Listbox2_DoubleClick);
  connect(List("Listbox2"), &fw::Listbox::Change, this, &Window2::Listbox2_Change);
  Listbox1_Open();
  Listbox2_Open();
}
