#include "ThreadDD.h"

#include <QCoreApplication>
#include <QPointer>

#include "AppServices.h"
#include "Window2.h"
#include "framework/core/Text.h"
#include "framework/gui/Seams.h"
#include "imagescan/ChunkReader.h"
#include "imagescan/ScanDecoder.h"
#include "records/Results.h"

namespace {
const char* const kCountPattern = "###,###,###,###,###";
// The lists and the progress are brought up to date this often.
constexpr qint64 kRefreshMs = 100;
// Work done per turn of the event loop before the window gets its own
// events again.
constexpr qint64 kTurnBudgetMs = 25;
// The source buttons and the clear icon, which start or undo a run.
const char* const kSources[] = {"ImagePB1", "FichierPB1", "ChampTextePB", "CleanPB"};

QPointer<ThreadDD> running;

std::string Count(uint64_t n) { return fw::Format(static_cast<double>(n), kCountPattern); }
}  // namespace

// Hands what the engine reports over to the user-interface thread.
class ThreadDD::Relay : public imagescan::ScanObserver {
 public:
  explicit Relay(ThreadDD& t) : t_(t) {}
  void Started(uint64_t length) override { t_.post({Event::Started, length, {}, {}}); }
  void FirstChunk() override { t_.post({Event::FirstChunk, 0, {}, {}}); }
  void Progress(uint64_t bytes) override { t_.postProgress(bytes); }
  void Records(std::vector<records::RecordTexts>&& batch) override {
    t_.waitForRoom();
    t_.post({Event::Records, 0, {}, std::move(batch)});
    t_.freeSpent();
  }
  void Finished(imagescan::ScanEnd end, uint64_t bytes) override { t_.post({Event::Finished, bytes, end, {}}); }

 private:
  ThreadDD& t_;
};

ThreadDD* ThreadDD::Start(std::unique_ptr<fw::BinaryStream> stream) {
  if (running || !stream) return nullptr;
  auto* t = new ThreadDD(std::move(stream));
  running = t;
  t->setSourcesEnabled(false);
  // Quitting, or closing the window the scan writes into, ends the scan.
  connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, t, [t] { t->stopAndWait(); });
  connect(Window2::instance(), &QObject::destroyed, t, [t] {
    t->stopAndWait();
    t->deleteLater();
  });
  t->start();
  return t;
}

ThreadDD* ThreadDD::Running() { return running; }

void ThreadDD::StopRunning() {
  if (running) running->stopAndWait();
}

ThreadDD::ThreadDD(std::unique_ptr<fw::BinaryStream> stream)
    : QThread(QCoreApplication::instance()), stream_(std::move(stream)), length_(stream_->Length()) {
  drainTimer_.setSingleShot(true);
  connect(&drainTimer_, &QTimer::timeout, this, [this] { drain(); });
}

ThreadDD::~ThreadDD() { stopAndWait(); }

void ThreadDD::run() { Event_Run(); }

void ThreadDD::Event_Run() {
  {
    imagescan::ChunkReader reader(*stream_, imagescan::TailleBloc, imagescan::ChunkReader::DefaultWorkers(), &stop_);
    Relay relay(*this);
    try {
      imagescan::RunScan(reader, relay, stop_);
    } catch (const std::bad_alloc&) {
      // The batch being decoded is gone with the exception's unwinding,
      // which leaves room to say so; what the lists hold stays.
      post({Event::MemoryShort, 0, {}, {}});
    }
    // Nothing more will be asked of the reader: its workers read no further.
    stop_ = true;
  }
  stream_->Close();
}

// ---- scan thread -------------------------------------------------------

void ThreadDD::post(Event e) {
  bool hurry = false;
  {
    std::lock_guard lock(m_);
    if (e.kind == Event::Records) queuedRecords_ += e.batch.size();
    // Half the room taken: the lists take the records now rather than at
    // the next refresh, or the scan would wait for them. The end is shown
    // as soon as it comes.
    hurry = queuedRecords_ >= kMaxQueuedRecords / 2 || e.kind == Event::Finished || e.kind == Event::MemoryShort;
    queue_.push_back(std::move(e));
  }
  if (hurry && !hurryPending_.exchange(true))
    QMetaObject::invokeMethod(
        this,
        [this] {
          hurryPending_ = false;
          if (!over_) drainTimer_.start(0);
        },
        Qt::QueuedConnection);
  if (!wakePending_.exchange(true)) QMetaObject::invokeMethod(this, [this] { onWake(); }, Qt::QueuedConnection);
}

void ThreadDD::postProgress(uint64_t bytes) {
  {
    std::lock_guard lock(m_);
    // Only the latest count matters: one not yet shown is replaced.
    if (!queue_.empty() && queue_.back().kind == Event::Progress) {
      queue_.back().n = bytes;
      return;
    }
  }
  post({Event::Progress, bytes, {}, {}});
}

void ThreadDD::waitForRoom() {
  std::unique_lock lock(m_);
  room_.wait(lock, [this] { return queuedRecords_ < kMaxQueuedRecords || stop_.load(); });
}

// Batches the lists have taken are freed by the thread that allocated
// them: its allocator then reuses their memory at once, where freed on the
// user-interface thread it would be trimmed and faulted in again.
void ThreadDD::freeSpent() {
  std::vector<std::vector<records::RecordTexts>> spent;
  {
    std::lock_guard lock(m_);
    spent.swap(spent_);
  }
}

// ---- user-interface thread -----------------------------------------------

void ThreadDD::giveBack(std::vector<records::RecordTexts>&& batch) {
  std::lock_guard lock(m_);
  if (!over_) spent_.push_back(std::move(batch));
}

void ThreadDD::onWake() {
  if (over_) return;
  const qint64 since = lastDrain_.isValid() ? lastDrain_.elapsed() : kRefreshMs;
  if (!drainTimer_.isActive()) drainTimer_.start(static_cast<int>(std::max<qint64>(0, kRefreshMs - since)));
}

void ThreadDD::drain() {
  if (over_) return;
  if (!Window2::isOpen()) {
    // The window was closed: the scan ends with it rather than bring up a
    // new one.
    stopAndWait();
    deleteLater();
    return;
  }
  wakePending_ = false;
  lastDrain_.restart();
  QElapsedTimer turn;
  turn.start();
  for (;;) {
    Event e;
    {
      std::lock_guard lock(m_);
      if (queue_.empty()) return;
      e = std::move(queue_.front());
      queue_.pop_front();
      if (e.kind == Event::Records) queuedRecords_ -= e.batch.size();
    }
    room_.notify_all();
    apply(e);
    if (e.kind == Event::Records) giveBack(std::move(e.batch));
    if (over_) return;
    if (turn.elapsed() >= kTurnBudgetMs) {
      // More is waiting: carry on at the next turn of the event loop.
      drainTimer_.start(0);
      return;
    }
  }
}

void ThreadDD::apply(Event& e) {
  Window2* w = Window2::instance();
  switch (e.kind) {
    case Event::Started: {
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
    case Event::FirstChunk:
      AppServices::instance().NameTab(0);
      break;
    case Event::Progress:
      showProgress(e.n);
      break;
    case Event::Records:
      try {
        records::ajoutePoints(w->Results(), e.batch);
      } catch (const std::bad_alloc&) {
        endShortOfMemory();
      }
      break;
    case Event::MemoryShort:
      endShortOfMemory();
      break;
    case Event::Finished:
      showEnd(e.end, e.n);
      break;
  }
}

void ThreadDD::showProgress(uint64_t bytes) {
  Window2* w = Window2::instance();
  if (auto v = imagescan::ProgressValue(bytes, length_)) w->Control<fw::ProgressBar>("ProgressBar1")->setValue(*v);
  w->Label("CurProgressionST")->SetText(Count(bytes));
}

void ThreadDD::showEnd(imagescan::ScanEnd end, uint64_t bytes) {
  over_ = true;
  // The engine has made its last call. The thread may still be closing the
  // image (a failing card reader can hold it in a read for long): the window
  // does not wait for it, the object goes once the thread has ended.
  if (running == this) running = nullptr;
  setSourcesEnabled(true);
  if (end == imagescan::ScanEnd::Done || end == imagescan::ScanEnd::ReadError) {
    Window2* w = Window2::instance();
    w->SetControlVisible(w->Control<fw::ProgressBar>("ProgressBar1"), false);
    w->SetControlVisible(w->Label("CurProgressionST"), false);
    w->SetControlVisible(w->Label("MaxProgressionST"), false);
    // A first read that failed came before the results were reset: the
    // previous run's export texts already have their header.
    if (end == imagescan::ScanEnd::Done || bytes > 0) records::ClosingStep(w->Results());
    if (end == imagescan::ScanEnd::ReadError)
      fw::Seams::Get().MsgBox(w, QString::fromStdString("Erreur de lecture : l'analyse s'est arrêtée après " +
                                                        Count(bytes) +
                                                        " octets ; les résultats affichés ne portent que sur "
                                                        "cette partie de l'image."));
  }
  emit Ended();
  connect(this, &QThread::finished, this, &QObject::deleteLater);
  if (isFinished()) deleteLater();
}

void ThreadDD::endShortOfMemory() {
  // The scan stops where memory ran short: the records the lists hold are
  // the run's results, closed as a finished run's are.
  std::deque<Event> dropped;
  {
    std::lock_guard lock(m_);
    stop_ = true;
    dropped.swap(queue_);
    queuedRecords_ = 0;
  }
  room_.notify_all();
  dropped.clear();
  Window2* w = Window2::instance();
  const int kept = w->List("Listbox1")->LastIndex() + 1;
  showEnd(imagescan::ScanEnd::Done, 0);
  fw::Seams::Get().MsgBox(w, QString::fromStdString(records::MemoireInsuffisante(static_cast<uint64_t>(kept))));
}

void ThreadDD::setSourcesEnabled(bool enabled) {
  if (!Window2::isOpen()) return;
  for (const char* name : kSources)
    if (QWidget* c = Window2::instance()->ControlByName(name)) c->setEnabled(enabled);
}

void ThreadDD::stopAndWait() {
  over_ = true;
  drainTimer_.stop();
  {
    std::lock_guard lock(m_);
    stop_ = true;
  }
  room_.notify_all();
  wait();
  if (running == this) running = nullptr;
}

// ---- record methods ----------------------------------------------------

int32_t ThreadDD::chercheNextStartImage(fw::MemoryBlock& fenetre, fw::MemoryBlock& blocActuel,
                                        fw::MemoryBlock& blocSuivant, int32_t start, fw::BinaryStream& stream) {
  const double length = static_cast<double>(stream.Length());
  // Each chunk read adds its share to what the bar and the count show.
  auto addChunk = [length](int64_t s) {
    Window2* w = Window2::instance();
    auto* bar = w->Control<fw::ProgressBar>("ProgressBar1");
    if (length > 0) {
      const double v = bar->value() + static_cast<double>(s) * (imagescan::EchelleProgression / length);
      bar->setValue(static_cast<int>(std::min<double>(v, imagescan::EchelleProgression)));
    }
    const double c = fw::CDbl(w->Label("CurProgressionST")->Text());
    w->Label("CurProgressionST")->SetText(fw::Format(c + static_cast<double>(s), kCountPattern));
  };
  imagescan::StreamChunks chunks(stream);
  return static_cast<int32_t>(imagescan::chercheNextStartImage(fenetre, blocActuel, blocSuivant, start, chunks,
                                                               imagescan::TailleBloc, addChunk));
}

void ThreadDD::Decoupe(const fw::MemoryBlock& mb, int32_t p) {
  const records::RecordTexts r = imagescan::Decoupe(mb, p);
  Window2* w = Window2::instance();
  for (int k = 0; k < r.written; ++k) w->Label(records::kPanelLabels[k])->SetText(r.text[static_cast<size_t>(k)]);
}

int32_t ThreadDD::calcval(const fw::MemoryBlock& mb, int32_t off) { return imagescan::calcval(mb, off); }

bool ThreadDD::getChaine(const fw::MemoryBlock& mb, int32_t start, int32_t& length, std::string& text) {
  return imagescan::getChaine(mb, start, length, text);
}
