// The main window. Its controls hold the whole visible state of a run and
// are reached by their exact names; the window keeps no results of its own.
#pragma once

#include <QPointer>
#include <memory>
#include <string>

#include "framework/core/BinaryStream.h"
#include "framework/core/MemoryBlock.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Listbox.h"
#include "records/Record.h"
#include "records/Results.h"
#include "records/ResultsSink.h"
#include "records/Search.h"
#include "ui/ScanWindow.h"

class QPainter;

class Window2 : public ui::ScanWindow {
  Q_OBJECT
 public:
  // The one main window: the open one, or a fresh one built and shown.
  static Window2* instance();
  // Whether a main window is open now (nothing is created).
  static bool isOpen();

  // Construction, in this order.
  void Layout();
  void CreateControls();
  void _CreateControls0();
  void _CreateControls1();

  // Event handlers, bound by CreateControls.
  bool TextSource_KeyDown(const QString& key);
  void ImagePB1_Action();
  void FichierPB1_Action();
  void ChampTextePB_Action();
  void PushButton1_Action();
  void PushButton2_Action();
  bool StaticText16_MouseDown(int x, int y);
  void StaticText16_Open();
  bool StaticText17_MouseDown(int x, int y);
  bool StaticText18_MouseDown(int x, int y);
  bool Canvas1_MouseDown(int x, int y);
  void Canvas1_Paint(QPainter& g);
  bool PubPlumesatST_KeyDown(const QString& key);
  void CleanPB_Paint(QPainter& g);
  bool CleanPB_MouseDown(int x, int y);
  void FichierPB11_Action();
  void Listbox1_Open();
  void Listbox1_DoubleClick();
  void Listbox1_Change();
  void Listbox2_Open();
  void Listbox2_DoubleClick();
  void Listbox2_Change();
  void AideFlottantCB_Open();

  // The record methods the system is described with, on the class it puts
  // them on. Each is kept thin over a function of records/, imagescan/ or
  // framework/core with the same rule: the program's own runs call those
  // functions, or (for hexa, octet and chercheNextStartImage) the forms that
  // work a batch or a chunk at a time with the same rule. Positions in a
  // buffer are 64-bit, as those functions take them; the image search's
  // stay 32-bit, its window never holding more than two chunks.
  void Decoupe(const fw::MemoryBlock& mb, int64_t a);
  int32_t calcval(const fw::MemoryBlock& mb, int64_t off);
  int64_t chercheNextStart(const fw::MemoryBlock& mb, int64_t start);
  void hexa(fw::MemoryBlock& mb, const std::u32string& s);
  int32_t octet(const fw::MemoryBlock& mb, int64_t a);
  int32_t chercheNextStartImage(fw::MemoryBlock& fenetre, fw::MemoryBlock& blocActuel, fw::MemoryBlock& blocSuivant,
                                int32_t start, fw::BinaryStream& stream);
  std::string Hex2Text(const fw::MemoryBlock& mb);

  // Writes the nine labels of the details panel.
  void ShowRecord(const records::RecordTexts& r);
  // The results step's view of this window and the application object.
  records::ResultsHost& Results() override;
  void SetSourcesEnabled(bool enabled) override;
  // The window's side of resetting the results: both lists emptied (their
  // old store freed on a worker thread) and the plain tab captions.
  void ClearResults();
  // The row counts of both lists in the tab captions.
  void ShowCounts();

  fw::StaticText* Label(const char* name) const { return Control<fw::StaticText>(name); }
  fw::Listbox* List(const char* name) const { return Control<fw::Listbox>(name); }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  // The two lists' handlers are one family, each acting on its own list.
  void listChange(fw::Listbox* list);
  void listDoubleClick(fw::Listbox* list);
  // Both lists show `store` (new and empty); the old one is freed on a
  // worker thread once nothing shows it.
  void showStore(std::shared_ptr<fw::RowStore> store);
  // Runs a source on this thread into the results; how it ended is for
  // the caller to say, once it has let go of what the run read.
  records::Outcome searchHere(records::RecordSource& source, records::Lists lists, records::PanelAtStart panel);

  Window2();
  ~Window2() override;
  bool closed_ = false;
  class Host;
  std::unique_ptr<Host> host_;
  static QPointer<Window2> current_;
};
