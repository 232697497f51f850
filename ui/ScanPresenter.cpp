#include "ScanPresenter.h"

#include <algorithm>
#include <new>

#include "ControlNames.h"
#include "Messages.h"
#include "framework/core/Text.h"
#include "framework/gui/Controls.h"

namespace {
// The lists and the progress are brought up to date this often.
constexpr qint64 kRefreshMs = 100;
// Work done per turn of the event loop before the window gets its own
// events again.
constexpr qint64 kTurnBudgetMs = 25;

std::string Count(uint64_t n) { return fw::GroupedThousands(static_cast<double>(n)); }
}  // namespace

// Marks this object's code as on the stack for the life of a call that
// came from the event loop.
class ScanPresenter::Entered {
 public:
  explicit Entered(ScanPresenter& p) : p_(p) { ++p_.depth_; }
  ~Entered() {
    if (--p_.depth_ == 0 && p_.over_) emit p_.Idle();
  }

 private:
  ScanPresenter& p_;
};

ScanPresenter::ScanPresenter(ui::ScanWindow& window, imagescan::HandOver& events, QString name, QObject* parent)
    : QObject(parent),
      window_(&window),
      events_(events),
      name_(std::move(name)),
      results_(window.Results(), records::Lists::Both, records::PanelAtStart::Blanked) {
  drainTimer_.setSingleShot(true);
  connect(&drainTimer_, &QTimer::timeout, this, [this] {
    Entered e(*this);
    drain();
  });
}

void ScanPresenter::Wake() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        Entered e(*this);
        onWake();
      },
      Qt::QueuedConnection);
}

void ScanPresenter::Hurry() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (!over_) drainTimer_.start(0);
      },
      Qt::QueuedConnection);
}

void ScanPresenter::Abandon() {
  over_ = true;
  drainTimer_.stop();
  if (depth_ == 0) emit Idle();
}

void ScanPresenter::onWake() {
  if (over_) return;
  const qint64 since = lastDrain_.isValid() ? lastDrain_.elapsed() : kRefreshMs;
  if (!drainTimer_.isActive()) drainTimer_.start(static_cast<int>(std::max<qint64>(0, kRefreshMs - since)));
}

void ScanPresenter::drain() {
  if (over_) return;
  if (!window_) {
    // The window went without telling: nothing is shown any more.
    Abandon();
    return;
  }
  events_.Rearm();
  lastDrain_.restart();
  QElapsedTimer turn;
  turn.start();
  while (auto e = events_.Take()) {
    try {
      apply(*e);
    } catch (const std::bad_alloc&) {
      // What did not fit goes before anything is said.
      std::vector<records::RecordTexts>().swap(e->batch);
      if (!over_) endShortOfMemory();
    }
    if (over_) return;
    if (e->kind == imagescan::ScanEvent::Records) events_.GiveBack(std::move(e->batch));
    if (turn.elapsed() >= kTurnBudgetMs) {
      // More is waiting: carry on at the next turn of the event loop.
      drainTimer_.start(0);
      return;
    }
  }
}

void ScanPresenter::apply(imagescan::ScanEvent& e) {
  using imagescan::ScanEvent;
  ui::ScanWindow& w = *window_;
  switch (e.kind) {
    case ScanEvent::Started: {
      length_ = e.n;
      auto* bar = w.Control<fw::ProgressBar>(ui::kProgressBar);
      bar->setMaximum(imagescan::EchelleProgression);
      bar->setValue(0);
      w.Control<fw::StaticText>(ui::kImageLength)->SetText("/ " + Count(e.n));
      w.Control<fw::StaticText>(ui::kBytesRead)->SetText("0");
      for (const char* name : ui::kProgressControls) w.SetControlVisible(w.ControlByName(name), true);
      break;
    }
    case ScanEvent::Begun: results_.Begin(); break;
    case ScanEvent::Progress: showProgress(e.n); break;
    case ScanEvent::Records: results_.Add(e.batch); break;
    case ScanEvent::Finished: showEnd(e.end, e.n); break;
  }
}

void ScanPresenter::showProgress(uint64_t bytes) {
  bytesShown_ = bytes;
  ui::ScanWindow& w = *window_;
  if (auto v = imagescan::ProgressValue(bytes, length_)) w.Control<fw::ProgressBar>(ui::kProgressBar)->setValue(*v);
  w.Control<fw::StaticText>(ui::kBytesRead)->SetText(Count(bytes));
}

// The records the lists hold are the run's results, closed as a finished
// run's are; the scan stops and what it still holds is let go.
void ScanPresenter::endShortOfMemory() {
  emit RanShortOfMemory();
  while (auto e = events_.Take())
    if (e->kind == imagescan::ScanEvent::Finished) break;
  events_.ReleaseSpent();
  showEnd(records::RunEnd::MemoryShort, bytesShown_);
}

void ScanPresenter::showEnd(records::RunEnd end, uint64_t bytes) {
  over_ = true;
  drainTimer_.stop();
  emit Finishing();
  results_.Finish(end, bytes);
  ui::ScanWindow& w = *window_;
  w.SetSourcesEnabled(true);
  for (const char* name : ui::kProgressControls) w.SetControlVisible(w.ControlByName(name), false);
  // A nested event loop: this object stays until its code has returned.
  ui::ShowRunEnd(&w, ui::SourceKind::Image, name_, results_.outcome());
  emit Ended();
}
