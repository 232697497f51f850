#include "Pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace ui {

std::optional<QString> ResourcesFolder(const QString& executable) {
  QDir folder = QFileInfo(executable).absoluteDir();
  if (!folder.exists() || !folder.cdUp()) return std::nullopt;
  const QString resources = folder.filePath("Resources");
  if (!QFileInfo(resources).isDir()) return std::nullopt;
  return resources;
}

const QImage* PictureFile::Get() { return Get(QCoreApplication::applicationFilePath()); }

const QImage* PictureFile::Get(const QString& executable) {
  if (cache_) return &*cache_;
  ++lookups_;
  const std::optional<QString> folder = ResourcesFolder(executable);
  if (!folder) return nullptr;
  const QString path = QDir(*folder).filePath(fileName_);
  // Only a plain file: reading a FIFO put in its place would wait forever.
  if (!QFileInfo(path).isFile()) return nullptr;
  QImageReader reader(path);
  QImage picture = reader.read();
  if (picture.isNull()) return nullptr;
  cache_ = std::move(picture);
  return &*cache_;
}

PictureFile& delete_() {
  static PictureFile f("delete.jpg");
  return f;
}

PictureFile& Morvanelogo25() {
  static PictureFile f("Morvanelogo25.jpg");
  return f;
}

PictureFile& Morvanelogo() {
  static PictureFile f("Morvanelogo.jpg");
  return f;
}

void DrawPicture(QPainter& g, const QImage* picture) {
  if (picture) g.drawImage(QPoint(0, 0), *picture);
}

}  // namespace ui
