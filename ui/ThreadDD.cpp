#include "ThreadDD.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <new>
#include <system_error>

#include "ScanPresenter.h"
#include "imagescan/ChunkReader.h"
#include "imagescan/ScanEngine.h"

namespace {
QPointer<ThreadDD> running;

std::unique_ptr<imagescan::ChunkSource> MakeChunkReader(fw::BinaryStream& stream, std::stop_token stop) {
  return std::make_unique<imagescan::ChunkReader>(stream, imagescan::TailleBloc,
                                                  imagescan::ChunkReader::DefaultWorkers(), std::move(stop));
}
ThreadDD::ReaderMaker readerMaker = MakeChunkReader;
}  // namespace

void ThreadDD::SetReaderMaker(ReaderMaker make) { readerMaker = make ? std::move(make) : MakeChunkReader; }

ThreadDD* ThreadDD::Start(ui::ScanWindow& window, std::unique_ptr<fw::BinaryStream> stream, const QString& name) {
  if (running || !stream) return nullptr;
  auto* t = new ThreadDD(window, std::move(stream), name);
  running = t;
  window.SetSourcesEnabled(false);
  // Quitting, or closing the window the scan writes into, stops the scan.
  // Neither waits for the thread: a failing card reader can hold a read in
  // the kernel for many seconds, and the window must answer at once.
  connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, t, [t] { t->stop(); });
  connect(&window, &ui::ScanWindow::Closing, t, [t] { t->stop(); });
  connect(&window, &QObject::destroyed, t, [t] { t->stop(); });
  ScanPresenter* p = t->presenter_.get();
  connect(p, &ScanPresenter::RanShortOfMemory, t, [t] { t->stop_.request_stop(); });
  connect(p, &ScanPresenter::Finishing, t, [t] {
    if (running == t) running = nullptr;
  });
  connect(p, &ScanPresenter::Ended, t, &ThreadDD::Ended);
  // Its thread may end while the end is being shown, in a message box's
  // own event loop: the object waits for both, and for that code to return.
  connect(p, &ScanPresenter::Idle, t, [t] { t->deleteWhenDone(); });
  // The scan's last report may have found no room to wake the window: its
  // thread's end does.
  connect(t, &QThread::finished, t, [t] {
    t->presenter_->Wake();
    t->deleteWhenDone();
  });
  t->start();
  if (!t->isRunning() && !t->isFinished()) {
    // No thread could be made: the scan ends before it began, and says so.
    t->neverRan_ = true;
    t->events_.Finish(records::RunEnd::NoResources, 0);
  }
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

ThreadDD::ThreadDD(ui::ScanWindow& window) : window_(window), events_(0, {}, {}) {}

ThreadDD::ThreadDD(ui::ScanWindow& window, std::unique_ptr<fw::BinaryStream> stream, const QString& name)
    : QThread(QCoreApplication::instance()),
      window_(window),
      stream_(std::move(stream)),
      events_(
          kMaxQueuedRecords, stop_.get_token(), [this] { presenter_->Wake(); }, [this] { presenter_->Hurry(); }),
      presenter_(std::make_unique<ScanPresenter>(window, events_, name)) {}

// Only reached once the thread has ended or has been asked to stop on a
// healthy reader (EndAll has then seen it end): this wait is short.
ThreadDD::~ThreadDD() {
  deleting_ = true;
  if (presenter_) presenter_->Abandon();
  stop_.request_stop();
  wait();
  if (running == this) running = nullptr;
}

void ThreadDD::run() { Event_Run(); }

void ThreadDD::Event_Run() {
  if (!stream_) return;
  try {
    events_.Started(stream_->Length());
    std::unique_ptr<imagescan::ChunkSource> reader;
    try {
      reader = readerMaker(*stream_, stop_.get_token());
    } catch (const std::system_error&) {
      // No thread for the reader's workers.
    } catch (const std::bad_alloc&) {
    }
    if (reader) imagescan::RunScan(*reader, events_, stop_.get_token());
    else events_.Finish(records::RunEnd::NoResources, 0);
  } catch (const std::bad_alloc&) {
    // Not even room to tell the progress: nothing was read.
    events_.Finish(records::RunEnd::MemoryShort, 0);
  }
  stream_->Close();
}

void ThreadDD::stop() {
  if (presenter_ && !presenter_->Over()) presenter_->Abandon();
  stop_.request_stop();
  if (running == this) running = nullptr;
  deleteWhenDone();
}

void ThreadDD::deleteWhenDone() {
  if (deleting_ || !presenter_ || !presenter_->Over() || presenter_->Busy()) return;
  if (!isFinished() && !neverRan_) return;
  deleting_ = true;
  deleteLater();
}
