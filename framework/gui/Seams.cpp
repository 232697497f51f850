#include "Seams.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace fw {

namespace {
Seams realSeams;
Seams* current = &realSeams;
}  // namespace

Seams& Seams::Get() { return *current; }
void Seams::Install(Seams* s) { current = s ? s : &realSeams; }

std::optional<std::string> Seams::OpenFile(QWidget* parent, const QString& prompt, const QString& title) {
  QFileDialog dlg(parent, title);
  dlg.setFileMode(QFileDialog::ExistingFile);
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  // Device nodes such as /dev/sdb must be choosable as images.
  dlg.setFilter(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
  if (auto* grid = qobject_cast<QGridLayout*>(dlg.layout())) {
    auto* label = new QLabel(prompt, &dlg);
    grid->addWidget(label, grid->rowCount(), 0, 1, -1);
  }
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
  return dlg.selectedFiles().first().toStdString();
}

void Seams::MsgBox(QWidget* parent, const QString& text) {
  QMessageBox box(parent);
  box.setText(text);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

bool Seams::Confirm(QWidget* parent, const QString& text, const QString& explanation) {
  QMessageBox box(parent);
  box.setIcon(QMessageBox::Warning);
  box.setText(text);
  box.setInformativeText(explanation);
  QPushButton* yes = box.addButton("Oui", QMessageBox::YesRole);
  QPushButton* no = box.addButton("Non", QMessageBox::NoRole);
  box.setDefaultButton(no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

void Seams::SetClipboard(const QString& text) { QApplication::clipboard()->setText(text); }

void Seams::ShowURL(const QString& url) { QDesktopServices::openUrl(QUrl(url)); }

std::optional<std::string> ScriptedSeams::OpenFile(QWidget*, const QString& prompt, const QString& title) {
  dialogs.push_back({prompt, title});
  if (files.empty()) return std::nullopt;
  auto f = files.front();
  files.pop_front();
  return f;
}

bool ScriptedSeams::Confirm(QWidget*, const QString& text, const QString& explanation) {
  questions.push_back(text);
  explanations.push_back(explanation);
  if (confirms.empty()) return false;
  const bool b = confirms.front();
  confirms.pop_front();
  return b;
}

}  // namespace fw
