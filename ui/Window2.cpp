#include "Window2.h"

#include <QCloseEvent>

#include "AppServices.h"
#include "ControlNames.h"
#include "framework/gui/ReleaseInBackground.h"

QPointer<Window2> Window2::current_;

class Window2::Host : public records::ResultsHost {
 public:
  explicit Host(Window2& w) : w_(w) {}
  void ShowRecord(const records::RecordTexts& r) override { w_.ShowRecord(r); }
  std::shared_ptr<fw::RowStore> Store() override { return w_.List(ui::kAllRecordsList)->Model()->store(); }
  void AppendRows(std::span<const fw::RowStore::Id> rows) override {
    w_.List(ui::kAllRecordsList)->Model()->appendStoredRows(rows);
  }
  void AppendNewPoints(std::span<const fw::RowStore::Id> rows, std::vector<fw::RowStore::Id>& added) override {
    w_.List(ui::kUniqueList)->Model()->appendNewRows(rows, added);
  }
  records::ExportView& Pressepapier(int i) override {
    return AppServices::instance().Pressepapier.view(static_cast<size_t>(i));
  }
  void NameTab(int mode) override { AppServices::instance().NameTab(mode); }

 private:
  Window2& w_;
};

Window2* Window2::instance() {
  if (!isOpen()) {
    current_ = new Window2();
    current_->show();
  }
  return current_;
}

bool Window2::isOpen() { return current_ && !current_->closed_; }

Window2::Window2() : ui::ScanWindow(QSize(880, 576)), host_(std::make_unique<Host>(*this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  Layout();
  CreateControls();
  showStore(std::make_shared<fw::RowStore>(records::kFieldCount));
}

Window2::~Window2() = default;

void Window2::closeEvent(QCloseEvent* e) {
  closed_ = true;
  emit Closing();
  fw::Window::closeEvent(e);
}

records::ResultsHost& Window2::Results() { return *host_; }

void Window2::SetSourcesEnabled(bool enabled) {
  for (const char* name : ui::kSourceControls)
    if (QWidget* c = ControlByName(name)) c->setEnabled(enabled);
}

void Window2::ClearResults() {
  // The new store first: if there is no room for it, nothing has changed.
  auto store = std::make_shared<fw::RowStore>(records::kFieldCount);
  for (const char* name : ui::kLists) List(name)->DeleteAllRows();
  showStore(std::move(store));
  for (int tab = 0; tab < 2; ++tab) Control<fw::TabPanel>(ui::kTabPanel)->setTabText(tab, ui::kTabCaptions[tab]);
}

void Window2::ShowCounts() {
  for (int tab = 0; tab < 2; ++tab) {
    const int last = List(ui::kLists[tab])->LastIndex();
    const QString plain = ui::kTabCaptions[tab];
    Control<fw::TabPanel>(ui::kTabPanel)
        ->setTabText(tab, last >= 0 ? plain + " (" + QString::number(last + 1) + ")" : plain);
  }
}

void Window2::showStore(std::shared_ptr<fw::RowStore> store) {
  for (const char* name : ui::kLists) {
    std::shared_ptr<fw::RowStore> old = List(name)->Model()->store();
    List(name)->Model()->setStore(store);
    fw::ReleaseInBackground(std::move(old));
  }
}

void Window2::ShowRecord(const records::RecordTexts& r) {
  for (int k = 0; k < records::kFieldCount; ++k) Label(ui::kPanelLabels[k])->SetText(r.text[k]);
}
