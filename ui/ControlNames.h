// The names of the main window's controls that code outside its layout
// reaches, and the plain captions of its two result tabs. Controls are
// still found by name at each access; naming them once here lets the
// compiler catch a mistyped name, which would otherwise be a control not
// found at run time. The nine labels of the details panel are named in
// DetailsPanel.h.
#pragma once

#include <array>

#include "DetailsPanel.h"

namespace ui {

// The pasted hexadecimal text.
inline constexpr const char* kTextSource = "TextSource";

// The controls that start or undo a run, held while a scan runs.
inline constexpr const char* kImageButton = "ImagePB1";
inline constexpr const char* kFileButton = "FichierPB1";
inline constexpr const char* kTextButton = "ChampTextePB";
inline constexpr const char* kCleanIcon = "CleanPB";
inline constexpr std::array<const char*, 4> kSourceControls = {kImageButton, kFileButton, kTextButton, kCleanIcon};

// A scan's progress: the bar, the bytes read so far and the image's length,
// shown while it runs and hidden together at its end.
inline constexpr const char* kProgressBar = "ProgressBar1";
inline constexpr const char* kBytesRead = "CurProgressionST";
inline constexpr const char* kImageLength = "MaxProgressionST";
inline constexpr std::array<const char*, 3> kProgressControls = {kProgressBar, kBytesRead, kImageLength};

// The tab panel, and the two lists on its first two pages with their plain
// captions, in page order: every record found, then each point once.
inline constexpr const char* kTabPanel = "TabPanel1";
inline constexpr const char* kAllRecordsList = "Listbox1";
inline constexpr const char* kUniqueList = "Listbox2";
inline constexpr std::array<const char*, 2> kLists = {kAllRecordsList, kUniqueList};
inline constexpr const char* kAllRecordsCaption = "Tous les lieux";
inline constexpr const char* kUniqueCaption = "Unique";
inline constexpr std::array<const char*, 2> kTabCaptions = {kAllRecordsCaption, kUniqueCaption};

// "Quitter".
inline constexpr const char* kQuitButton = "PushButton2";
// The version label of the bottom row.
inline constexpr const char* kVersionLabel = "StaticText16";

}  // namespace ui
