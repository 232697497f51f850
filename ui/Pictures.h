// The three pictures the windows draw. They are not built into the program:
// they lie in the Resources folder found from the program's executable (its
// folder, that folder's parent, the child "Resources"), so an install is one
// self-contained folder holding bin/ and Resources/.
#pragma once

#include <QImage>
#include <QString>
#include <optional>

class QPainter;

namespace ui {

// The Resources folder for this executable, or nothing when a folder on the
// way is missing.
std::optional<QString> ResourcesFolder(const QString& executable);

// One picture file of the Resources folder, read on first use. A picture
// read once is kept for the whole run, even if its file goes; a missing or
// unreadable one is not kept, so the next use looks for it again.
class PictureFile {
 public:
  explicit PictureFile(const char* fileName) : fileName_(fileName) {}
  // From the running program's own executable.
  const QImage* Get();
  const QImage* Get(const QString& executable);
  // How many times the file was looked for (each use while nothing is kept).
  int Lookups() const { return lookups_; }

 private:
  QString fileName_;
  std::optional<QImage> cache_;
  int lookups_ = 0;
};

// The accessors, one routine and three file names ("delete" is reserved in
// C++, hence the underscore).
PictureFile& delete_();
PictureFile& Morvanelogo25();
PictureFile& Morvanelogo();

// The whole picture at its own size, its top-left corner at the canvas's;
// no picture draws nothing.
void DrawPicture(QPainter& g, const QImage* picture);

}  // namespace ui
