#include "ScanPresenter.h"

#include "AppServices.h"
#include "Window2.h"
#include "framework/core/Text.h"
#include "framework/gui/Seams.h"
#include "records/Results.h"

namespace {
// The lists and the progress are brought up to date this often.
constexpr qint64 kRefreshMs = 100;
// Work done per turn of the event loop before the window gets its own
// events again.
constexpr qint64 kTurnBudgetMs = 25;
const char* const kSources[] = {"ImagePB1", "FichierPB1", "ChampTextePB", "CleanPB"};

std::string Count(uint64_t n) { return fw::GroupedThousands(static_cast<double>(n)); }
}  // namespace

ScanPresenter::ScanPresenter(imagescan::HandOver& events, uint64_t length, QObject* parent)
    : QObject(parent), events_(events), length_(length) {
  drainTimer_.setSingleShot(true);
  connect(&drainTimer_, &QTimer::timeout, this, [this] { drain(); });
}

void ScanPresenter::Wake() {
  QMetaObject::invokeMethod(
      this, [this] { onWake(); }, Qt::QueuedConnection);
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
}

void ScanPresenter::SetSourcesEnabled(bool enabled) {
  if (!Window2::isOpen()) return;
  for (const char* name : kSources)
    if (QWidget* c = Window2::instance()->ControlByName(name)) c->setEnabled(enabled);
}

void ScanPresenter::onWake() {
  if (over_) return;
  const qint64 since = lastDrain_.isValid() ? lastDrain_.elapsed() : kRefreshMs;
  if (!drainTimer_.isActive()) drainTimer_.start(static_cast<int>(std::max<qint64>(0, kRefreshMs - since)));
}

void ScanPresenter::drain() {
  if (over_) return;
  if (!Window2::isOpen()) {
    // The window was closed: the scan ends with it rather than bring up a
    // new one.
    Abandon();
    emit WindowClosed();
    return;
  }
  events_.Rearm();
  lastDrain_.restart();
  QElapsedTimer turn;
  turn.start();
  while (auto e = events_.Take()) {
    apply(*e);
    if (e->kind == imagescan::ScanEvent::Records) events_.GiveBack(std::move(e->batch));
    if (over_) return;
    if (turn.elapsed() >= kTurnBudgetMs) {
      // More is waiting: carry on at the next turn of the event loop.
      drainTimer_.start(0);
      return;
    }
  }
}

void ScanPresenter::apply(imagescan::ScanEvent& e) {
  using imagescan::ScanEvent;
  Window2* w = Window2::instance();
  switch (e.kind) {
    case ScanEvent::Started: {
      auto* bar = w->Control<fw::ProgressBar>("ProgressBar1");
      w->SetControlVisible(bar, true);
      bar->setMaximum(imagescan::EchelleProgression);
      bar->setValue(0);
      w->Label("MaxProgressionST")->SetText("/ " + Count(e.n));
      w->Label("CurProgressionST")->SetText("0");
      w->SetControlVisible(w->Label("CurProgressionST"), true);
      w->SetControlVisible(w->Label("MaxProgressionST"), true);
      break;
    }
    case ScanEvent::FirstChunk: AppServices::instance().NameTab(0); break;
    case ScanEvent::Progress: showProgress(e.n); break;
    case ScanEvent::Records:
      try {
        records::ajoutePoints(w->Results(), e.batch);
      } catch (const std::bad_alloc&) {
        endShortOfMemory();
      }
      break;
    case ScanEvent::Finished: showEnd(e.end, e.n); break;
    case ScanEvent::MemoryShort: endShortOfMemory(); break;
  }
}

void ScanPresenter::showProgress(uint64_t bytes) {
  Window2* w = Window2::instance();
  if (auto v = imagescan::ProgressValue(bytes, length_)) w->Control<fw::ProgressBar>("ProgressBar1")->setValue(*v);
  w->Label("CurProgressionST")->SetText(Count(bytes));
}

// The records the lists hold are the run's results, closed as a finished
// run's are; the scan stops and what it still holds is let go.
void ScanPresenter::endShortOfMemory() {
  const int kept = Window2::instance()->List("Listbox1")->LastIndex() + 1;
  emit RanShortOfMemory();
  while (events_.Take()) {
  }
  showEnd(imagescan::ScanEnd::Done, 0,
          QString::fromStdString(records::MemoireInsuffisante(static_cast<uint64_t>(kept))));
}

void ScanPresenter::showEnd(imagescan::ScanEnd end, uint64_t bytes, const QString& message) {
  over_ = true;
  emit Finishing();
  SetSourcesEnabled(true);
  if (end == imagescan::ScanEnd::Done || end == imagescan::ScanEnd::ReadError) {
    Window2* w = Window2::instance();
    w->SetControlVisible(w->Control<fw::ProgressBar>("ProgressBar1"), false);
    w->SetControlVisible(w->Label("CurProgressionST"), false);
    w->SetControlVisible(w->Label("MaxProgressionST"), false);
    // A first read that failed came before the results were reset: the
    // previous run's export texts already have their header.
    if (end == imagescan::ScanEnd::Done || bytes > 0) records::ClosingStep(w->Results());
    if (end == imagescan::ScanEnd::ReadError)
      fw::Seams::Get().MsgBox(
          w, QString::fromStdString("Erreur de lecture : l'analyse s'est arrêtée après " + fw::OctetCount(bytes) +
                                    " ; les résultats affichés ne portent que sur "
                                    "cette partie de l'image."));
    if (!message.isEmpty()) fw::Seams::Get().MsgBox(w, message);
  }
  emit Ended();
}
