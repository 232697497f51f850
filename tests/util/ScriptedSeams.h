// The seams scripted for the window tests: the open dialog answers from a
// list, message boxes and questions are recorded and answered from a list.
// Every modal one runs a nested event loop while it is "open", as the real
// ones do, so that whatever the program lets happen inside a modal box
// (timers, queued calls, a thread's end, deferred deletes) happens in the
// tests too.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/gui/Seams.h"

namespace testutil {

class ScriptedSeams : public fw::Seams {
 public:
  ScriptedSeams() { Install(this); }
  ~ScriptedSeams() override { Install(nullptr); }
  ScriptedSeams(const ScriptedSeams&) = delete;
  ScriptedSeams& operator=(const ScriptedSeams&) = delete;

  std::deque<std::optional<std::string>> files;  // answers of OpenFile, in order
  std::deque<bool> confirms;                     // answers of Confirm
  struct Dialog {
    QString prompt, title;
  };
  std::vector<Dialog> dialogs;
  std::vector<QString> messages, questions, explanations, urls;
  QString clipboard;

  // How long a box stays open: `openMs`, or until `closeWhen` holds when it
  // is set (but never more than `longestMs`, which `heldTooLong` then tells).
  int openMs = 20;
  std::function<bool()> closeWhen;
  int longestMs = 60000;
  bool heldTooLong = false;
  // Called inside each message box's loop as it opens, with its text.
  std::function<void(const QString&)> whileOpen;
  int boxesOpen = 0;
  // Message boxes are the real ones (still recorded): the test closes them.
  bool realMessageBoxes = false;

  std::optional<std::string> OpenFile(QWidget*, const QString& prompt, const QString& title) override {
    dialogs.push_back({prompt, title});
    runModal({});
    if (files.empty()) return std::nullopt;
    auto f = files.front();
    files.pop_front();
    return f;
  }
  void MsgBox(QWidget* parent, const QString& text) override {
    messages.push_back(text);
    if (realMessageBoxes) {
      ++boxesOpen;
      fw::Seams::MsgBox(parent, text);
      --boxesOpen;
      return;
    }
    runModal(text);
  }
  bool Confirm(QWidget*, const QString& text, const QString& explanation) override {
    questions.push_back(text);
    explanations.push_back(explanation);
    runModal({});
    if (confirms.empty()) return false;
    const bool b = confirms.front();
    confirms.pop_front();
    return b;
  }
  void SetClipboard(const QString& text) override { clipboard = text; }
  void ShowURL(const QString& url) override { urls.push_back(url); }

 private:
  void runModal(const QString& text) {
    ++boxesOpen;
    QEventLoop loop;
    QElapsedTimer open;
    open.start();
    bool toldOpen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
      if (!toldOpen) {
        toldOpen = true;
        if (whileOpen && !text.isNull()) whileOpen(text);
      }
      const bool close = closeWhen ? closeWhen() : open.elapsed() >= openMs;
      if (!close && open.elapsed() >= longestMs) heldTooLong = true;
      if (close || heldTooLong) loop.quit();
    });
    poll.start(1);
    loop.exec();
    --boxesOpen;
  }
};

}  // namespace testutil
