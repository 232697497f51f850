#include "ThreadDD.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>

#include "DetailsPanel.h"
#include "ScanPresenter.h"
#include "Window2.h"
#include "framework/core/Text.h"
#include "imagescan/ChunkReader.h"
#include "imagescan/ScanDecoder.h"
#include "imagescan/SearchWindow.h"

namespace {
QPointer<ThreadDD> running;
}  // namespace

ThreadDD* ThreadDD::Start(std::unique_ptr<fw::BinaryStream> stream) {
  if (running || !stream) return nullptr;
  auto* t = new ThreadDD(std::move(stream));
  running = t;
  ScanPresenter::SetSourcesEnabled(false);
  // Quitting, or closing the window the scan writes into, stops the scan.
  // Neither waits for the thread: a failing card reader can hold a read in
  // the kernel for many seconds, and the window must answer at once.
  connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, t, [t] { t->stop(); });
  connect(Window2::instance(), &QObject::destroyed, t, [t] { t->stop(); });
  connect(t->presenter_.get(), &ScanPresenter::WindowClosed, t, [t] { t->stop(); });
  connect(t->presenter_.get(), &ScanPresenter::RanShortOfMemory, t, [t] { t->stop(); });
  connect(t->presenter_.get(), &ScanPresenter::Finishing, t, [t] {
    if (running == t) running = nullptr;
  });
  connect(t->presenter_.get(), &ScanPresenter::Ended, t, [t] {
    emit t->Ended();
    t->deleteWhenDone();
  });
  // The engine has made its last call, but the thread may still be closing
  // the image: the window does not wait for it.
  connect(t, &QThread::finished, t, [t] { t->deleteWhenDone(); });
  t->start();
  return t;
}

ThreadDD* ThreadDD::Running() { return running; }

bool ThreadDD::EndAll(std::chrono::milliseconds grace) {
  const QDeadlineTimer deadline(grace.count());
  bool ended = true;
  for (ThreadDD* t : QCoreApplication::instance()->findChildren<ThreadDD*>()) {
    t->stop();
    if (!t->wait(deadline)) ended = false;
  }
  return ended;
}

ThreadDD::ThreadDD(std::unique_ptr<fw::BinaryStream> stream)
    : QThread(QCoreApplication::instance()),
      stream_(std::move(stream)),
      events_(
          kMaxQueuedRecords, stop_.get_token(), [this] { presenter_->Wake(); }, [this] { presenter_->Hurry(); }),
      presenter_(std::make_unique<ScanPresenter>(events_, stream_->Length())) {}

// Only reached once the thread has ended or has been asked to stop on a
// healthy reader (EndAll has then seen it end): this wait is short.
ThreadDD::~ThreadDD() {
  presenter_->Abandon();
  stop_.request_stop();
  wait();
  if (running == this) running = nullptr;
}

void ThreadDD::run() { Event_Run(); }

void ThreadDD::Event_Run() {
  {
    imagescan::ChunkReader reader(*stream_, imagescan::TailleBloc, imagescan::ChunkReader::DefaultWorkers(),
                                  stop_.get_token());
    try {
      imagescan::RunScan(reader, events_, stop_.get_token());
    } catch (const std::bad_alloc&) {
      // The batch being decoded went with the unwinding, which leaves room
      // to say so; what the lists hold stays.
      events_.MemoryRanShort();
    }
  }
  stream_->Close();
}

void ThreadDD::stop() {
  if (!presenter_->Over()) presenter_->Abandon();
  stop_.request_stop();
  if (running == this) running = nullptr;
  deleteWhenDone();
}

void ThreadDD::deleteWhenDone() {
  if (presenter_->Over() && isFinished()) deleteLater();
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
    w->Label("CurProgressionST")->SetText(fw::GroupedThousands(c + static_cast<double>(s)));
  };
  return static_cast<int32_t>(imagescan::chercheNextStartImage(fenetre, blocActuel, blocSuivant, start, stream,
                                                               imagescan::TailleBloc, addChunk));
}

void ThreadDD::Decoupe(const fw::MemoryBlock& mb, int32_t p) {
  const records::RecordTexts r = imagescan::Decoupe(mb, p);
  Window2* w = Window2::instance();
  for (int k = 0; k < r.written; ++k) w->Label(ui::kPanelLabels[k])->SetText(r.text[static_cast<size_t>(k)]);
}

int32_t ThreadDD::calcval(const fw::MemoryBlock& mb, int32_t off) { return imagescan::calcval(mb, off); }

bool ThreadDD::getChaine(const fw::MemoryBlock& mb, int32_t start, int32_t& length, std::string& text) {
  return imagescan::getChaine(mb, start, length, text);
}
