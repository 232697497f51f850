#include "Seams.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QUrl>

namespace fw {

namespace {
Seams realSeams;
Seams* current = &realSeams;
}  // namespace

void KeepNoSettings() {
  // The open dialog saves its history and last folder through
  // QSettings(UserScope, "QtProject") when it is destroyed, and Qt has no
  // switch to stop it. /dev/null is not a folder and no folder can be made
  // under it: the settings file, its folders and its lock file all fail
  // before anything is written, and QSettings only reports an access error.
  // (On Linux the native format is the INI one; both are set.)
  for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat})
    QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
}

Seams& Seams::Get() { return *current; }
void Seams::Install(Seams* s) { current = s ? s : &realSeams; }

namespace {
// A modal dialog on the heap, watched: its parent may be destroyed while
// its event loop runs, taking the dialog with it.
template <class D>
class Modal {
 public:
  explicit Modal(QWidget* parent) : d_(new D(parent)) {}
  ~Modal() { delete d_.data(); }
  Modal(const Modal&) = delete;
  Modal& operator=(const Modal&) = delete;
  D* operator->() const { return d_.data(); }
  explicit operator bool() const { return !d_.isNull(); }

 private:
  QPointer<D> d_;
};
}  // namespace

std::optional<std::string> Seams::OpenFile(QWidget* parent, const QString& prompt, const QString& title) {
  KeepNoSettings();
  Modal<QFileDialog> dlg(parent);
  dlg->setWindowTitle(title);
  dlg->setFileMode(QFileDialog::ExistingFile);
  dlg->setOption(QFileDialog::DontUseNativeDialog);
  // Device nodes such as /dev/sdb must be choosable as images.
  dlg->setFilter(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
  if (auto* grid = qobject_cast<QGridLayout*>(dlg->layout())) {
    auto* label = new QLabel(prompt, dlg.operator->());
    grid->addWidget(label, grid->rowCount(), 0, 1, -1);
  }
  const bool chosen = dlg->exec() == QDialog::Accepted && dlg && !dlg->selectedFiles().isEmpty();
  if (!chosen) return std::nullopt;
  // Back to the bytes the system gave: the stream opens the path as bytes.
  return QFile::encodeName(dlg->selectedFiles().first()).toStdString();
}

void Seams::MsgBox(QWidget* parent, const QString& text) {
  Modal<QMessageBox> box(parent);
  // Texts carry names from the evidence: shown as they are, never as markup.
  box->setTextFormat(Qt::PlainText);
  box->setText(text);
  box->setStandardButtons(QMessageBox::Ok);
  box->exec();
}

bool Seams::Confirm(QWidget* parent, const QString& text, const QString& explanation) {
  Modal<QMessageBox> box(parent);
  box->setIcon(QMessageBox::Warning);
  box->setTextFormat(Qt::PlainText);
  box->setText(text);
  box->setInformativeText(explanation);
  QPushButton* yes = box->addButton("Oui", QMessageBox::YesRole);
  QPushButton* no = box->addButton("Non", QMessageBox::NoRole);
  box->setDefaultButton(no);
  box->setEscapeButton(no);
  box->exec();
  return box && box->clickedButton() == yes;
}

void Seams::SetClipboard(const QString& text) { QApplication::clipboard()->setText(text); }

void Seams::ShowURL(const QString& url) { QDesktopServices::openUrl(QUrl(url)); }

}  // namespace fw
