// What the windows need of the application object: its two export texts,
// the tab-caption operation and the short version. The application object
// implements this; it lives in the layer above, which owns start-up.
#pragma once

#include <string>

#include "records/Results.h"

class AppServices {
 public:
  static AppServices& instance();
  // 0: every record found; 1: each point once. UTF-8. Views over the
  // stored records, written out when read.
  records::ExportViews Pressepapier;
  // What "OK" puts on the clipboard for tab i: export text i, the header in
  // front even while a run is still adding records (the header goes in
  // front only at its end); "" for a tab that has no export text.
  std::string ExportText(int i) const;
  // 0 resets the results, 1 writes the row counts into the tab captions.
  virtual void NameTab(int mode) = 0;
  // The application's short version, shown in the version labels and the
  // mail subjects.
  virtual std::string Version() const = 0;

 protected:
  AppServices();
  virtual ~AppServices();
};
