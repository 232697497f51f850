#include "Window2.h"

#include <QCloseEvent>

#include "AppServices.h"
#include "DetailsPanel.h"
#include "records/HexText.h"
#include "records/MarkerSearch.h"

QPointer<Window2> Window2::current_;

class Window2::Host : public records::ResultsHost {
 public:
  explicit Host(Window2& w) : w_(w) {}
  void ShowRecord(const records::RecordTexts& r) override { w_.ShowRecord(r); }
  void AppendRows(int list, std::span<const records::RecordTexts* const> rows) override {
    w_.List(list == 0 ? "Listbox1" : "Listbox2")->AddRows(static_cast<int>(rows.size()), [&](int r, int c) {
      return rows[static_cast<size_t>(r)]->text[static_cast<size_t>(c)];
    });
  }
  bool UniqueHolds(const std::string& lon1, const std::string& lat1) override {
    return w_.List("Listbox2")->IndexHolds(lon1, lat1);
  }
  std::string& Pressepapier(int i) override { return AppServices::instance().Pressepapier[static_cast<size_t>(i)]; }
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

Window2::Window2() : fw::Window(QSize(880, 576)), host_(std::make_unique<Host>(*this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  Layout();
  CreateControls();
}

Window2::~Window2() = default;

void Window2::closeEvent(QCloseEvent* e) {
  closed_ = true;
  fw::Window::closeEvent(e);
}

records::ResultsHost& Window2::Results() { return *host_; }

void Window2::ShowRecord(const records::RecordTexts& r) {
  for (int k = 0; k < records::kFieldCount; ++k) Label(ui::kPanelLabels[k])->SetText(r.text[k]);
}

void Window2::Decoupe(const fw::MemoryBlock& mb, int64_t a) {
  ShowRecord(records::DecodeRecord(mb, a, records::Decoder::MainWindow));
}

int32_t Window2::calcval(const fw::MemoryBlock& mb, int64_t off) { return mb.Int32Value(off).value_or(0); }

int64_t Window2::chercheNextStart(const fw::MemoryBlock& mb, int64_t start) {
  return records::chercheNextStart(mb, start);
}

void Window2::hexa(fw::MemoryBlock& mb, const std::u32string& s) { records::hexa(mb, s); }

int32_t Window2::octet(const fw::MemoryBlock& mb, int64_t a) { return records::Octet(mb, a); }
