// The memory-card image scan. The reading, searching and decoding run on the
// scan's own thread; every control is written on the user-interface thread,
// which receives the records as values, in order and in batches, a few times
// a second. One scan runs at a time; quitting the program or closing the
// main window stops it.
#pragma once

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/core/BinaryStream.h"
#include "framework/core/MemoryBlock.h"
#include "imagescan/ScanEngine.h"
#include "records/Record.h"

class ThreadDD : public QThread {
  Q_OBJECT
 public:
  // Starts scanning an opened image on a new thread; the stream is the
  // scan's from now on. nullptr (and nothing started) while a scan runs.
  static ThreadDD* Start(std::unique_ptr<fw::BinaryStream> stream);
  // The scan running now, if any.
  static ThreadDD* Running();
  // Stops the running scan and waits for its thread; nothing more is shown.
  static void StopRunning();

  // Records waiting for the user-interface thread, above which the scan
  // waits: the memory held stays bounded when the lists fill slower than
  // the card is read.
  static constexpr size_t kMaxQueuedRecords = 65536;

  ~ThreadDD() override;

  // The scan itself, on the scan's thread: from showing the progress to
  // the closing step, through the observer below.
  void Event_Run();

  // The record methods, thin over the scan's functions. chercheNextStartImage
  // and Decoupe write into the main window's controls directly, so they are
  // for the user-interface thread; the scan itself does not go through them.
  // They keep nothing of a scan, hence static.
  static int32_t chercheNextStartImage(fw::MemoryBlock& fenetre, fw::MemoryBlock& blocActuel,
                                       fw::MemoryBlock& blocSuivant, int32_t start, fw::BinaryStream& stream);
  static void Decoupe(const fw::MemoryBlock& mb, int32_t p);
  static int32_t calcval(const fw::MemoryBlock& mb, int32_t off);
  static bool getChaine(const fw::MemoryBlock& mb, int32_t start, int32_t& length, std::string& text);

 signals:
  // The end of the scan has been shown (however it ended).
  void Ended();

 protected:
  void run() override;

 private:
  explicit ThreadDD(std::unique_ptr<fw::BinaryStream> stream);

  struct Event {
    enum Kind { Started, FirstChunk, Progress, Records, Finished, MemoryShort } kind;
    uint64_t n = 0;
    imagescan::ScanEnd end = imagescan::ScanEnd::Done;
    std::vector<records::RecordTexts> batch;
  };
  class Relay;
  friend class Relay;

  // Scan thread.
  void post(Event e);
  void postProgress(uint64_t bytes);
  void waitForRoom();
  void freeSpent();

  // User-interface thread.
  void onWake();
  void drain();
  void apply(Event& e);
  void showEnd(imagescan::ScanEnd end, uint64_t bytes);
  void endShortOfMemory();
  void setSourcesEnabled(bool enabled);
  void showProgress(uint64_t bytes);
  void giveBack(std::vector<records::RecordTexts>&& batch);
  void stopAndWait();

  std::unique_ptr<fw::BinaryStream> stream_;
  const uint64_t length_;
  std::atomic<bool> stop_{false};

  std::mutex m_;
  std::condition_variable room_;
  std::deque<Event> queue_;
  size_t queuedRecords_ = 0;
  std::vector<std::vector<records::RecordTexts>> spent_;  // taken by the lists, to be freed
  std::atomic<bool> wakePending_{false};
  std::atomic<bool> hurryPending_{false};

  QTimer drainTimer_;
  QElapsedTimer lastDrain_;
  bool over_ = false;  // ended or abandoned: nothing more is shown
};
