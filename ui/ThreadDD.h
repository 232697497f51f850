// The memory-card image scan's thread. The reading, searching and decoding
// run on it; the records go to the user-interface thread as values, in
// order and in batches, through the hand-over, and the presenter shows
// them in the window the scan was handed. One scan runs at a time;
// quitting the program or closing that window stops it.
#pragma once

#include <QString>
#include <QThread>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>

#include "ScanWindow.h"
#include "framework/core/BinaryStream.h"
#include "framework/core/MemoryBlock.h"
#include "imagescan/Chunk.h"
#include "imagescan/HandOver.h"

class ScanPresenter;

class ThreadDD : public QThread {
  Q_OBJECT
 public:
  // A scan over `window` that reads nothing: its record methods write into
  // that window's controls.
  explicit ThreadDD(ui::ScanWindow& window);
  // Starts scanning an opened image, named `name` for the messages, on a
  // new thread that shows itself in `window`; the stream is the scan's from
  // now on. nullptr (and nothing started) while a scan runs.
  static ThreadDD* Start(ui::ScanWindow& window, std::unique_ptr<fw::BinaryStream> stream, const QString& name);
  // The scan running now, if any.
  static ThreadDD* Running();
  // Stops every scan thread and gives them `grace` to end. False when one is
  // still held, in a read that hangs in the kernel: it can then be neither
  // joined nor destroyed, and the process must end without doing either.
  static bool EndAll(std::chrono::milliseconds grace);

  // What the scan reads its chunks through. Replaced by tests, to stand in
  // a machine whose threads or memory run out.
  using ReaderMaker = std::function<std::unique_ptr<imagescan::ChunkSource>(fw::BinaryStream&, std::stop_token)>;
  static void SetReaderMaker(ReaderMaker make);

  // Records waiting for the user-interface thread, above which the scan
  // waits: the memory held stays bounded when the lists fill slower than
  // the card is read.
  static constexpr size_t kMaxQueuedRecords = 65536;

  ~ThreadDD() override;

  // The scan itself, on the scan's thread: from showing the progress to
  // the closing step, reported into the hand-over.
  void Event_Run();

  // The record methods the system is described with, on the class it puts
  // them on. Each is kept thin over a function of records/, imagescan/ or
  // framework/core with the same rule: the scan itself decodes with those
  // functions, and searches its window through SearchWindow, which
  // chercheNextStartImage goes through too. chercheNextStartImage and
  // Decoupe write into the window's controls directly, so they are for the
  // user-interface thread.
  int32_t chercheNextStartImage(fw::MemoryBlock& fenetre, fw::MemoryBlock& blocActuel, fw::MemoryBlock& blocSuivant,
                                int32_t start, fw::BinaryStream& stream);
  void Decoupe(const fw::MemoryBlock& mb, int32_t p);
  static int32_t calcval(const fw::MemoryBlock& mb, int32_t off);
  static bool getChaine(const fw::MemoryBlock& mb, int32_t start, int32_t& length, std::string& text);

 signals:
  // The end of the scan has been shown (however it ended).
  void Ended();

 protected:
  void run() override;

 private:
  ThreadDD(ui::ScanWindow& window, std::unique_ptr<fw::BinaryStream> stream, const QString& name);
  // Asks the scan to stop and shows nothing more of it; never waits.
  void stop();
  // The object goes once its thread has ended, nothing more is shown and
  // none of its code is on the stack.
  void deleteWhenDone();

  ui::ScanWindow& window_;
  std::unique_ptr<fw::BinaryStream> stream_;
  std::stop_source stop_;
  imagescan::HandOver events_;
  std::unique_ptr<ScanPresenter> presenter_;
  bool neverRan_ = false;
  bool deleting_ = false;
};
