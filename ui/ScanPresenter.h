// What the main window shows of a scan: the progress bar and the two
// counts, the source controls' enabled state, the records added to the
// lists through the results step, and how the scan ended. It takes the
// scan's events from the hand-over on the user-interface thread, a few
// times a second, and never blocks there.
//
// A message box it shows runs a nested event loop, in which anything may
// happen, the scan's thread ending included: Busy() tells its owner that
// some of its code is on the stack, and Idle() when none is any more.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstdint>

#include "ScanWindow.h"
#include "imagescan/HandOver.h"
#include "imagescan/ScanEngine.h"
#include "records/ResultsSink.h"

class ScanPresenter : public QObject {
  Q_OBJECT
 public:
  ScanPresenter(ui::ScanWindow& window, imagescan::HandOver& events, QString name, QObject* parent = nullptr);

  // Events wait in the hand-over (any thread: the work is queued to this
  // object's thread).
  void Wake();
  // Events should be taken now rather than at the next refresh (any thread).
  void Hurry();
  // Nothing more is shown, whatever is still queued.
  void Abandon();
  bool Over() const { return over_; }
  bool Busy() const { return depth_ > 0; }

 signals:
  // The scan's last event has arrived; its end is about to be shown.
  void Finishing();
  // The end of the scan has been shown (however it ended).
  void Ended();
  // Over, and none of this object's code is on the stack any more.
  void Idle();
  // Memory ran short while the lists took the records: the scan must stop.
  void RanShortOfMemory();

 private:
  class Entered;
  void onWake();
  void drain();
  void apply(imagescan::ScanEvent& e);
  void showProgress(uint64_t bytes);
  void showEnd(records::RunEnd end, uint64_t bytes);
  void endShortOfMemory();

  QPointer<ui::ScanWindow> window_;
  imagescan::HandOver& events_;
  uint64_t length_ = 0;  // the image's, as the scan's start tells it
  const QString name_;
  records::ResultsSink results_;
  uint64_t bytesShown_ = 0;
  QTimer drainTimer_;
  QElapsedTimer lastDrain_;
  bool over_ = false;
  int depth_ = 0;
};
