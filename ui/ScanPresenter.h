// What the main window shows of a scan: the progress bar and the two
// counts, the source controls' enabled state, the records added to the
// lists through the results step, and the end message. It takes the scan's
// events from the hand-over on the user-interface thread, a few times a
// second, and never blocks there.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>

#include "imagescan/HandOver.h"

class ScanPresenter : public QObject {
  Q_OBJECT
 public:
  ScanPresenter(imagescan::HandOver& events, uint64_t length, QObject* parent = nullptr);

  // Events wait in the hand-over (any thread: the work is queued to this
  // object's thread).
  void Wake();
  // Events should be taken now rather than at the next refresh (any thread).
  void Hurry();
  // Nothing more is shown, whatever is still queued.
  void Abandon();
  bool Over() const { return over_; }

  // The source buttons and the clear icon, which start or undo a run.
  static void SetSourcesEnabled(bool enabled);

 signals:
  // The engine's last event has arrived; its end is about to be shown.
  void Finishing();
  // The end of the scan has been shown (however it ended).
  void Ended();
  // The main window was closed while the scan ran.
  void WindowClosed();
  // Memory ran short: the scan must stop; its end is shown.
  void RanShortOfMemory();

 private:
  void onWake();
  void drain();
  void apply(imagescan::ScanEvent& e);
  void showProgress(uint64_t bytes);
  void showEnd(imagescan::ScanEnd end, uint64_t bytes, const QString& message = {});
  void endShortOfMemory();

  imagescan::HandOver& events_;
  const uint64_t length_;
  QTimer drainTimer_;
  QElapsedTimer lastDrain_;
  bool over_ = false;
};
