// Everything that reaches outside the program or waits for the user goes
// through here: the open dialog, message boxes, the yes/no question, the
// clipboard and opening a URL. Tests install a scripted version
// (tests/util/ScriptedSeams.h).
#pragma once

#include <QString>
#include <optional>
#include <string>

class QWidget;

namespace fw {

// Points Qt's user settings where no file can be made, so that nothing Qt
// keeps (the open dialog's history and last folder above all) is written
// under HOME or the XDG folders, nor read from an earlier run.
void KeepNoSettings();

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

}  // namespace fw
