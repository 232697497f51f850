// The memory-card image scan's thread. The reading, searching and decoding
// run on it; the records go to the user-interface thread as values, in
// order and in batches, through the hand-over, and the presenter shows
// them. One scan runs at a time; quitting the program or closing the main
// window stops it.
#pragma once

#include <QThread>
#include <chrono>
#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>

#include "framework/core/BinaryStream.h"
#include "framework/core/MemoryBlock.h"
#include "imagescan/HandOver.h"

class ScanPresenter;

class ThreadDD : public QThread {
  Q_OBJECT
 public:
  // Starts scanning an opened image on a new thread; the stream is the
  // scan's from now on. nullptr (and nothing started) while a scan runs.
  static ThreadDD* Start(std::unique_ptr<fw::BinaryStream> stream);
  // The scan running now, if any.
  static ThreadDD* Running();
  // Stops every scan thread and gives them `grace` to end. False when one is
  // still held, in a read that hangs in the kernel: it can then be neither
  // joined nor destroyed, and the process must end without doing either.
  static bool EndAll(std::chrono::milliseconds grace);

  // Records waiting for the user-interface thread, above which the scan
  // waits: the memory held stays bounded when the lists fill slower than
  // the card is read.
  static constexpr size_t kMaxQueuedRecords = 65536;

  ~ThreadDD() override;

  // The scan itself, on the scan's thread: from showing the progress to
  // the closing step, reported into the hand-over.
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
  // Asks the scan to stop and shows nothing more of it; never waits.
  void stop();
  // The object goes once its thread has ended and nothing more is shown.
  void deleteWhenDone();

  std::unique_ptr<fw::BinaryStream> stream_;
  std::stop_source stop_;
  imagescan::HandOver events_;
  std::unique_ptr<ScanPresenter> presenter_;
};
