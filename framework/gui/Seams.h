// Everything that reaches outside the program or waits for the user goes
// through here: the open dialog, message boxes, the yes/no question, the
// clipboard and opening a URL. Tests install a scripted version.
#pragma once

#include <QString>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace fw {

class Seams {
 public:
  virtual ~Seams() = default;
  // The chosen file's path, or nothing when the user cancels.
  virtual std::optional<std::string> OpenFile(QWidget* parent, const QString& prompt, const QString& title);
  virtual void MsgBox(QWidget* parent, const QString& text);
  // A caution dialog with "Oui" and "Non", "Non" the default and the answer
  // of Escape and the close box; `explanation` shows below the question.
  // True only for "Oui".
  virtual bool Confirm(QWidget* parent, const QString& text, const QString& explanation);
  virtual void SetClipboard(const QString& text);
  virtual void ShowURL(const QString& url);

  static Seams& Get();
  // Installs a replacement (not owned); nullptr brings the real one back.
  static void Install(Seams* s);
};

class ScriptedSeams : public Seams {
 public:
  ScriptedSeams() { Install(this); }
  ~ScriptedSeams() override { Install(nullptr); }

  std::deque<std::optional<std::string>> files;  // answers of OpenFile, in order
  std::deque<bool> confirms;                     // answers of Confirm
  struct Dialog { QString prompt, title; };
  std::vector<Dialog> dialogs;
  std::vector<QString> messages, questions, explanations, urls;
  QString clipboard;

  std::optional<std::string> OpenFile(QWidget*, const QString& prompt, const QString& title) override;
  void MsgBox(QWidget*, const QString& text) override { messages.push_back(text); }
  bool Confirm(QWidget*, const QString& text, const QString& explanation) override;
  void SetClipboard(const QString& text) override { clipboard = text; }
  void ShowURL(const QString& url) override { urls.push_back(url); }
};

}  // namespace fw
