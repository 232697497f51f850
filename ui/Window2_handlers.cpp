// The handlers of the window's data controls: the key filter, the export,
// "Quitter", the clear-all and the two lists.
#include <QCoreApplication>

#include "AppServices.h"
#include "ControlNames.h"
#include "Window2.h"
#include "framework/gui/Seams.h"

bool Window2::TextSource_KeyDown(const QString& key) {
  // Only hexadecimal digits may be typed; pasted text keeps what it holds.
  if (key >= "0" && key <= "9") return false;
  if (key >= "a" && key <= "f") return false;
  if (key >= "A" && key <= "F") return false;
  return true;
}

void Window2::PushButton1_Action() {
  // The third tab has no export text: ExportText gives "" for it.
  const std::string text = AppServices::instance().ExportText(Control<fw::TabPanel>(ui::kTabPanel)->Value());
  if (text.empty()) {
    fw::Seams::Get().MsgBox(this, "Il n'y a rien à mettre dans le presse papier");
    return;
  }
  fw::Seams::Get().SetClipboard(QString::fromStdString(text));
}

void Window2::PushButton2_Action() { QCoreApplication::quit(); }

bool Window2::CleanPB_MouseDown(int, int) {
  if (!fw::Seams::Get().Confirm(this, "Voulez-vous vraiment vider le champ texte ci-dessus et la liste ci-dessous ? ",
                                "Cette suppression est irréversible"))
    return false;
  Control<fw::TextArea>(ui::kTextSource)->SetText("");
  AppServices::instance().NameTab(0);
  ShowRecord(records::RecordTexts{});
  return false;
}

void Window2::listChange(fw::Listbox* list) {
  const int row = list->ListIndex();
  if (row < 0) return;
  for (int c = 0; c < records::kFieldCount; ++c) Label(ui::kPanelLabels[c])->SetText(list->Cell(row, c));
}

void Window2::listDoubleClick(fw::Listbox* list) {
  // The row under the pointer, which need not be the selected one.
  const QPoint p = list->DoubleClickPoint();
  const int row = list->RowFromXY(p.x(), p.y());
  if (row < 0) return;
  const std::string lat = list->Cell(row, records::kLat1), lon = list->Cell(row, records::kLon1);
  // A record cut short before its first pair ends: a link with a coordinate
  // missing would open a map search for the other number, somewhere else.
  if (lat.empty() || lon.empty()) {
    fw::Seams::Get().MsgBox(this,
                            "Ce lieu n'a pas de coordonnées complètes : il ne peut pas être montré sur une carte.");
    return;
  }
  // https: the coordinates come from evidence and must not cross the
  // network in clear.
  fw::Seams::Get().ShowURL(QString::fromStdString("https://maps.google.com/maps?q=" + lat + "+" + lon + "&hl=fr"));
}

void Window2::Listbox1_Open() { List(ui::kAllRecordsList)->DeleteAllRows(); }
void Window2::Listbox1_DoubleClick() { listDoubleClick(List(ui::kAllRecordsList)); }
void Window2::Listbox1_Change() { listChange(List(ui::kAllRecordsList)); }
void Window2::Listbox2_Open() { List(ui::kUniqueList)->DeleteAllRows(); }
void Window2::Listbox2_DoubleClick() { listDoubleClick(List(ui::kUniqueList)); }
void Window2::Listbox2_Change() { listChange(List(ui::kUniqueList)); }
void Window2::AideFlottantCB_Open() {}
